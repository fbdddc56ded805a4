#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "brand/LastNewsId.h"
#include "brand/tests/BrandFixture.h"
#include "cipher/Crypt.h"
#include "cipher/tests/MemoryStream.h"
#include "testsupport/Environment.h"
#include "testsupport/FileSizeLimit.h"
#include "testsupport/TempFolder.h"
#include "util/AppError.h"

using namespace brand;
namespace fs = std::filesystem;

namespace {

const std::string kBrand =
    "<%%ApplicationName%%>Shop<%%/ApplicationName%%>\r\n"
    "<%%AboutText%%>\r\nAbout us\r\n<%%/AboutText%%>\r\n";

struct SaveCase {
  const char* what;
  std::string before;
  std::string after;     // the document once "42" is saved
  std::string loadedId;  // what LoadLastNewsId gives then
};

// The user's own settings live in a folder of the test's, never in the real
// home folder.
class LastNewsId : public ::testing::Test {
 protected:
  std::string Config() const { return config_.Path("config"); }

 private:
  testsupport::TempFolder config_;
  testsupport::Environment xdg_{"XDG_CONFIG_HOME", config_.Path("config")};
};

// Runs `steps` in a child process as a user who may not write the program
// folder: `nobody` when the test runs as root (whose writes no mode stops),
// else the test's own user. The child's exit code is the number of the first
// step that failed, 0 when all held.
int AsOrdinaryUser(const std::vector<std::function<bool()>>& steps) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0) {
      const passwd* nobody = ::getpwnam("nobody");
      if (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
          ::setuid(nobody->pw_uid) != 0) {
        ::_exit(100);
      }
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
      try {
        if (!steps[i]()) ::_exit(int(i) + 1);
      } catch (...) {
        ::_exit(int(i) + 1);
      }
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 200;
}

}  // namespace

TEST_F(LastNewsId, savingReplacesOnlyTheEntryOrAddsOneLine) {
  const SaveCase cases[] = {
      {"no entry: one line is added at the end", kBrand,
       kBrand + "<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n", "42"},
      {"an entry on its own line: only that line changes",
       "<%%LastNewsId%%>7<%%/LastNewsId%%>\r\n" + kBrand,
       "<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n" + kBrand, "42"},
      {"an entry in another letter case is not the program's: a line is added",
       kBrand + "<%%lastnewsid%%>7<%%/lastnewsid%%>\r\n",
       kBrand + "<%%lastnewsid%%>7<%%/lastnewsid%%>\r\n<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n",
       "7"},
      {"an entry sharing its line keeps the rest of the line",
       "before <%%LastNewsId%%>7<%%/LASTNEWSID%%> after\r\n" + kBrand,
       "before <%%LastNewsId%%>42<%%/LastNewsId%%> after\r\n" + kBrand, "42"},
      {"an entry without a closing tag is replaced to the end of its line",
       "x<%%LastNewsId%%>7\r\n" + kBrand, "x<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n" + kBrand,
       "42"},
      {"the last line without a line break gets one", "last",
       "last\r\n<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n", "42"},
  };
  for (const auto& c : cases) {
    brandtest::BrandFolder app;
    app.WriteBrand(c.before);
    SaveLastNewsId(app.Folder(), "42");
    EXPECT_EQ(app.ReadBrand(), c.after) << c.what;
    EXPECT_EQ(LoadLastNewsId(app.Folder()), c.loadedId) << c.what;
    EXPECT_EQ(app.Names(), std::vector<std::string>{"dbsettings.dat"}) << c.what;
  }
}

TEST_F(LastNewsId, withoutBrandFileNothingIsReadOrCreated) {
  brandtest::BrandFolder app;
  EXPECT_EQ(LoadLastNewsId(app.Folder()), "");
  SaveLastNewsId(app.Folder(), "42");
  EXPECT_TRUE(app.Names().empty());

  app.WriteBrand(kBrand);
  EXPECT_EQ(LoadLastNewsId(app.Folder()), "") << "a brand without the entry";
}

