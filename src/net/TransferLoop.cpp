#include "net/TransferLoop.h"

#include <QCoreApplication>

namespace net {

namespace {

// How long one wait for network activity may keep Qt's events waiting.
constexpr int kEventSliceMs = 10;

}  // namespace

TransferOutcome DriveTransfer(CURLM* multi, CURL* easy, const TransferWatch& watch) {
  using Clock = std::chrono::steady_clock;
  const CurlLibrary& curl = Curl();
  std::uint64_t heard = *watch.heard;
  Clock::duration quiet{};
  for (;;) {
    int running = 0;
    if (curl.multi_perform(multi, &running) != CURLM_OK) return {TransferOutcome::Failed};
    int queued = 0;
    while (CURLMsg* message = curl.multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
        return {TransferOutcome::Done, message->data.result};
      }
    }
    const Clock::time_point start = Clock::now();
    curl.multi_poll(multi, nullptr, 0, kEventSliceMs, nullptr);
    if (*watch.heard != heard) {
      heard = *watch.heard;
      quiet = {};
    } else {
      quiet += Clock::now() - start;
    }
    if (quiet > watch.idleTimeout) return {TransferOutcome::Quiet};
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (watch.goOn && !watch.goOn()) return {TransferOutcome::Stopped};
  }
}

}  // namespace net
