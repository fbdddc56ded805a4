#pragma once

namespace UUtils {

// A port of 127.0.0.1 on which nothing listens at the moment of the call.
// Throws AppError when the system gives none.
int FreeLoopbackPort();

// Whether something accepts connections on `port` of 127.0.0.1.
bool LoopbackListens(int port);

}  // namespace UUtils
