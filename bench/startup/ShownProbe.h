#pragma once

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdio>

// Reports on stdout the moment a window is first painted, with the process's
// peak memory so far, and ends the program.
class ShownProbe : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      std::printf("shown %ld\n", usage.ru_maxrss);
      std::fflush(stdout);
      QCoreApplication::exit(0);
    }
    return false;
  }

 private:
  bool done_ = false;
};
