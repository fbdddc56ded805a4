#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "generator/GenerateScript.h"
#include "publish/Publisher.h"
#include "publish/tests/FileServers.h"
#include "testsupport/Files.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"

namespace {

namespace fs = std::filesystem;
using publish::Destination;
using publish::Protocol;
using publish::PublishError;
using publishtest::FtpServer;
using publishtest::ServerProcess;
using publishtest::SshServer;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file of a folder by name with its bytes.
std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().string()] = Read(entry.path());
  }
  return files;
}

// A sales page with its generated package and a file of the seller's that is no business of
// the host's; and a folder on the host that the test's servers give the account.
class PublishTest : public ::testing::Test {
 protected:
  void SetUp() override {
    account_ = publishtest::PrepareAccount();
    if (account_.name.empty()) GTEST_SKIP() << "the servers' test account needs root";
    const auto site = publishtest::MakeSellerSite(temp_, account_);
    page_ = site.page;
    remote_ = site.remote;
    std::ofstream(temp_.Path("local/notes.txt")) << "the seller's own notes\n";
    Generate("Offer ends in %%timeleft%% minutes");
  }

  void Generate(const std::string& text) {
    generator::OfferSettings settings;
    settings.page = page_;
    settings.maxNumSales = 50;
    settings.hurrexText = text;
    const auto outcome = generator::GenerateScript(settings, testsupport::BuiltAppFolder());
    ASSERT_EQ(outcome.status, generator::GenerateOutcome::Status::Generated) << outcome.message;
    setupKey_ = outcome.setupKey;
  }

  // The remote folder seen by each protocol: SFTP from the root, FTP from where logins start
  // (the host folder itself).
  Destination To(Protocol protocol, const ServerProcess& server) const {
    return {protocol, "127.0.0.1", server.Port(), account_.name,
            protocol == Protocol::Sftp ? remote_ + "/www" : "/www"};
  }
  std::string Site() const { return remote_ + "/www"; }

  publish::Trust Trusting(const FtpServer* ftp = nullptr) {
    publish::Trust trust;
    trust.knownHostsFile = temp_.Path("known_hosts");
    trust.acceptNewHostKey = [this](const publish::HostKey& key) {
      offered_.push_back(publish::Fingerprint(key.blob));
      return true;
    };
    if (ftp) trust.caFile = ftp->Certificate();
    return trust;
  }

  publish::Credentials Password() const {
    publish::Credentials credentials;
    credentials.password = account_.password;
    return credentials;
  }

  // The local folder's package and page, as the host should have them.
  std::map<std::string, std::string> Expected() const {
    auto files = FolderFiles(temp_.Path("local"));
    files.erase("notes.txt");
    return files;
  }

  testsupport::TempFolder temp_;
  publishtest::TestAccount account_;
  std::string page_;
  std::string remote_;
  std::string setupKey_;
  std::vector<std::string> offered_;
};

struct Login {
  const char* name;
  Protocol protocol;
  bool key;
};

class PublishOver : public PublishTest, public ::testing::WithParamInterface<Login> {
 protected:
  // A server for the case's protocol.
  std::unique_ptr<ServerProcess> Server() {
    if (GetParam().protocol == Protocol::Sftp) return std::make_unique<SshServer>(account_);
    return std::make_unique<FtpServer>(account_, remote_, GetParam().protocol == Protocol::Ftps);
  }
  publish::Credentials Login(const ServerProcess& server) const {
    publish::Credentials credentials = Password();
    if (GetParam().key) {
      credentials.password.clear();
      credentials.identityFile = static_cast<const SshServer&>(server).ClientKey();
    }
    return credentials;
  }
  publish::Trust TrustFor(const ServerProcess& server) {
    return Trusting(GetParam().protocol == Protocol::Sftp ? nullptr
                                                          : static_cast<const FtpServer*>(&server));
  }
};

