#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "testsupport/Environment.h"
#include "testsupport/TempFolder.h"
#include "util/Launch.h"
#include "util/TextLines.h"

using namespace UUtils;
using testsupport::Environment;

namespace {

// A program that writes each of its arguments on a line of `log`.
std::string RecordingProgram(const testsupport::TempFolder& folder, const std::string& name) {
  const std::string path = folder.Path(name);
  WriteFileBytes(path,
                 "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.log.part\"\n"
                 "/bin/mv \"$0.log.part\" \"$0.log\"\n");
  ::chmod(path.c_str(), 0755);
  return path;
}

// What the detached program logged, once it has run.
std::string LogOf(const std::string& program) {
  const std::string log = program + ".log";
  for (int i = 0; i < 500 && ::access(log.c_str(), F_OK) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return ::access(log.c_str(), F_OK) == 0 ? ReadFileBytes(log) : "(never ran)";
}

}  // namespace

TEST(OpenURL, startsTheFirstWordOfBrowserWithTheAddressUnchanged) {
  testsupport::TempFolder folder;
  const std::string browser = RecordingProgram(folder, "browser");
  Environment variable("BROWSER", browser + " --new-window %s");
  const std::string address = "http://shop.example/a b?x=1&y=\"q\"&z='$HOME'";
  EXPECT_TRUE(OpenURL(address));
  EXPECT_EQ(LogOf(browser), address + "\n");
}

TEST(OpenURL, withoutBrowserItUsesXdgOpenAndFailsQuietlyWhenThereIsNone) {
  testsupport::TempFolder folder;
  Environment noBrowser("BROWSER", std::nullopt);
  Environment path("PATH", folder.Root().string());
  EXPECT_FALSE(OpenURL("http://shop.example/"));
  EXPECT_FALSE(ShellOpen("http://shop.example/"));

  const std::string opener = RecordingProgram(folder, "xdg-open");
  EXPECT_TRUE(ShellOpen("mailto:sales@shop.example"));
  EXPECT_EQ(LogOf(opener), "mailto:sales@shop.example\n");

  Environment missing("BROWSER", folder.Path("no-such-browser"));
  EXPECT_FALSE(OpenURL("http://shop.example/"));
}

TEST(Launcher, recordsInsteadOfStartingWhileRecording) {
  Launcher::RecordOnly(true);
  Environment browser("BROWSER", "/no/such/browser");
  EXPECT_TRUE(OpenURL("http://a/"));
  EXPECT_TRUE(ShellOpen("http://b/"));
  // An empty address, such as an unbranded program's Make Money and Help
  // addresses, opens nothing at all.
  EXPECT_FALSE(OpenURL(""));
  EXPECT_FALSE(ShellOpen(""));
  ASSERT_EQ(Launcher::Recorded().size(), 2u);
  EXPECT_EQ(Launcher::Recorded()[0].program, "/no/such/browser");
  EXPECT_EQ(Launcher::Recorded()[0].arguments, std::vector<std::string>{"http://a/"});
  EXPECT_EQ(Launcher::Recorded()[1].program, "xdg-open");
  Launcher::RecordOnly(false);
  EXPECT_TRUE(Launcher::Recorded().empty());
}
