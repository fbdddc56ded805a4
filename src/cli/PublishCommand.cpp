// tolvan publish: the window's "Publish" from the command line.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "publish/Publisher.h"
#include "publish/SetupCheck.h"

namespace cli {

namespace {

constexpr char kPublishHelp[] =
    "Usage: tolvan publish --page PATH --to ADDRESS [OPTIONS]\n"
    "\n"
    "Puts the script package generated beside the sales page, and the page, on your host:\n"
    "every file is sent under a temporary name and takes its place once all have arrived,\n"
    "the page last. Nothing else of the page's folder is sent, and the figures the package\n"
    "keeps on the host (the sales count, the visitors) stay as they are. A publication that\n"
    "fails leaves the host's previous files in place.\n"
    "\n"
    "  --page PATH            the sales page; generate its package first\n"
    "  --to ADDRESS           sftp://user@host[:port]/folder (SSH; the folder from the root,\n"
    "                         /~/folder in your home), ftps://user@host[:port]/folder (FTP\n"
    "                         over TLS) or ftp://user@host[:port]/folder (plain FTP: the\n"
    "                         password and the files travel unencrypted)\n"
    "  --password-stdin       read the password (with --identity: the key's passphrase) from\n"
    "                         the first line of standard input; never give it on the command\n"
    "                         line\n"
    "  --identity FILE        SFTP: log in with this private key (else the SSH agent, or the\n"
    "                         password)\n"
    "  --known-hosts FILE     SFTP: the known host keys (default ~/.ssh/known_hosts)\n"
    "  --accept-host-key FP   SFTP: take the host's key if it is unknown and its fingerprint\n"
    "                         is FP (SHA256:...), recording it in the known hosts\n"
    "  --ca-file FILE         FTP over TLS: the certificate the host's must be signed by (a\n"
    "                         self-signed host's own certificate)\n"
    "  --site-url URL         the sales page's web address: after the upload its set-up page\n"
    "                         is opened there and its verdict shown\n"
    "  --setup-key KEY        the set-up key that 'tolvan generate' printed (stchmod.php?key=\n"
    "                         KEY); without it the check only tells that the package answers\n"
    "\n"
    "Exit codes: 0 published (and, with --site-url, checked); 1 failed: the host keeps its\n"
    "previous files (or the check found problems: then the files were published); 2 a bad\n"
    "option.\n";

int Usage(const std::string& message) {
  std::fprintf(stderr, "tolvan publish: %s\nRun 'tolvan publish --help' for the options.\n",
               message.c_str());
  return 2;
}

struct PublishRequest {
  std::string page;
  std::string to;
  bool passwordStdin = false;
  std::string identity;
  std::string knownHosts;
  std::string acceptHostKey;
  std::string caFile;
  std::string siteUrl;
  std::string setupKey;
};

// The request, or the exit code when the words end the command.
std::optional<int> ReadRequest(const std::vector<std::string>& args, PublishRequest& request) {
  const std::pair<const char*, std::string*> valued[] = {
      {"--page", &request.page},
      {"--to", &request.to},
      {"--identity", &request.identity},
      {"--known-hosts", &request.knownHosts},
      {"--accept-host-key", &request.acceptHostKey},
      {"--ca-file", &request.caFile},
      {"--site-url", &request.siteUrl},
      {"--setup-key", &request.setupKey}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kPublishHelp, stdout);
      return 0;
    }
    if (arg == "--password-stdin") {
      request.passwordStdin = true;
      continue;
    }
    if (arg == "--password" || arg.rfind("--password=", 0) == 0) {
      return Usage("a password is never given on the command line: use --password-stdin");
    }
    bool known = false;
    for (const auto& [name, value] : valued) {
      if (arg != name) continue;
      if (i + 1 >= args.size()) return Usage(std::string(name) + " needs a value");
      *value = args[++i];
      known = true;
    }
    if (!known) return Usage("unknown option '" + arg + "'");
  }
  if (request.page.empty()) return Usage("--page is required");
  if (request.to.empty()) return Usage("--to is required");
  return std::nullopt;
}