TEST_F(LastNewsId, aBrandFileThatDoesNotDecryptIsLeftUntouched) {
  brandtest::BrandFolder app;
  UUtils::WriteFileBytes(app.Path("plain.txt"), kBrand);
  {
    AesLib::TEncryption crypt("another password", 4096);
    MemoryStream in(AsBytes(UUtils::ReadFileBytes(app.Path("plain.txt")))), out;
    ASSERT_TRUE(crypt.EncryptStream(in, out));
    UUtils::WriteFileBytes(app.Path("foreign.dat"),
                           std::string(out.bytes().begin(), out.bytes().end()));
  }
  fs::remove(app.Path("plain.txt"));
  app.WriteBrand(kBrand);
  std::string damaged = UUtils::ReadFileBytes(app.Path("dbsettings.dat"));
  damaged[15] ^= 1;

  for (const std::string& container :
       {UUtils::ReadFileBytes(app.Path("foreign.dat")), damaged, std::string("not a container")}) {
    UUtils::WriteFileBytes(app.Path("dbsettings.dat"), container);
    SaveLastNewsId(app.Folder(), "42");
    EXPECT_EQ(UUtils::ReadFileBytes(app.Path("dbsettings.dat")), container);
    EXPECT_EQ(app.Names(), (std::vector<std::string>{"dbsettings.dat", "foreign.dat"}));
  }
}

TEST_F(LastNewsId, aFailedRewriteKeepsTheOldBrandFile) {
  brandtest::BrandFolder app;
  const std::string big = kBrand + std::string(4000, 'x') + "\r\n";

  app.WriteBrand(big);
  const std::string old = UUtils::ReadFileBytes(app.Path("dbsettings.dat"));
  // The disk fills up while the new container, 37 bytes longer than the
  // old one, is written: early on, and at its very end.
  for (const std::size_t room : {old.size() - 100, old.size() + 10}) {
    {
      testsupport::FileSizeLimit full(room);
      EXPECT_THROW(SaveLastNewsId(app.Folder(), "42"), UUtils::AppError) << room;
    }
    EXPECT_EQ(UUtils::ReadFileBytes(app.Path("dbsettings.dat")), old);
    EXPECT_EQ(app.Names(), std::vector<std::string>{"dbsettings.dat"});
  }

  EXPECT_FALSE(fs::exists(Config())) << "nothing kept for the user";
}

TEST_F(LastNewsId, aReadOnlyProgramFolderKeepsTheIdForTheUserInstead) {
  brandtest::BrandFolder installed, other;
  installed.WriteBrand(kBrand + "<%%LastNewsId%%>7<%%/LastNewsId%%>\r\n");
  other.WriteBrand(kBrand + "<%%LastNewsId%%>3<%%/LastNewsId%%>\r\n");
  const std::string brand = UUtils::ReadFileBytes(installed.Path("dbsettings.dat"));
  for (const auto* app : {&installed, &other}) {
    ASSERT_EQ(::chmod(app->Path("dbsettings.dat").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(app->Folder().c_str(), 0555), 0);
  }
  // The user's settings folder is the user's own.
  fs::create_directory(Config());
  if (::geteuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(::chown(Config().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(::chmod(fs::path(Config()).parent_path().c_str(), 0755), 0);
  }

  const std::string folder = installed.Folder();
  EXPECT_EQ(AsOrdinaryUser({
                [&] { return LoadLastNewsId(folder) == "7"; },
                [&] { return SaveLastNewsId(folder, "42"), true; },
                [&] { return LoadLastNewsId(folder) == "42"; },
                [&] { return SaveLastNewsId(folder, "43"), LoadLastNewsId(folder) == "43"; },
                // Each program folder keeps its own.
                [&] { return LoadLastNewsId(other.Folder()) == "3"; },
                [&] { return SaveLastNewsId(other.Folder(), "5"), LoadLastNewsId(folder) == "43"; },
            }),
            0);
  EXPECT_EQ(UUtils::ReadFileBytes(installed.Path("dbsettings.dat")), brand);
  EXPECT_EQ(installed.Names(), std::vector<std::string>{"dbsettings.dat"});
  const std::string kept = Config() + "/hurrex-tolvan";
  EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(UUtils::ReadLines(kept + "/last-news-ids").size(), 2u);

  // Once the folder may be written again, the brand file takes the id and
  // the one kept for the user no longer hides it.
  for (const auto* app : {&installed, &other}) {
    ::chmod(app->Folder().c_str(), 0755);
    ::chmod(app->Path("dbsettings.dat").c_str(), 0644);
  }
  SaveLastNewsId(folder, "44");
  EXPECT_EQ(installed.ReadBrand(), kBrand + "<%%LastNewsId%%>44<%%/LastNewsId%%>\r\n");
  EXPECT_EQ(LoadLastNewsId(folder), "44");
  EXPECT_EQ(LoadLastNewsId(other.Folder()), "5");
}
