#pragma once

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdio>

// Reports on stdout the moment a window's first frame is complete, with the
// process's peak memory (KiB) and processor time (microseconds, user and
// system) so far, and ends the program. The window's own paint event comes
// before its children are drawn and the frame is put on the screen, so the
// report waits for the next turn of the event loop: it is posted ahead of
// anything the window's own paint event posts.
class ShownProbe : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && !done_) {
      done_ = true;
      QMetaObject::invokeMethod(this, &ShownProbe::Report, Qt::QueuedConnection);
    }
    return false;
  }

 private:
  void Report() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L +
                     usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    std::printf("shown %ld %ld\n", usage.ru_maxrss, cpu);
    std::fflush(stdout);
    QCoreApplication::exit(0);
  }

  bool done_ = false;
};