// The first line of standard input, without its line end.
std::string ReadPassword() {
  std::string line;
  std::getline(std::cin, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string Size(std::uint64_t bytes) {
  char text[32];
  if (bytes < 10 * 1024) {
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  } else {
    std::snprintf(text, sizeof text, "%.1f KB", double(bytes) / 1024);
  }
  return text;
}

// Asks at the terminal whether to take an unknown host key; elsewhere says how to take it.
bool AcceptHostKey(const publish::HostKey& key, const PublishRequest& request) {
  const std::string fingerprint = publish::Fingerprint(key.blob);
  if (!request.acceptHostKey.empty()) return request.acceptHostKey == fingerprint;
  std::fprintf(stderr,
               "The host %s:%d is not known yet. Its key's fingerprint is\n  %s\nCompare it "
               "with the one your host gives you.\n",
               key.host.c_str(), key.port, fingerprint.c_str());
  if (request.passwordStdin || !::isatty(STDIN_FILENO)) {
    std::fprintf(stderr, "If it matches, run again with --accept-host-key %s\n",
                 fingerprint.c_str());
    return false;
  }
  std::fprintf(stderr, "Is it your host's key (yes/no)? ");
  std::string answer;
  std::getline(std::cin, answer);
  return answer == "yes" || answer == "y";
}

}  // namespace

int RunPublish(const std::vector<std::string>& args) {
  PublishRequest request;
  if (const auto done = ReadRequest(args, request)) return *done;
  publish::Destination destination;
  try {
    destination = publish::ParseDestination(request.to);
  } catch (const publish::PublishError& e) {
    return Usage(e.what());
  }
  const bool ftp = destination.protocol != publish::Protocol::Sftp;
  if (ftp && !request.passwordStdin) {
    return Usage("FTP logs in with a password: give it on standard input with --password-stdin");
  }
  if (ftp && !request.identity.empty()) return Usage("--identity is for sftp:// only");
  if (!request.siteUrl.empty()) {
    try {
      (void)publish::SetupPageUrl(request.siteUrl, "");
    } catch (const publish::PublishError& e) {
      return Usage(e.what());
    }
  }
  if (destination.protocol == publish::Protocol::Ftp) {
    std::fprintf(stderr,
                 "Warning: plain FTP sends your password and the files unencrypted; use sftp:// "
                 "or ftps:// where your host offers them.\n");
  }

  publish::Credentials credentials;
  credentials.identityFile = request.identity;
  if (request.passwordStdin) credentials.password = ReadPassword();
  publish::Trust trust;
  trust.knownHostsFile = request.knownHosts;
  trust.caFile = request.caFile;
  trust.acceptNewHostKey = [&request](const publish::HostKey& key) {
    return AcceptHostKey(key, request);
  };

  const bool terminal = ::isatty(STDERR_FILENO);
  bool shown = false;
  auto progress = [terminal, &shown](const publish::Progress& p) {
    if (terminal) {
      std::fprintf(stderr, "\r\033[KSending %s (%zu of %zu): %s of %s", p.file.c_str(), p.index,
                   p.files, Size(p.bytesSent).c_str(), Size(p.bytesTotal).c_str());
      shown = true;
    }
    return true;
  };
  try {
    const publish::PublishOutcome outcome =
        publish::Publish(request.page, destination, credentials, trust, progress);
    if (shown) std::fputs("\r\033[K", stderr);
    std::printf("Published %zu files to %s, the page last.\n", outcome.sent.size(),
                publish::AddressOf(destination).c_str());
    for (const std::string& name : outcome.kept) {
      std::printf("Kept the host's %s: it holds the offer's figures there.\n", name.c_str());
    }
  } catch (const publish::PublishError& e) {
    if (shown) std::fputs("\n", stderr);
    std::fprintf(stderr, "tolvan publish: %s\nThe host keeps its previous files.\n", e.what());
    return 1;
  }
  if (request.siteUrl.empty()) return 0;
  try {
    const publish::SetupVerdict verdict = publish::CheckSetup(request.siteUrl, request.setupKey);
    const bool fine =
        verdict.kind == publish::SetupVerdict::Kind::Ready ||
        (request.setupKey.empty() && verdict.kind == publish::SetupVerdict::Kind::KeyRefused);
    std::fprintf(fine ? stdout : stderr, "%s\n", verdict.summary.c_str());
    return fine ? 0 : 1;
  } catch (const publish::PublishError& e) {
    std::fprintf(stderr, "tolvan publish: the files were published, but %s\n", e.what());
    return 1;
  }
}

}  // namespace cli
