#include "publish/Publisher.h"

#include <algorithm>
#include <memory>
#include <set>

#include "net/CurlLibrary.h"
#include "net/HttpClient.h"
#include "net/TransferLoop.h"
#include "util/AppError.h"
#include "util/PercentEncoding.h"
#include "util/TextLines.h"

namespace publish {

namespace {

using net::Curl;

// How often progress is told.
constexpr std::chrono::milliseconds kProgressEvery{100};
// The remote folder's listing is only read for names; more than this is not a web folder.
constexpr std::size_t kMaxListing = 4 << 20;

void FreeEasy(CURL* easy) { Curl().easy_cleanup(easy); }
void FreeMulti(CURLM* multi) { Curl().multi_cleanup(multi); }
void FreeList(curl_slist* list) { Curl().slist_free_all(list); }
template <typename T, void (*Free)(T*)>
struct Deleter {
  void operator()(T* p) const { Free(p); }
};
using Easy = std::unique_ptr<CURL, Deleter<CURL, FreeEasy>>;
using Multi = std::unique_ptr<CURLM, Deleter<CURLM, FreeMulti>>;
using CommandList = std::unique_ptr<curl_slist, Deleter<curl_slist, FreeList>>;

// A command to the server's file system in its protocol's words.
std::string Quoted(const std::string& path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// What one transfer reads from and writes to, and what the host-key check found.
struct Transfer {
  const std::string* upload = nullptr;
  std::size_t uploaded = 0;
  std::string download;
  bool downloadTooLarge = false;
  std::uint64_t moved = 0;  // bytes either way, to tell a quiet connection
  char error[CURL_ERROR_SIZE] = {};
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = std::min(size * count, t->upload->size() - t->uploaded);
  std::copy_n(t->upload->data() + t->uploaded, n, buffer);
  t->uploaded += n;
  t->moved += n;
  return n;
}

size_t WriteDownload(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::size_t n = size * count;
  t->moved += n;
  if (n > kMaxListing - t->download.size()) {
    t->downloadTooLarge = true;
    return 0;
  }
  t->download.append(data, n);
  return n;
}

// The host-key check of one session: what the known hosts said, and what the seller answered.
struct KeyCheck {
  const Destination* destination = nullptr;
  const Trust* trust = nullptr;
  std::string knownHosts;
  std::string fingerprint;
  bool changed = false;
  bool declined = false;
  std::string recordError;
};

int CheckHostKey(CURL*, const curl_khkey*, const curl_khkey* found, curl_khmatch match,
                 void* user) {
  auto* check = static_cast<KeyCheck*>(user);
  if (!found || found->len == 0) {
    check->declined = true;
    return CURLKHSTAT_REJECT;
  }
  HostKey key{check->destination->host, PortOf(*check->destination),
              std::string(found->key, found->len)};
  check->fingerprint = Fingerprint(key.blob);
  if (match == CURLKHMATCH_OK) return CURLKHSTAT_FINE;
  if (match == CURLKHMATCH_MISMATCH) {
    check->changed = true;
    return CURLKHSTAT_REJECT;
  }
  // Unknown: the seller decides, and a key taken is recorded by us, so that libcurl never
  // rewrites the user's known hosts (lines it does not understand would be lost).
  if (!check->trust->acceptNewHostKey || !check->trust->acceptNewHostKey(key)) {
    check->declined = true;
    return CURLKHSTAT_REJECT;
  }
  try {
    RecordHostKey(check->knownHosts, key);
  } catch (const PublishError& e) {
    check->recordError = e.what();
  }
  return CURLKHSTAT_FINE;
}

class Session {
 public:
  Session(const Destination& destination, const Credentials& credentials, const Trust& trust)
      : destination_(destination), credentials_(credentials), trust_(trust) {
    keyCheck_.destination = &destination_;
    keyCheck_.trust = &trust_;
    keyCheck_.knownHosts =
        trust.knownHostsFile.empty() ? UserKnownHostsFile() : trust.knownHostsFile;
    multi_.reset(Curl().multi_init());
    if (!multi_) throw PublishError("Out of memory");
  }

  bool Sftp() const { return destination_.protocol == Protocol::Sftp; }

  // The command that removes `name` from the folder, and may fail.
  std::string RemoveCommand(const std::string& name) const {
    return Sftp() ? "*rm " + Quoted(RemotePath(name)) : "*DELE " + name;
  }

  // The remote path of a name in the folder, as the server's commands take it.
  std::string RemotePath(const std::string& name) const {
    if (!Sftp()) return name;
    // The commands do not know "/~/" as addresses do; a path without a leading '/' starts in
    // the home folder, where an SFTP session starts.
    const std::string& folder = destination_.folder;
    if (folder == "/~") return name;
    if (folder.rfind("/~/", 0) == 0) return folder.substr(3) + "/" + name;
    return folder + "/" + name;
  }

  // The names in the remote folder; empty when it is not there yet.
  std::set<std::string> List() {
    Transfer t;
    Easy easy = Prepare("", t);
    Set(easy.get(), CURLOPT_DIRLISTONLY, 1L);
    Set(easy.get(), CURLOPT_WRITEFUNCTION, WriteDownload);
    Set(easy.get(), CURLOPT_WRITEDATA, &t);
    const CURLcode code = Run(easy.get(), t, {});
    if (code == CURLE_REMOTE_FILE_NOT_FOUND || code == CURLE_REMOTE_ACCESS_DENIED) return {};
    if (t.downloadTooLarge) throw PublishError("The remote folder lists too many files.");
    Check(code, t, "");
    std::set<std::string> names;
    for (std::string& line : UUtils::SplitLines(t.download)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const auto slash = line.rfind('/');
      names.insert(slash == std::string::npos ? line : line.substr(slash + 1));
    }
    return names;
  }

  // Sends `bytes` to the folder under `name`, made with `mode` where the protocol sets one.
  void Upload(const std::string& name, const std::string& bytes, int mode,
              const std::function<bool(std::uint64_t)>& sent) {
    Transfer t;
    t.upload = &bytes;
    Easy easy = Prepare(name, t);
    CURL* e = easy.get();
    Set(e, CURLOPT_UPLOAD, 1L);
    Set(e, CURLOPT_READFUNCTION, ReadUpload);
    Set(e, CURLOPT_READDATA, &t);
    Set(e, CURLOPT_INFILESIZE_LARGE, curl_off_t(bytes.size()));
    Set(e, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR));
    if (Sftp()) Set(e, CURLOPT_NEW_FILE_PERMS, long(mode));
    Check(Run(e, t, [&] { return sent(t.uploaded); }), t, name);
  }

  // Runs the server commands `commands` in the folder, in order; one whose text starts with '*'
  // may fail.
  void Commands(const std::vector<std::string>& commands) {
    Transfer t;
    Easy easy = Prepare("", t);
    CURL* e = easy.get();
    CommandList list;
    for (const std::string& command : commands) {
      curl_slist* longer = Curl().slist_append(list.get(), command.c_str());
      if (!longer) throw PublishError("Out of memory");
      (void)list.release();
      list.reset(longer);
    }
    Set(e, CURLOPT_DIRLISTONLY, 1L);
    Set(e, CURLOPT_WRITEFUNCTION, WriteDownload);
    Set(e, CURLOPT_WRITEDATA, &t);
    Set(e, CURLOPT_POSTQUOTE, list.get());
    Check(Run(e, t, {}), t, "");
  }

 private:
  template <typename Value>
  static void Set(CURL* easy, CURLoption option, Value value) {
    const CURLcode code = Curl().easy_setopt(easy, option, value);
    if (code != CURLE_OK) {
      throw PublishError(std::string("The network library lacks a feature: ") +
                         Curl().easy_strerror(code));
    }
  }

  std::string Url(const std::string& name) const {
    const char* scheme = Sftp() ? "sftp" : "ftp";
    return std::string(scheme) + "://" + destination_.host + ":" +
           std::to_string(PortOf(destination_)) +
           UUtils::PercentEncoded(destination_.folder, "/~") + "/" + UUtils::PercentEncoded(name);
  }

  Easy Prepare(const std::string& name, Transfer& t) {
    Easy easy(Curl().easy_init());
    if (!easy) throw PublishError("Out of memory");
    CURL* e = easy.get();
    Set(e, CURLOPT_URL, Url(name).c_str());
    Set(e, CURLOPT_PROTOCOLS_STR, Sftp() ? "sftp" : "ftp");
    Set(e, CURLOPT_NOSIGNAL, 1L);
    Set(e, CURLOPT_ERRORBUFFER, t.error);
    Set(e, CURLOPT_USERNAME, destination_.user.c_str());
    Set(e, CURLOPT_CONNECTTIMEOUT_MS, long(kConnectTimeout.count()));
    Set(e, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(kIdleTimeout.count() / 1000));
    if (Sftp()) {
      long auth = CURLSSH_AUTH_AGENT;
      if (!credentials_.identityFile.empty()) {
        auth |= CURLSSH_AUTH_PUBLICKEY;
        Set(e, CURLOPT_SSH_PRIVATE_KEYFILE, credentials_.identityFile.c_str());
        // Empty: the public half is taken from the private key.
        Set(e, CURLOPT_SSH_PUBLIC_KEYFILE, "");
        // A password given with a key is the key's passphrase.
        if (!credentials_.password.empty()) {
          Set(e, CURLOPT_KEYPASSWD, credentials_.password.c_str());
        }
      } else if (!credentials_.password.empty()) {
        auth |= CURLSSH_AUTH_PASSWORD | CURLSSH_AUTH_KEYBOARD;
        Set(e, CURLOPT_PASSWORD, credentials_.password.c_str());
      }
      Set(e, CURLOPT_SSH_AUTH_TYPES, auth);
      Set(e, CURLOPT_SSH_KNOWNHOSTS, keyCheck_.knownHosts.c_str());
      Set(e, CURLOPT_SSH_KEYFUNCTION, CheckHostKey);
      Set(e, CURLOPT_SSH_KEYDATA, &keyCheck_);
    } else {
      Set(e, CURLOPT_PASSWORD, credentials_.password.c_str());
      if (destination_.protocol == Protocol::Ftps) {
        // Nothing goes out before the connection is encrypted, and the certificate is checked.
        Set(e, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
        Set(e, CURLOPT_SSL_VERIFYPEER, 1L);
        Set(e, CURLOPT_SSL_VERIFYHOST, 2L);
        if (!trust_.caFile.empty()) Set(e, CURLOPT_CAINFO, trust_.caFile.c_str());
      }
    }
    return easy;
  }

  // Runs one transfer to its end, Qt's events processed between the waits; `tick` is asked now
  // and then whether to go on. A cancel or a quiet connection ends the transfer.
  CURLcode Run(CURL* easy, Transfer& t, const std::function<bool()>& tick) {
    using Clock = std::chrono::steady_clock;
    if (Curl().multi_add_handle(multi_.get(), easy) != CURLM_OK) {
      throw PublishError("Cannot start the transfer.");
    }
    struct Remove {
      CURLM* multi;
      CURL* easy;
      ~Remove() { Curl().multi_remove_handle(multi, easy); }
    } remove{multi_.get(), easy};
    Clock::time_point told = Clock::now();
    const auto goOn = [&] {
      const Clock::time_point now = Clock::now();
      if (tick && now - told >= kProgressEvery) {
        told = now;
        if (!tick()) throw PublishCancelled("Publishing was cancelled.");
      }
      return true;
    };
    const net::TransferOutcome outcome =
        net::DriveTransfer(multi_.get(), easy, {&t.moved, kIdleTimeout + kConnectTimeout, goOn});
    switch (outcome.end) {
      case net::TransferOutcome::Done:
        return outcome.result;
      case net::TransferOutcome::Quiet:
        throw PublishError("The host stopped answering during the transfer.");
      case net::TransferOutcome::Stopped:
      case net::TransferOutcome::Failed:
        break;
    }
    throw PublishError("The transfer failed.");
  }

  void Check(CURLcode code, const Transfer& t, const std::string& name) const {
    if (code == CURLE_OK) return;
    const std::string where =
        destination_.host + (destination_.port ? ":" + std::to_string(destination_.port) : "");
    const std::string detail = *t.error ? t.error : Curl().easy_strerror(code);
    if (keyCheck_.changed) {
      throw PublishError(
          "The host key of " + where + " has changed: it now presents " + keyCheck_.fingerprint +
          ", not the key recorded in " + keyCheck_.knownHosts +
          ". Someone may be between you and your host, so nothing was sent. If your host has "
          "really changed its key, remove its old line from that file and publish again.");
    }
    if (keyCheck_.declined) {
      throw PublishError("The host key of " + where + " (" + keyCheck_.fingerprint +
                         ") was not accepted, so nothing was sent.");
    }
    switch (code) {
      case CURLE_LOGIN_DENIED:
        throw PublishError("The host " + where + " refused the login of \"" + destination_.user +
                           "\": check the user name and the " +
                           (credentials_.identityFile.empty() ? "password." : "key."));
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_CONNECT:
      case CURLE_OPERATION_TIMEDOUT:
        throw PublishError("Could not reach " + where + ": " + detail);
      case CURLE_USE_SSL_FAILED:
        throw PublishError("The host " + where +
                           " does not offer FTP over TLS, so nothing was sent. Ask your host for "
                           "SFTP or FTP over TLS.");
      case CURLE_PEER_FAILED_VERIFICATION:
      case CURLE_SSL_CACERT_BADFILE:
        throw PublishError("The certificate of " + where + " could not be verified (" + detail +
                           "), so nothing was sent. For a host with a certificate of its own, "
                           "give that certificate as the CA file.");
      case CURLE_SSH:
        if (!credentials_.identityFile.empty() && detail.find("key") != std::string::npos) {
          throw PublishError("The key " + credentials_.identityFile +
                             " could not be used: " + detail);
        }
        break;
      default:
        break;
    }
    throw PublishError((name.empty() ? "The transfer" : "Sending " + name) + " to " + where +
                       " failed: " + detail);
  }

  Destination destination_;
  const Credentials& credentials_;
  const Trust& trust_;
  KeyCheck keyCheck_;
  Multi multi_;
};

std::string ReadLocal(const std::string& path) {
  try {
    return UUtils::ReadFileBytes(path);
  } catch (const UUtils::AppError& e) {
    throw PublishError(e.what());
  }
}

}  // namespace

PublishOutcome Publish(const std::string& page, const Destination& destination,
                       const Credentials& credentials, const Trust& trust,
                       const std::function<bool(const Progress&)>& progress) {
  const std::vector<PackageFile> files = PackageFiles(page);
  // The bytes are read before anything is sent, so that what arrives is one generation's.
  std::vector<std::string> contents;
  for (const PackageFile& file : files) contents.push_back(ReadLocal(file.localPath));

  try {
    (void)Curl();
  } catch (const net::HttpError& e) {
    throw PublishError(e.what());
  }
  Session session(destination, credentials, trust);
  const std::set<std::string> remote = session.List();

  PublishOutcome outcome;
  std::vector<std::size_t> sending;
  Progress shown;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].keepRemote && remote.count(files[i].name)) {
      outcome.kept.push_back(files[i].name);
    } else {
      sending.push_back(i);
      shown.bytesTotal += contents[i].size();
    }
  }
  shown.files = sending.size();

  auto tell = [&progress, &shown] { return !progress || progress(shown); };
  std::vector<std::string> temporaries;
  auto removeTemporaries = [&] {
    std::vector<std::string> commands;
    for (const std::string& name : temporaries) {
      commands.push_back(session.RemoveCommand(name));
    }
    if (commands.empty()) return;
    try {
      session.Commands(commands);
    } catch (const PublishError&) {
      // The host is gone: what it has of the temporary files stays under their own names.
    }
  };

  try {
    std::uint64_t before = 0;
    for (std::size_t n = 0; n < sending.size(); ++n) {
      const PackageFile& file = files[sending[n]];
      shown.file = file.name;
      shown.index = n + 1;
      shown.bytesSent = before;
      if (!tell()) throw PublishCancelled("Publishing was cancelled.");
      const std::string temporary = TemporaryName(file.name);
      temporaries.push_back(temporary);
      session.Upload(temporary, contents[sending[n]], file.mode, [&](std::uint64_t sent) {
        shown.bytesSent = before + sent;
        return tell();
      });
      before += contents[sending[n]].size();
    }
    shown.bytesSent = before;
    if (!tell()) throw PublishCancelled("Publishing was cancelled.");
  } catch (const PublishError&) {
    removeTemporaries();
    throw;
  }

  // Everything has arrived: each file takes its place in one exchange with the host, the page
  // last. A rename over a file is refused by some SFTP servers, so there the old file goes first.
  std::vector<std::string> commands;
  for (std::size_t index : sending) {
    const PackageFile& file = files[index];
    const std::string from = session.RemotePath(TemporaryName(file.name));
    const std::string to = session.RemotePath(file.name);
    if (session.Sftp()) {
      char mode[8];
      std::snprintf(mode, sizeof mode, "%o", file.mode);
      commands.push_back("*rm " + Quoted(to));
      commands.push_back("rename " + Quoted(from) + " " + Quoted(to));
      commands.push_back("*chmod " + std::string(mode) + " " + Quoted(to));
    } else {
      commands.push_back("RNFR " + from);
      commands.push_back("RNTO " + to);
    }
    outcome.sent.push_back(file.name);
  }
  // What an earlier publication that was cut short left under temporary names goes too.
  for (const std::string& name : remote) {
    if (name.rfind(TemporaryName(""), 0) != 0 ||
        std::find(temporaries.begin(), temporaries.end(), name) != temporaries.end()) {
      continue;
    }
    commands.push_back(session.RemoveCommand(name));
  }
  try {
    session.Commands(commands);
  } catch (const PublishError& e) {
    removeTemporaries();
    throw PublishError(std::string(e.what()) +
                       " Some files may have taken their places: publish again to complete it.");
  }
  return outcome;
}

}  // namespace publish
