#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "testsupport/TempFolder.h"

namespace publishtest {

// The throwaway account the test servers log in: made the first time, given a fresh random
// password by every test (the tests of this suite never run at the same time).
struct TestAccount {
  std::string name;
  std::string password;
  uid_t uid = 0;
  gid_t gid = 0;
};
// Empty `name` when this process may not make accounts (not root).
TestAccount PrepareAccount();

// A folder the account owns and may write, under a temporary folder the test removes.
std::string MakeAccountFolder(const testsupport::TempFolder& temp, const std::string& name,
                              const TestAccount& account);

// A seller's sales page, `local/index.php`, and the folder `host` on the host that the account
// owns, both under the temporary folder.
struct SellerSite {
  std::string page;
  std::string remote;
};
SellerSite MakeSellerSite(const testsupport::TempFolder& temp, const TestAccount& account);

// A server process started from its own configuration in a temporary folder, on a free port of
// 127.0.0.1. Stop() ends it with every session it forked, as a host that goes away.
class ServerProcess {
 public:
  ~ServerProcess();
  int Port() const { return port_; }
  void Stop();
  // Starts again as it was started, on the same port.
  void Restart();
  // What it wrote to its log and its standard error.
  std::string Log() const;

 protected:
  ServerProcess() = default;
  // Starts `args` until the port listens; throws std::runtime_error when it will not.
  void Start(const std::vector<std::string>& args);

  testsupport::TempFolder folder_;
  int port_ = 0;

 private:
  std::vector<std::string> args_;
  pid_t pid_ = -1;
};

// OpenSSH's server with SFTP: a host key made for the test, password and key login for the
// account. The client's key pair is made for the test too.
class SshServer : public ServerProcess {
 public:
  explicit SshServer(const TestAccount& account);
  std::string ClientKey() const { return folder_.Path("client_key"); }
  // The host key's fingerprint as ssh-keygen shows it: "SHA256:...".
  std::string Fingerprint() const;
  // Stops, takes a new host key, and starts again on the same port.
  void ChangeHostKey();
};

// vsftpd, with explicit TLS (a self-signed certificate for 127.0.0.1 made for the test) or
// without. The account's logins start in `root`.
class FtpServer : public ServerProcess {
 public:
  FtpServer(const TestAccount& account, const std::string& root, bool tls);
  std::string Certificate() const { return folder_.Path("cert.pem"); }
};

// Runs a program to its end, its output dropped; throws std::runtime_error when it fails.
void RunQuietly(const std::vector<std::string>& args, const std::string& input = "");

// A program run to its end with `input` on its standard input, while every process's command
// line is watched for `secret`.
struct WatchedRun {
  int exitCode = -1;
  std::string out, err;
  bool secretOnACommandLine = false;
};
WatchedRun RunWatched(const std::vector<std::string>& args, const std::string& input,
                      const std::string& secret);

}  // namespace publishtest
