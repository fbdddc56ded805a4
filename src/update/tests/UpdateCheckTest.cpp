#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <filesystem>
#include <optional>

#include "net/HttpClient.h"
#include "testsupport/Environment.h"
#include "testsupport/HostileServer.h"
#include "testsupport/PhpServer.h"
#include "testsupport/TempFolder.h"
#include "update/ProfileFile.h"
#include "update/UpdateCheck.h"
#include "util/AppError.h"
#include "util/TextLines.h"

namespace {

namespace fs = std::filesystem;
using update::Lookup;

// A publisher's web host on the loopback, its update folder at the usual
// path, and a program folder.
class UpdateFolder : public ::testing::Test {
 protected:
  UpdateFolder() {
    fs::create_directories(Published());
    fs::create_directories(App());
    server_.emplace((folder_.Root() / "www").string());
  }

  fs::path Published() const { return folder_.Root() / "www" / "liveupdate" / "hurrex_tolvan"; }
  fs::path App() const { return folder_.Root() / "app"; }
  std::string AppFolder() const { return App().string() + "/"; }
  std::string BaseUrl() const { return server_->Url("liveupdate/hurrex_tolvan/"); }
  fs::path LocalCopy() const { return App() / update::kDescriptorFile; }

  void Publish(const std::string& descriptor) {
    UUtils::WriteFileBytes((Published() / update::kDescriptorFile).string(), descriptor);
  }
  // A PHP script in the web root that answers for `name` + "/" + anything.
  std::string Script(const std::string& name, const std::string& php) {
    UUtils::WriteFileBytes((folder_.Root() / "www" / name).string(), php);
    return server_->Url(name + "/");
  }
  // An update folder whose descriptor, naming version 2.5, comes after 600 ms.
  std::string SlowDescriptor() {
    return Script("slow.php",
                  "<?php usleep(600000);\n"
                  "echo \"[APPLICATION]\\r\\nVersion=2.5\\r\\n\";\n");
  }
  std::vector<std::string> AppFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(App())) {
      names.push_back(entry.path().filename());
    }
    return names;
  }

  testsupport::TempFolder folder_;
  std::optional<testsupport::PhpServer> server_;
};

TEST_F(UpdateFolder, offersOnlyAHigherVersionAndKeepsItsTextAsWritten) {
  const struct {
    const char* descriptor;
    Lookup::Result result;
    const char* version;
  } cases[] = {
      {"[APPLICATION]\r\nName=Hurrex Tolvan\r\nVersion=2.01\r\n", Lookup::None, ""},
      {"[APPLICATION]\r\nName=Hurrex Tolvan\r\nVersion=2.02\r\n", Lookup::Newer, "2.02"},
      {"[application]\nversion = 3 \n", Lookup::Newer, "3"},
      {"[APPLICATION]\nVersion=2.020\n", Lookup::Newer, "2.020"},
      {"[APPLICATION]\nVersion=2.0\n", Lookup::None, ""},
      {"[APPLICATION]\nVersion=1.9\n", Lookup::None, ""},
      {"[APPLICATION]\nName=Hurrex Tolvan\n", Lookup::None, ""},
      {"[APPLICATION]\nVersion=\n", Lookup::None, ""},
      {"[APPLICATION]\nVersion=three\n", Lookup::None, ""},
      {"<html>Not found</html>", Lookup::None, ""},
  };
  for (const auto& c : cases) {
    Publish(c.descriptor);
    const Lookup lookup = update::LookForUpdate(BaseUrl(), AppFolder());
    EXPECT_EQ(lookup.result, c.result) << c.descriptor;
    EXPECT_EQ(lookup.version, c.version) << c.descriptor;
    EXPECT_EQ(UUtils::ReadFileBytes(LocalCopy().string()), c.descriptor)
        << "the copy stays in the program's folder";
  }
}

TEST_F(UpdateFolder, aMissingDescriptorLeavesNoFileBehind) {
  UUtils::WriteFileBytes(LocalCopy().string(), "[APPLICATION]\nVersion=9\n");
  EXPECT_EQ(update::LookForUpdate(BaseUrl(), AppFolder()).result, Lookup::Unreachable);
  EXPECT_EQ(AppFiles(), std::vector<std::string>{});
}

TEST_F(UpdateFolder, aStaleCopyIsDeletedBeforeTheDownloadIsTried) {
  UUtils::WriteFileBytes(LocalCopy().string(), "[APPLICATION]\nVersion=9\n");
  const std::string down = "http://127.0.0.1:" + std::to_string(testsupport::FreePort()) + "/";
  EXPECT_EQ(update::LookForUpdate(down, AppFolder()).result, Lookup::Unreachable);
  EXPECT_EQ(AppFiles(), std::vector<std::string>{});
}

TEST_F(UpdateFolder, aTransferCutShortLeavesNoFileBehind) {
  const std::string base = Script("cut.php",
                                  "<?php header('Content-Length: 4000');\n"
                                  "echo \"[APPLICATION]\\r\\nVersion=9\\r\\n\"; flush(); exit;\n");
  EXPECT_EQ(update::LookForUpdate(base, AppFolder()).result, Lookup::Unreachable);
  EXPECT_EQ(AppFiles(), std::vector<std::string>{});
}

