#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

#include "net/CurlLibrary.h"

namespace net {

// What DriveTransfer watches between its waits for the network.
struct TransferWatch {
  // A count that grows whenever the host is heard from: a byte either way, a header.
  const std::uint64_t* heard = nullptr;
  // How long the host may stay unheard before the transfer ends.
  std::chrono::milliseconds idleTimeout{};
  // Asked once Qt's events have been handled; false stops the transfer there, before the multi
  // handle is touched again (an event's handler may have freed it). Unset: it goes on.
  std::function<bool()> goOn;
};

struct TransferOutcome {
  enum End {
    Done,     // libcurl finished it, with `result`
    Quiet,    // the host was not heard from for the idle time-out
    Stopped,  // goOn said no
    Failed,   // the multi interface failed
  } end = Failed;
  CURLcode result = CURLE_OK;
};

// Drives `easy`, already added to `multi`, from this thread until it ends. Between the waits for
// the network (at most 10 ms each) Qt's events are handled when there is an application object,
// so windows repaint and take input. Only those waits count as quiet time: time spent in
// libcurl's callbacks (a question put to the user, say) or in the handlers of events (a dialog)
// does not. The handle stays on `multi`.
TransferOutcome DriveTransfer(CURLM* multi, CURL* easy, const TransferWatch& watch);

}  // namespace net
