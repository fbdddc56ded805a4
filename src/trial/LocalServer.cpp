#include "trial/LocalServer.h"

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "util/AppError.h"
#include "util/Loopback.h"
#include "util/Spawn.h"
#include "util/TextLines.h"

namespace trial {

namespace {

using Clock = std::chrono::steady_clock;

// Another program may take the port between our look and PHP's bind; PHP then ends, and the next
// free port is tried.
constexpr int kAttempts = 5;
constexpr auto kStartTime = std::chrono::seconds(15);
constexpr auto kStopTime = std::chrono::seconds(5);
constexpr auto kPoll = std::chrono::milliseconds(20);

// The end of what the server wrote, which says why it did not come up.
std::string LastWords(const std::string& log) {
  std::string text;
  try {
    text = UUtils::ReadFileBytes(log);
  } catch (const UUtils::AppError&) {
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  constexpr std::size_t kMost = 500;
  if (text.size() > kMost) text = "..." + text.substr(text.size() - kMost);
  return text.empty() ? "It said nothing." : "It said:\n" + text;
}

void SleepFor(std::chrono::milliseconds interval) { std::this_thread::sleep_for(interval); }

}  // namespace

LocalServer::LocalServer(const std::string& php, const std::string& root, const std::string& log,
                         const Pause& pause) {
  const Pause wait = pause ? pause : Pause(SleepFor);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    port_ = UUtils::FreeLoopbackPort();
    pid_ = UUtils::Spawn(
        {php, {php, "-S", "127.0.0.1:" + std::to_string(port_), "-t", root}, log});
    if (pid_ < 0) {
      throw UUtils::AppError("Cannot start " + php + ". " + std::strerror(errno) + ".");
    }
    // The last look comes after the time is up: a pause may have lasted long (a dialog the
    // window opened meanwhile) while the server came up.
    const auto deadline = Clock::now() + kStartTime;
    while (Running()) {
      if (UUtils::LoopbackListens(port_)) return;
      if (Clock::now() >= deadline) break;
      wait(kPoll);
    }
    if (pid_ > 0) {
      Stop();
      throw UUtils::AppError("PHP's built-in server did not answer within 15 seconds. " +
                             LastWords(log));
    }
  }
  throw UUtils::AppError("PHP's built-in server did not start. " + LastWords(log));
}

LocalServer::~LocalServer() { Stop(); }

bool LocalServer::Running() {
  if (pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
  return pid_ > 0;
}

void LocalServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGTERM);
  const auto deadline = Clock::now() + kStopTime;
  while (Running() && Clock::now() < deadline) std::this_thread::sleep_for(kPoll);
  if (pid_ <= 0) return;
  ::kill(-pid_, SIGKILL);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace trial
