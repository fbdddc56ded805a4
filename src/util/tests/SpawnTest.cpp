#include "util/Spawn.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "testsupport/TempFolder.h"
#include "util/TextLines.h"

using UUtils::Spawn;
using UUtils::SpawnRequest;

TEST(Spawn, aKeptChildHasAGroupNoInputNoSignalHeldBackAndNoDescriptorOfOurs) {
  testsupport::TempFolder folder;
  const std::string log = folder.Path("server.log");
  UUtils::WriteFileBytes(log, "earlier\n");
  const int ours = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(ours, 3);
  sigset_t held, before;
  ::sigemptyset(&held);
  ::sigaddset(&held, SIGUSR1);
  ::pthread_sigmask(SIG_BLOCK, &held, &before);
  const std::string script =
      "echo \"$1\"; read line && echo read \"$line\"; [ -e /proc/$$/fd/" + std::to_string(ours) +
      " ] && echo leaked; "
      // Read by the shell itself: while it waits for a command it ran, it holds every signal.
      "while read -r l; do case $l in SigBlk*) echo \"$l\";; esac; done </proc/$$/status; "
      "echo to-errors >&2";
  const pid_t pid = Spawn({"/bin/sh", {"sh", "-c", script, "sh", "one argument"}, log});
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  ::close(ours);
  ASSERT_GT(pid, 0) << std::strerror(errno);
  EXPECT_EQ(::getpgid(pid), pid);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_EQ(UUtils::ReadFileBytes(log),
            "earlier\none argument\nSigBlk:\t0000000000000000\nto-errors\n");
}

TEST(Spawn, aProgramThatCannotRunIsReportedWithItsReason) {
  testsupport::TempFolder folder;
  UUtils::WriteFileBytes(folder.Path("not-executable"), "#!/bin/sh\n");
  const struct {
    std::string file;
    int error;
  } programs[] = {{folder.Path("missing"), ENOENT}, {folder.Path("not-executable"), EACCES}};
  for (const auto tie : {SpawnRequest::Tie::Kept, SpawnRequest::Tie::Detached}) {
    for (const auto& program : programs) {
      SCOPED_TRACE(program.file);
      errno = 0;
      EXPECT_EQ(Spawn({program.file, {program.file}, {}, tie}), -1);
      EXPECT_EQ(errno, program.error);
    }
  }
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1) << "no child is left to wait for";
}
