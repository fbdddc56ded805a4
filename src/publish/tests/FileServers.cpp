#include "publish/tests/FileServers.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "util/Loopback.h"

namespace publishtest {

namespace {

constexpr char kAccount[] = "tolvanpub";

pid_t Spawn(const std::vector<std::string>& args, const std::string& log, int input) {
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    ::dup2(input >= 0 ? input : ::open("/dev/null", O_RDONLY), STDIN_FILENO);
    ::dup2(out, STDOUT_FILENO);
    ::dup2(out, STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  return pid;
}

// The processes descending from `root`, itself included.
std::set<pid_t> Tree(pid_t root) {
  std::map<pid_t, pid_t> parents;
  if (DIR* proc = ::opendir("/proc")) {
    while (dirent* entry = ::readdir(proc)) {
      const pid_t pid = std::atoi(entry->d_name);
      if (pid <= 0) continue;
      std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
      std::string line;
      std::getline(stat, line);
      const auto close = line.rfind(')');
      if (close == std::string::npos) continue;
      std::istringstream rest(line.substr(close + 2));
      char state;
      pid_t parent = 0;
      rest >> state >> parent;
      parents[pid] = parent;
    }
    ::closedir(proc);
  }
  std::set<pid_t> tree{root};
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& [pid, parent] : parents) {
      if (tree.count(parent) && tree.insert(pid).second) grew = true;
    }
  }
  return tree;
}

std::string RandomPassword() {
  std::random_device random;
  static constexpr char kDigits[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  std::string password = "Pw";
  for (int i = 0; i < 20; ++i) password += kDigits[random() % (sizeof kDigits - 1)];
  return password;
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

void RunQuietly(const std::vector<std::string>& args, const std::string& input) {
  int pipe[2] = {-1, -1};
  if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  const pid_t pid = Spawn(args, "/dev/null", pipe[0]);
  ::close(pipe[0]);
  if (!input.empty() && ::write(pipe[1], input.data(), input.size()) < 0) {
    ::close(pipe[1]);
    throw std::runtime_error("write");
  }
  ::close(pipe[1]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error(args[0] + " failed");
  }
}

TestAccount PrepareAccount() {
  if (::geteuid() != 0) return {};
  if (!::getpwnam(kAccount)) {
    // Logins start in /tmp; the servers send each test's logins to its own folder.
    RunQuietly({"/usr/sbin/useradd", "--no-create-home", "--home-dir", "/tmp", "--shell",
                "/bin/bash", kAccount});
  }
  const passwd* entry = ::getpwnam(kAccount);
  if (!entry) throw std::runtime_error("the test account could not be made");
  TestAccount account{kAccount, RandomPassword(), entry->pw_uid, entry->pw_gid};
  // The password goes through a pipe, never on a command line.
  RunQuietly({"/usr/sbin/chpasswd"}, account.name + ":" + account.password + "\n");
  return account;
}

std::string MakeAccountFolder(const testsupport::TempFolder& temp, const std::string& name,
                              const TestAccount& account) {
  // The account must reach it through the temporary folder.
  ::chmod(temp.Root().c_str(), 0755);
  const std::string path = temp.Path(name);
  std::filesystem::create_directories(path);
  if (::chown(path.c_str(), account.uid, account.gid) != 0) {
    throw std::runtime_error("chown " + path);
  }
  return path;
}

SellerSite MakeSellerSite(const testsupport::TempFolder& temp, const TestAccount& account) {
  std::filesystem::create_directories(temp.Path("local"));
  SellerSite site{temp.Path("local/index.php"), MakeAccountFolder(temp, "host", account)};
  std::ofstream(site.page) << "<html><body>Buy now</body></html>\n";
  return site;
}

ServerProcess::~ServerProcess() { Stop(); }

void ServerProcess::Stop() {
  if (pid_ <= 0) return;
  // The sessions a server forks leave its process group; they are found by descent.
  for (int round = 0; round < 3; ++round) {
    for (pid_t pid : Tree(pid_)) ::kill(pid, SIGKILL);
  }
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string ServerProcess::Log() const {
  return ReadText(folder_.Path("server.log")) + ReadText(folder_.Path("transfers.log"));
}

void ServerProcess::Restart() { Start(args_); }

void ServerProcess::Start(const std::vector<std::string>& args) {
  args_ = args;
  pid_ = Spawn(args, folder_.Path("server.log"), -1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      throw std::runtime_error(args[0] + " ended at once:\n" + Log());
    }
    if (UUtils::LoopbackListens(port_)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop();
  throw std::runtime_error(args[0] + " did not listen:\n" + Log());
}

SshServer::SshServer(const TestAccount& account) {
  ::chmod(folder_.Root().c_str(), 0755);
  RunQuietly(
      {"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", folder_.Path("host_key")});
  RunQuietly(
      {"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", folder_.Path("client_key")});
  std::filesystem::copy_file(folder_.Path("client_key.pub"), folder_.Path("authorized_keys"));
  std::filesystem::create_directories("/run/sshd");
  port_ = UUtils::FreeLoopbackPort();
  WriteText(folder_.Path("sshd_config"),
            "Port " + std::to_string(port_) + "\nListenAddress 127.0.0.1\nHostKey " +
                folder_.Path("host_key") +
                "\nPidFile none\nUsePAM no\nPasswordAuthentication yes\n"
                "KbdInteractiveAuthentication no\nPubkeyAuthentication yes\n"
                "AuthorizedKeysFile " +
                folder_.Path("authorized_keys") + "\nStrictModes no\nAllowUsers " + account.name +
                "\nSubsystem sftp internal-sftp\nLogLevel VERBOSE\n");
  Start({"/usr/sbin/sshd", "-D", "-e", "-f", folder_.Path("sshd_config")});
}

std::string SshServer::Fingerprint() const {
  const WatchedRun shown = RunWatched(
      {"/usr/bin/ssh-keygen", "-l", "-E", "sha256", "-f", folder_.Path("host_key.pub")}, "", "");
  const auto start = shown.out.find("SHA256:");
  if (start == std::string::npos) throw std::runtime_error("no fingerprint: " + shown.err);
  return shown.out.substr(start, shown.out.find(' ', start) - start);
}


void SshServer::ChangeHostKey() {
  Stop();
  std::filesystem::remove(folder_.Path("host_key"));
  std::filesystem::remove(folder_.Path("host_key.pub"));
  RunQuietly(
      {"/usr/bin/ssh-keygen", "-q", "-t", "ed25519", "-N", "", "-f", folder_.Path("host_key")});
  Restart();
}

FtpServer::FtpServer(const TestAccount& account, const std::string& root, bool tls) {
  RunQuietly({"/usr/bin/openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
              folder_.Path("key.pem"), "-out", folder_.Path("cert.pem"), "-days", "2", "-subj",
              "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
  std::filesystem::create_directories(folder_.Path("empty"));
  ::chmod(folder_.Path("empty").c_str(), 0555);
  port_ = UUtils::FreeLoopbackPort();
  std::string config =
      "listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=" + std::to_string(port_) +
      "\nbackground=NO\nanonymous_enable=NO\nlocal_enable=YES\nwrite_enable=YES\n"
      "local_umask=022\nlocal_root=" +
      root + "\nsecure_chroot_dir=" + folder_.Path("empty") +
      "\npam_service_name=vsftpd\nuserlist_enable=NO\nseccomp_sandbox=NO\n"
      "isolate=NO\nisolate_network=NO\nconnect_from_port_20=NO\n"
      "xferlog_enable=YES\nvsftpd_log_file=" +
      folder_.Path("transfers.log") + "\nlog_ftp_protocol=YES\nchroot_local_user=NO\n";
  (void)account;
  if (tls) {
    config += "ssl_enable=YES\nrsa_cert_file=" + folder_.Path("cert.pem") +
              "\nrsa_private_key_file=" + folder_.Path("key.pem") +
              "\nforce_local_logins_ssl=YES\nforce_local_data_ssl=YES\nrequire_ssl_reuse=NO\n"
              "ssl_tlsv1=YES\nssl_sslv2=NO\nssl_sslv3=NO\n";
  }
  WriteText(folder_.Path("vsftpd.conf"), config);
  Start({"/usr/sbin/vsftpd", folder_.Path("vsftpd.conf")});
}

WatchedRun RunWatched(const std::vector<std::string>& args, const std::string& input,
                      const std::string& secret) {
  testsupport::TempFolder folder;
  int pipe[2] = {-1, -1};
  if (::pipe2(pipe, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
  std::vector<char*> argv;
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const std::string out = folder.Path("out"), err = folder.Path("err");
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipe[0], STDIN_FILENO);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT, 0600), STDOUT_FILENO);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT, 0600), STDERR_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipe[0]);
  if (!input.empty() && ::write(pipe[1], input.data(), input.size()) < 0) {
    throw std::runtime_error("write");
  }
  ::close(pipe[1]);
  WatchedRun run;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    DIR* proc = secret.empty() ? nullptr : ::opendir("/proc");
    if (proc) {
      while (dirent* entry = ::readdir(proc)) {
        if (std::atoi(entry->d_name) <= 0) continue;
        if (ReadText("/proc/" + std::string(entry->d_name) + "/cmdline").find(secret) !=
            std::string::npos) {
          run.secretOnACommandLine = true;
        }
      }
      ::closedir(proc);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadText(out);
  run.err = ReadText(err);
  return run;
}

}  // namespace publishtest
