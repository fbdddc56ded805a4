// Linked into the widget tests beside their entry point: while they run, a request for any host
// but the loopback fails at once, so no test ever leaves the machine.
#include "net/HttpClient.h"

namespace {

const bool kLoopbackOnly = [] {
  net::HttpClient::LoopbackOnly(true);
  return true;
}();

}  // namespace
