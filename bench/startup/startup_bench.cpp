// Start-up benchmark: time from process start to the main window shown, and
// peak memory, for the program (and, when given, a copy of it beside a full
// brand) against a bare Qt Widgets window, alternating runs in one go.
// Usage: startup_bench APP BARE [RUNS] [BRANDED_APP]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Sample {
  double milliseconds;
  long peakKiB;
};

Sample RunOnce(const char* program, const char* argument = nullptr) {
  int out[2];
  if (pipe(out) != 0) std::exit(1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  char* argv[] = {const_cast<char*>(program), const_cast<char*>(argument), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0) {
    std::fprintf(stderr, "cannot start %s\n", program);
    std::exit(1);
  }
  close(out[1]);
  std::string line;
  char c;
  while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
  const auto shown = std::chrono::steady_clock::now();
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  posix_spawn_file_actions_destroy(&actions);
  if (line.rfind("shown ", 0) != 0) {
    std::fprintf(stderr, "%s did not report its window\n", program);
    std::exit(1);
  }
  return {std::chrono::duration<double, std::milli>(shown - start).count(),
          std::atol(line.c_str() + 6)};
}

Sample Median(std::vector<Sample> samples) {
  auto middle = samples.begin() + samples.size() / 2;
  std::nth_element(samples.begin(), middle, samples.end(),
                   [](auto a, auto b) { return a.milliseconds < b.milliseconds; });
  const double time = middle->milliseconds;
  std::nth_element(samples.begin(), middle, samples.end(),
                   [](auto a, auto b) { return a.peakKiB < b.peakKiB; });
  return {time, middle->peakKiB};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: startup_bench APP BARE [RUNS] [BRANDED_APP]\n");
    return 2;
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
  RunOnce(argv[1]);  // warm the file cache
  RunOnce(argv[2]);
  const char* branded = argc > 4 ? argv[4] : nullptr;
  if (branded) RunOnce(branded);
  std::vector<Sample> app, bare, label, brand;
  for (int i = 0; i < runs; ++i) {
    app.push_back(RunOnce(argv[1]));
    bare.push_back(RunOnce(argv[2]));
    label.push_back(RunOnce(argv[2], "label"));
    if (branded) brand.push_back(RunOnce(branded));
  }
  const Sample a = Median(app), b = Median(bare), l = Median(label);
  std::printf("platform %s, %d runs each, medians\n", std::getenv("QT_QPA_PLATFORM"), runs);
  std::printf("main window: %8.1f ms  %7ld KiB peak\n", a.milliseconds, a.peakKiB);
  std::printf("bare window: %8.1f ms  %7ld KiB peak\n", b.milliseconds, b.peakKiB);
  std::printf("bare window with one label: %8.1f ms  %7ld KiB peak\n", l.milliseconds, l.peakKiB);
  // The yardstick is the window with one label: the first line of text costs a
  // bare window the font database, which any window with text pays.
  std::printf("main window against the labelled window: %.2fx time  %.2fx memory\n",
              a.milliseconds / l.milliseconds, double(a.peakKiB) / double(l.peakKiB));
  if (branded) {
    const Sample r = Median(brand);
    std::printf("branded main window: %8.1f ms  %7ld KiB peak\n", r.milliseconds, r.peakKiB);
    std::printf("branded main window against the labelled window: %.2fx time  %.2fx memory\n",
                r.milliseconds / l.milliseconds, double(r.peakKiB) / double(l.peakKiB));
  }
  return 0;
}
