// The parts of publishing that need no host: addresses, the files that go, known hosts, and the
// set-up page's verdict.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "generator/DatabaseFile.h"
#include "generator/GenerateScript.h"
#include "publish/HostKey.h"
#include "publish/PackageFiles.h"
#include "publish/SetupCheck.h"
#include "testsupport/ShippedStandIns.h"
#include "testsupport/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using publish::Protocol;

TEST(PublishDestination, addressesReadBackAndBadOnesSayWhy) {
  const struct {
    const char* address;
    Protocol protocol;
    const char* host;
    int port;
    const char* user;
    const char* folder;
  } good[] = {
      {"sftp://me@example.com/var/www/offer", Protocol::Sftp, "example.com", 0, "me",
       "/var/www/offer"},
      {"ftps://shop%40example.com@ftp.example.com:2121/public_html/", Protocol::Ftps,
       "ftp.example.com", 2121, "shop@example.com", "/public_html"},
      {"ftp://me@[::1]:21/www", Protocol::Ftp, "[::1]", 21, "me", "/www"},
      {"sftp://me@host/~/public_html", Protocol::Sftp, "host", 0, "me", "/~/public_html"},
  };
  for (const auto& c : good) {
    const auto d = publish::ParseDestination(c.address);
    EXPECT_EQ(d.protocol, c.protocol) << c.address;
    EXPECT_EQ(d.host, c.host) << c.address;
    EXPECT_EQ(d.port, c.port) << c.address;
    EXPECT_EQ(d.user, c.user) << c.address;
    EXPECT_EQ(d.folder, c.folder) << c.address;
    EXPECT_EQ(publish::ParseDestination(publish::AddressOf(d)).folder, d.folder) << c.address;
  }
  const struct {
    const char* address;
    const char* says;
  } bad[] = {
      {"scp://me@host/www", "is not a destination"},
      {"sftp://me:pw@host/www", "Leave the password out"},
      {"sftp://host/www", "names no user"},
      {"sftp://me@host/", "names no folder"},
      {"sftp://me@host:99999/www", "is not a destination"},
      {"ftp://me@host/www%0D%0ADELE%20x", "control character"},
      {"ftp://me@host/www%2", "broken %-escape"},
      {"sftp://me@ho st/www", "is not a destination"},
  };
  for (const auto& c : bad) {
    try {
      publish::ParseDestination(c.address);
      ADD_FAILURE() << c.address << " was taken";
    } catch (const publish::PublishError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(PublishPackage, onlyThePackageAndThePageGoTheDatabaseSettingsForTheGroupAlone) {
  testsupport::TempFolder temp;
  testsupport::WriteShippedStandIns(temp.Root() / "app");
  fs::create_directories(temp.Path("site"));
  const std::string page = temp.Path("site/offer.html");
  std::ofstream(page) << "<html><body>Buy</body></html>";
  std::ofstream(temp.Path("site/private.txt")) << "not for the host";
  try {
    publish::PackageFiles(page);
    ADD_FAILURE() << "a folder without a package was taken";
  } catch (const publish::PublishError& e) {
    EXPECT_NE(std::string(e.what()).find("generate it first"), std::string::npos) << e.what();
  }

  generator::OfferSettings settings;
  settings.page = page;
  generator::DatabaseSettings database;
  database.dsn = "mysql:host=127.0.0.1;dbname=shop";
  database.user = "shop";
  database.password = "pw";
  ASSERT_EQ(generator::GenerateScript(settings, temp.Path("app") + "/", database).status,
            generator::GenerateOutcome::Status::Generated);
  const auto files = publish::PackageFiles(page);
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "stconfig1.php", "stdatabase.php", "phpenabler.php", "stchmod.php",
                       "stiframe.php", "stiptrack.txt", "stmain.php", "stnumsales.txt",
                       "stserver.php", "stthanks.php", "stthanksredirect.php", "stdbstore.php",
                       "offer.html"}));
  for (const auto& file : files) {
    EXPECT_EQ(file.mode, file.name == "stdatabase.php" ? 0640 : 0644) << file.name;
    EXPECT_EQ(file.keepRemote, file.name == "stiptrack.txt" || file.name == "stnumsales.txt")
        << file.name;
  }

  fs::remove(temp.Path("site/stmain.php"));
  EXPECT_THROW(publish::PackageFiles(page), publish::PublishError);
}

TEST(PublishHostKey, recordedBesideTheLinesAlreadyKnown) {
  testsupport::TempFolder temp;
  // An ed25519 key's blob: its type and 32 bytes.
  std::string blob("\0\0\0\x0bssh-ed25519\0\0\0\x20", 19);
  blob += std::string(32, '\x5a');
  const std::string path = temp.Path("ssh/known_hosts");
  fs::create_directories(temp.Path("ssh"));
  std::ofstream(path) << "|1|hashed= ssh-rsa AAAA\n@cert-authority *.example.com ssh-ed25519 AAAB";
  publish::RecordHostKey(path, {"example.com", 2222, blob});
  publish::RecordHostKey(path, {"example.org", 22, blob});
  std::ifstream in(path);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  EXPECT_EQ(text,
            "|1|hashed= ssh-rsa AAAA\n@cert-authority *.example.com ssh-ed25519 AAAB\n"
            "[example.com]:2222 ssh-ed25519 "
            "AAAAC3NzaC1lZDI1NTE5AAAAIFpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpa\n"
            "example.org ssh-ed25519 "
            "AAAAC3NzaC1lZDI1NTE5AAAAIFpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpaWlpa\n");
  EXPECT_THROW(publish::RecordHostKey(path, {"x", 22, "junk"}), publish::PublishError);
}

TEST(PublishSetupCheck, theSetupPagesAnswerInPlainWords) {
  EXPECT_EQ(publish::SetupPageUrl("https://shop.example.com/offer/index.php?x=1", "k"),
            "https://shop.example.com/offer/stchmod.php?key=k");
  EXPECT_EQ(publish::SetupPageUrl("http://shop.example.com", ""),
            "http://shop.example.com/stchmod.php");
  EXPECT_THROW(publish::SetupPageUrl("file:///etc/passwd", ""), publish::PublishError);

  const std::string head =
      "<!DOCTYPE html>\n<html><head><title>Offer package set-up</title>"
      "</head><body><h1>Offer package set-up</h1><table>";
  const struct {
    std::string html;
    publish::SetupVerdict::Kind kind;
    const char* says;
  } cases[] = {
      {head + "<tr class=\"ok\"><th>sales count</th><td>OK</td><td>holds 3</td></tr></table>",
       publish::SetupVerdict::Kind::Ready, "everything is in order"},
      {head + "<tr class=\"problem\"><th>secret (stsecret.php)</th><td>PROBLEM</td><td>cannot "
              "be stored &amp; the server&#039;s facts are used</td></tr></table>",
       publish::SetupVerdict::Kind::Problems,
       "secret (stsecret.php): cannot be stored & the server's facts are used"},
      {"<html><title>Offer package</title><p>The offer package is installed here.</p>",
       publish::SetupVerdict::Kind::KeyRefused, "did not take the key"},
      {"<html>Not Found</html>", publish::SetupVerdict::Kind::NotPackage, "did not lead"},
  };
  for (const auto& c : cases) {
    const auto verdict = publish::ReadSetupPage(c.html);
    EXPECT_EQ(verdict.kind, c.kind) << c.html;
    EXPECT_NE(verdict.summary.find(c.says), std::string::npos) << verdict.summary;
  }
}

}  // namespace
