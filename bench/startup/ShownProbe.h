#pragma once

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdio>

// Reports on stdout the moment a window is first painted, with the process's
// peak memory (KiB) and processor time (microseconds, user and system) so far,
// and ends the program.
class ShownProbe : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      const long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L +
                       usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
      std::printf("shown %ld %ld\n", usage.ru_maxrss, cpu);
      std::fflush(stdout);
      QCoreApplication::exit(0);
    }
    return false;
  }

 private:
  bool done_ = false;
};