TEST_P(PublishOver, sendsThePackageAndThePageByteForByteAndAgainAfterRegenerating) {
  const auto server = Server();
  const auto first =
      publish::Publish(page_, To(GetParam().protocol, *server), Login(*server), TrustFor(*server));
  EXPECT_EQ(first.sent.back(), "index.php");
  EXPECT_EQ(FolderFiles(Site()), Expected());

  // The host's figures are the offer's from now on: a count that has moved stays.
  std::ofstream(Site() + "/stnumsales.txt", std::ios::trunc) << "7";
  const std::string before = Read(Site() + "/stconfig1.php");
  Generate("Only %%timeleft%% minutes left");
  std::vector<publish::Progress> seen;
  const auto second = publish::Publish(page_, To(GetParam().protocol, *server), Login(*server),
                                       TrustFor(*server), [&seen](const publish::Progress& p) {
                                         seen.push_back(p);
                                         return true;
                                       });
  auto expected = Expected();
  expected["stnumsales.txt"] = "7";
  EXPECT_EQ(FolderFiles(Site()), expected);
  EXPECT_NE(Read(Site() + "/stconfig1.php"), before);
  EXPECT_NE(std::find(second.kept.begin(), second.kept.end(), "stnumsales.txt"), second.kept.end());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().bytesSent, seen.back().bytesTotal);
  EXPECT_EQ(seen.back().index, seen.back().files);

  if (GetParam().protocol == Protocol::Sftp) {
    struct stat info {};
    ASSERT_EQ(::stat((Site() + "/stmain.php").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
    // Asked once, with the fingerprint ssh itself shows for the key.
    ASSERT_EQ(offered_.size(), 1u);
    const auto shown = testsupport::RunProgram(
        "/usr/bin/ssh-keygen", {"-l", "-E", "sha256", "-f", temp_.Path("known_hosts")});
    EXPECT_NE(shown.out.find(offered_[0]), std::string::npos) << shown.out << shown.err;
  }
}

TEST_P(PublishOver, aHostThatGoesAwayOrACancelLeavesThePreviousFilesWhole) {
  const auto server = Server();
  publish::Publish(page_, To(GetParam().protocol, *server), Login(*server), TrustFor(*server));
  const auto previous = FolderFiles(Site());
  Generate("Only %%timeleft%% minutes left");

  // Cancelled while the third file goes: the temporary files are removed.
  EXPECT_THROW(
      publish::Publish(page_, To(GetParam().protocol, *server), Login(*server), TrustFor(*server),
                       [](const publish::Progress& p) { return p.index < 3; }),
      publish::PublishCancelled);
  EXPECT_EQ(FolderFiles(Site()), previous);

  // The host stops while the third file goes.
  try {
    publish::Publish(page_, To(GetParam().protocol, *server), Login(*server), TrustFor(*server),
                     [&server](const publish::Progress& p) {
                       if (p.index == 3) server->Stop();
                       return true;
                     });
    FAIL() << "published to a stopped host";
  } catch (const PublishError& e) {
    EXPECT_EQ(dynamic_cast<const publish::PublishCancelled*>(&e), nullptr) << e.what();
  }
  auto left = FolderFiles(Site());
  for (const auto& [name, bytes] : previous) {
    EXPECT_EQ(left[name], bytes) << name;
    left.erase(name);
  }
  // What remains besides are the temporary files the stopped host kept, until the next
  // publication completes.
  for (const auto& [name, bytes] : left) EXPECT_EQ(name.rfind(".tolvan-part.", 0), 0u) << name;
  server->Restart();
  publish::Publish(page_, To(GetParam().protocol, *server), Login(*server), TrustFor(*server));
  EXPECT_EQ(FolderFiles(Site()), Expected());
}

INSTANTIATE_TEST_SUITE_P(Logins, PublishOver,
                         ::testing::Values(Login{"SftpPassword", Protocol::Sftp, false},
                                           Login{"SftpKey", Protocol::Sftp, true},
                                           Login{"FtpOverTls", Protocol::Ftps, false},
                                           Login{"PlainFtp", Protocol::Ftp, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PublishTest, anSftpFolderInTheHomeFolder) {
  // The account's logins start in /tmp.
  if (temp_.Root().parent_path() != "/tmp") GTEST_SKIP() << "the temporary folder is not in /tmp";
  const std::string name = fs::path(temp_.Root()).filename().string();
  SshServer server(account_);
  const Destination to{Protocol::Sftp, "127.0.0.1", server.Port(), account_.name,
                       "/~/" + name + "/host/www"};
  publish::Publish(page_, to, Password(), Trusting());
  Generate("Only %%timeleft%% minutes left");
  publish::Publish(page_, to, Password(), Trusting());
  EXPECT_EQ(FolderFiles(Site()), Expected());
}

TEST_F(PublishTest, aChangedHostKeyIsRefusedAndNothingIsSent) {
  SshServer server(account_);
  publish::Publish(page_, To(Protocol::Sftp, server), Password(), Trusting());
  const auto previous = FolderFiles(Site());
  server.ChangeHostKey();
  Generate("Only %%timeleft%% minutes left");
  try {
    publish::Publish(page_, To(Protocol::Sftp, server), Password(), Trusting());
    FAIL() << "published to a host with another key";
  } catch (const PublishError& e) {
    EXPECT_NE(std::string(e.what()).find("has changed"), std::string::npos) << e.what();
  }
  EXPECT_EQ(offered_.size(), 1u) << "a changed key was offered as a new one";
  EXPECT_EQ(FolderFiles(Site()), previous);
}

TEST_F(PublishTest, refusedLoginsAndUntrustedHostsSayWhy) {
  SshServer ssh(account_);
  FtpServer ftps(account_, remote_, true);
  FtpServer ftp(account_, remote_, false);
  publish::Credentials wrong;
  wrong.password = account_.password + "x";
  publish::Trust noCa = Trusting();
  publish::Trust declining = Trusting();
  declining.knownHostsFile = temp_.Path("other_known_hosts");
  declining.acceptNewHostKey = [](const publish::HostKey&) { return false; };
  publish::Trust ftpsTrust = Trusting(&ftps);
  publish::Trust sshTrust = Trusting();
  const struct {
    const char* name;
    Destination to;
    publish::Credentials login;
    const publish::Trust& trust;
    const char* says;
  } cases[] = {
      {"wrong SSH password", To(Protocol::Sftp, ssh), wrong, sshTrust, "refused the login"},
      {"wrong FTP password", To(Protocol::Ftps, ftps), wrong, ftpsTrust, "refused the login"},
      {"unknown host key declined", To(Protocol::Sftp, ssh), Password(), declining,
       "was not accepted"},
      {"self-signed certificate", To(Protocol::Ftps, ftps), Password(), noCa,
       "could not be verified"},
      {"no TLS on the host", To(Protocol::Ftps, ftp), Password(), noCa,
       "does not offer FTP over TLS"},
  };
  for (const auto& c : cases) {
    try {
      publish::Publish(page_, c.to, c.login, c.trust);
      ADD_FAILURE() << c.name << ": published";
    } catch (const PublishError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
  EXPECT_FALSE(fs::exists(Site() + "/index.php"));
}

}  // namespace
