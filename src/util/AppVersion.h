#pragma once

namespace UUtils {

// The program version.
inline constexpr char AppVersion[] = "2.01";

}  // namespace UUtils
