// Start-up benchmark: time from process start to the main window shown, and
// peak memory, for the program (and, when given, a copy of it beside a full
// brand) against a bare Qt Widgets window, alternating runs in one go. The
// processor time each process used until then is given too: on a machine
// shared with other work it varies far less than the elapsed time.
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
  double cpuMilliseconds;
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
  char* rest = nullptr;
  const long peak = std::strtol(line.c_str() + 6, &rest, 10);
  const long cpu = std::strtol(rest, nullptr, 10);
  return {std::chrono::duration<double, std::milli>(shown - start).count(), peak, cpu / 1000.0};
}

// The median of each measure on its own.
Sample Median(std::vector<Sample> samples) {
  auto middle = samples.begin() + samples.size() / 2;
  std::nth_element(samples.begin(), middle, samples.end(),
                   [](auto a, auto b) { return a.milliseconds < b.milliseconds; });
  const double time = middle->milliseconds;
  std::nth_element(samples.begin(), middle, samples.end(),
                   [](auto a, auto b) { return a.cpuMilliseconds < b.cpuMilliseconds; });
  const double cpu = middle->cpuMilliseconds;
  std::nth_element(samples.begin(), middle, samples.end(),
                   [](auto a, auto b) { return a.peakKiB < b.peakKiB; });
  return {time, middle->peakKiB, cpu};
}

void Print(const char* name, const Sample& s) {
  std::printf("%s: %8.1f ms  %7ld KiB peak  %8.1f ms processor\n", name, s.milliseconds, s.peakKiB,
              s.cpuMilliseconds);
}

void PrintRatio(const char* name, const Sample& s, const Sample& yardstick) {
  std::printf("%s against the labelled window: %.2fx time  %.2fx memory  (%.2fx processor)\n", name,
              s.milliseconds / yardstick.milliseconds,
              double(s.peakKiB) / double(yardstick.peakKiB),
              s.cpuMilliseconds / yardstick.cpuMilliseconds);
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
  Print("main window", a);
  Print("bare window", b);
  Print("bare window with one label", l);
  // The yardstick is the window with one label: the first line of text costs a
  // bare window the font database, which any window with text pays.
  PrintRatio("main window", a, l);
  if (branded) {
    const Sample r = Median(brand);
    Print("branded main window", r);
    PrintRatio("branded main window", r, l);
  }
  return 0;
}