TEST_F(UpdateFolder, aDescriptorBeyondItsLimitCountsAsNotHadAndLeavesNoFile) {
  testsupport::HostileServer hostile;
  const std::string head = "[APPLICATION]\r\nVersion=9\r\n;";
  const std::string exact = head + std::string(update::kMaxProfileBytes - head.size(), 'x');
  hostile.On("/exact/mainappupdate.inf", testsupport::HostileServer::Ok(exact));
  hostile.On("/over/mainappupdate.inf", testsupport::HostileServer::Ok(exact + "x"));
  hostile.On("/endless/mainappupdate.inf", testsupport::HostileServer::Endless());

  const Lookup atTheLimit = update::LookForUpdate(hostile.Url("exact/"), AppFolder());
  EXPECT_EQ(atTheLimit.result, Lookup::Newer);
  EXPECT_EQ(atTheLimit.version, "9");
  for (const char* folder : {"over/", "endless/"}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(update::LookForUpdate(hostile.Url(folder), AppFolder()).result, Lookup::Unreachable);
    EXPECT_EQ(AppFiles(), std::vector<std::string>{});
  }
  EXPECT_LT(hostile.BytesSent("/endless/mainappupdate.inf"), std::int64_t(64) << 20);
}

TEST(DescriptorFolder, isTheUsersCacheFolder) {
  testsupport::TempFolder home;
  const testsupport::Environment cache("XDG_CACHE_HOME", home.Path("cache"));
  EXPECT_EQ(update::DescriptorFolder(), home.Path("cache") + "/hurrex-tolvan/");
  EXPECT_TRUE(fs::is_directory(home.Path("cache/hurrex-tolvan")));
}

TEST_F(UpdateFolder, aUsersCheckDuringADownloadStartsOnlyInPlaceOfAQuietOne) {
  const std::string base = SlowDescriptor();
  int argc = 1;
  char name[] = "update_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  std::optional<Lookup> second;
  QTimer::singleShot(150, [&] { second = update::LookForUpdate(BaseUrl(), AppFolder()); });

  const Lookup first = update::LookForUpdate(base, AppFolder());
  ASSERT_TRUE(second.has_value()) << "the second check came during the first";
  EXPECT_EQ(second->result, Lookup::Interrupted);
  EXPECT_EQ(first.result, Lookup::Newer);
  EXPECT_EQ(first.version, "2.5");
  EXPECT_EQ(AppFiles(), std::vector<std::string>{update::kDescriptorFile});

  // The check the program makes by itself gives way to the user's instead.
  second.reset();
  QTimer::singleShot(150, [&] { second = update::LookForUpdate(BaseUrl(), AppFolder()); });
  Publish("[APPLICATION]\r\nVersion=2.7\r\n");
  const Lookup quiet = update::LookForUpdate(base, AppFolder(), update::Asker::Program);
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(quiet.result, Lookup::Interrupted);
  EXPECT_EQ(second->result, Lookup::Newer);
  EXPECT_EQ(second->version, "2.7");
  EXPECT_EQ(AppFiles(), std::vector<std::string>{update::kDescriptorFile});
  EXPECT_EQ(UUtils::ReadFileBytes(LocalCopy().string()), "[APPLICATION]\r\nVersion=2.7\r\n");
}

TEST_F(UpdateFolder, cancelEndsTheCheckUnderWayAndNoOtherRequest) {
  const std::string base = SlowDescriptor();
  int argc = 1;
  char name[] = "update_tests";
  char* argv[] = {name, nullptr};
  QCoreApplication application(argc, argv);
  EXPECT_FALSE(update::Busy());
  std::optional<bool> busy;
  QTimer::singleShot(150, [&] {
    busy = update::Busy();
    update::Cancel();
  });
  EXPECT_EQ(update::LookForUpdate(base, AppFolder()).result, Lookup::Interrupted);
  EXPECT_EQ(busy, true) << "a user's check waits while another runs";
  EXPECT_FALSE(update::Busy());
  EXPECT_TRUE(AppFiles().empty());

  // A request that is no check, such as the news window's, goes on.
  QTimer::singleShot(150, [] { update::Cancel(); });
  std::string body;
  net::HttpClient::Instance().Get(
      base + update::kDescriptorFile,
      [&body](std::string_view chunk) {
        body.append(chunk);
        return true;
      },
      1000);
  EXPECT_EQ(body, "[APPLICATION]\r\nVersion=2.5\r\n");
}

TEST_F(UpdateFolder, aFolderThatTakesNoFileIsAnErrorForTheUser) {
  Publish("[APPLICATION]\nVersion=3\n");
  const std::string gone = (App() / "gone").string() + "/";
  try {
    update::LookForUpdate(BaseUrl(), gone);
    ADD_FAILURE() << "no error";
  } catch (const UUtils::AppError& error) {
    EXPECT_EQ(std::string(error.what()).rfind("Cannot create file \"" + gone, 0), 0u)
        << error.what();
  }
}

}  // namespace
