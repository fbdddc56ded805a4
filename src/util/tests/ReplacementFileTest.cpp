// Whole-file writes over every kind of target, by the test's own user and,
// when the test runs as root, by `nobody`. Each write runs in a child process
// (where it may drop its privileges); the parent compares the folder before
// and after: only the content of the written file may change.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "testsupport/TempFolder.h"
#include "util/AppError.h"
#include "util/ReplacementFile.h"
#include "util/TextLines.h"

namespace fs = std::filesystem;

namespace {

const std::string kNew = "<html>new content</html>\r\n";
const std::string kOld = "<html>the old page, longer than the new one</html>\r\n";

struct Ids {
  uid_t uid;
  gid_t gid;
};

Ids Nobody() {
  const passwd* user = ::getpwnam("nobody");
  return user ? Ids{user->pw_uid, user->pw_gid} : Ids{65534, 65534};
}

// A group that `nobody` is not in; the web server's, where the system has it.
gid_t WebGroup() {
  const group* web = ::getgrnam("www-data");
  return web ? web->gr_gid : 33;
}

bool IsRoot() { return ::geteuid() == 0; }

void MakeFile(const fs::path& file, mode_t mode, Ids owner, const std::string& content = kOld) {
  UUtils::WriteFileBytes(file.string(), content);
  ASSERT_EQ(::chown(file.c_str(), owner.uid, owner.gid), 0);
  ASSERT_EQ(::chmod(file.c_str(), mode), 0);
}

char TypeOf(mode_t mode) {
  if (S_ISREG(mode)) return 'f';
  if (S_ISLNK(mode)) return 'l';
  if (S_ISDIR(mode)) return 'd';
  if (S_ISFIFO(mode)) return 'p';
  if (S_ISSOCK(mode)) return 's';
  return S_ISCHR(mode) ? 'c' : '?';
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) quoted += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
  return quoted + '"';
}

// One line per folder entry: name, type, mode, owner, links, link target,
// extended attributes and, last, the content of a regular file or what the
// reader of a pipe (opened by the test) has received.
std::string Describe(const fs::path& folder, const std::map<std::string, int>& readers) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  std::ostringstream out;
  for (const auto& name : names) {
    const fs::path path = folder / name;
    struct stat info {};
    ::lstat(path.c_str(), &info);
    out << name << ": " << TypeOf(info.st_mode) << std::oct << (info.st_mode & 07777) << std::dec
        << ' ' << info.st_uid << ':' << info.st_gid << " n" << info.st_nlink;
    if (S_ISLNK(info.st_mode)) out << " -> " << fs::read_symlink(path).string();
    char attributes[256] = {};
    const ssize_t size = ::llistxattr(path.c_str(), attributes, sizeof attributes);
    for (ssize_t at = 0; at < size; at += std::strlen(attributes + at) + 1) {
      out << " [" << attributes + at << ']';
    }
    if (S_ISREG(info.st_mode)) out << ' ' << Quoted(UUtils::ReadFileBytes(path.string()));
    if (const auto reader = readers.find(name); reader != readers.end()) {
      char got[256];
      const ssize_t n = ::read(reader->second, got, sizeof got);
      out << ' ' << Quoted(std::string(got, n > 0 ? n : 0));
    }
    out << '\n';
  }
  return out.str();
}

enum class Outcome { Written, Refused, Untouched };

struct Case {
  const char* name;
  // Fills the folder for a writer with these ids.
  std::function<void(const fs::path& folder, Ids writer)> setup;
  const char* target;
  Outcome asRoot;
  Outcome asOther;  // as `nobody`, or as the test's own user when that is not root
  std::vector<std::string> changed = {};  // entries whose content becomes kNew
  std::string created = {};               // an entry the write makes
  bool commit = true;                     // false: the data is written but never committed
  bool needsRoot = false;                 // the setup gives files away or makes a device
  mode_t folderMode = 0777;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"a new file is made with the umask",
       [](auto, auto) {},
       "new.html",
       Outcome::Written,
       Outcome::Written,
       {},
       "new.html"},
      {"an own file keeps its mode",
       [](const fs::path& f, Ids w) { MakeFile(f / "page.html", 0640, w); },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {"page.html"}},
      {"a page of nobody:www-data 0640 keeps owner and group",
       [](const fs::path& f, Ids) {
         MakeFile(f / "page.html", 0640, {Nobody().uid, WebGroup()});
       },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {"page.html"},
       "",
       true,
       true},
      {"a read-only file is refused where a plain write is",
       [](const fs::path& f, Ids w) { MakeFile(f / "page.html", 0444, w); },
       "page.html",
       Outcome::Written,
       Outcome::Refused,
       {"page.html"}},
      {"a writable file in a folder that takes no new file",
       [](const fs::path& f, Ids w) { MakeFile(f / "page.html", 0644, w); },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {"page.html"},
       "",
       true,
       false,
       0555},
      {"a file with two names keeps both",
       [](const fs::path& f, Ids w) {
         MakeFile(f / "page.html", 0644, w);
         fs::create_hard_link(f / "page.html", f / "copy.html");
       },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {"page.html", "copy.html"}},
      {"a file with two names is untouched by an unfinished write",
       [](const fs::path& f, Ids w) {
         MakeFile(f / "page.html", 0644, w);
         fs::create_hard_link(f / "page.html", f / "copy.html");
       },
       "page.html",
       Outcome::Untouched,
       Outcome::Untouched,
       {},
       "",
       false},
      {"an own file is untouched by an unfinished write",
       [](const fs::path& f, Ids w) { MakeFile(f / "page.html", 0644, w); },
       "page.html",
       Outcome::Untouched,
       Outcome::Untouched,
       {},
       "",
       false},
      {"extended attributes stay",
       [](const fs::path& f, Ids w) {
         MakeFile(f / "page.html", 0644, w);
         ASSERT_EQ(::setxattr((f / "page.html").c_str(), "user.mark", "1", 1, 0), 0);
       },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {"page.html"}},
      {"a link leads to its file, which keeps its mode",
       [](const fs::path& f, Ids w) {
         MakeFile(f / "real.html", 0640, w);
         fs::create_symlink("real.html", f / "page.html");
       },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {"real.html"}},
      {"a link to no file yet makes that file",
       [](const fs::path& f, Ids) { fs::create_symlink("real.html", f / "page.html"); },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {},
       "real.html"},
      {"a pipe is written, not replaced",
       [](const fs::path& f, Ids w) {
         ASSERT_EQ(::mkfifo((f / "pipe").c_str(), 0600), 0);
         ASSERT_EQ(::chown((f / "pipe").c_str(), w.uid, w.gid), 0);
       },
       "pipe",
       Outcome::Written,
       Outcome::Written,
       {"pipe"}},
      {"a link to a character device is written, not replaced",
       [](const fs::path& f, Ids) {
         ASSERT_EQ(::mknod((f / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
         ASSERT_EQ(::chmod((f / "null").c_str(), 0666), 0);
         fs::create_symlink("null", f / "page.html");
       },
       "page.html",
       Outcome::Written,
       Outcome::Written,
       {},
       "",
       true,
       true},
      {"a socket is refused",
       [](const fs::path& f, Ids w) {
         const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         std::strncpy(address.sun_path, (f / "socket").c_str(), sizeof address.sun_path - 1);
         ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
         ::close(s);
         ASSERT_EQ(::lchown((f / "socket").c_str(), w.uid, w.gid), 0);
       },
       "socket", Outcome::Refused, Outcome::Refused},
      {"a folder is refused", [](const fs::path& f, Ids) { fs::create_directory(f / "page.html"); },
       "page.html", Outcome::Refused, Outcome::Refused},
  };
  return cases;
}

// Writes kNew to `path` in a child process, as `writer` when given. Returns
// the child's outcome.
Outcome WriteInChild(const std::string& path, const Ids* writer, bool commit) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (writer && (::setgroups(0, nullptr) != 0 || ::setgid(writer->gid) != 0 ||
                   ::setuid(writer->uid) != 0)) {
      ::_exit(10);
    }
    try {
      {
        UUtils::ReplacementFile file(path);
        UUtils::FileStream& stream = file.Stream();
        if (stream.Write(reinterpret_cast<const std::uint8_t*>(kNew.data()), kNew.size()) !=
            kNew.size()) {
          ::_exit(11);
        }
        if (commit) file.Commit();
      }
      ::_exit(0);
    } catch (const UUtils::AppError& e) {
      const std::string expected = "Cannot create file \"" + path + "\". ";
      ::_exit(std::string(e.what()).rfind(expected, 0) == 0 ? 1 : 12);
    } catch (...) {
      ::_exit(13);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "child status " << status;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 1) return Outcome::Refused;
  return commit ? Outcome::Written : Outcome::Untouched;
}

// What the folder should show after the write: `before` with the content of
// the changed entries replaced by kNew, and the created entry added.
std::string Expected(const std::string& before, const Case& c, Outcome outcome, Ids writer) {
  if (outcome != Outcome::Written) return before;
  std::istringstream lines(before);
  std::map<std::string, std::string> entries;
  for (std::string line; std::getline(lines, line);) {
    const std::string name = line.substr(0, line.find(':'));
    for (const auto& changed : c.changed) {
      if (name == changed) line = line.substr(0, line.find('"')) + Quoted(kNew);
    }
    entries[name] = line;
  }
  if (!c.created.empty()) {
    std::ostringstream made;
    made << c.created << ": f644 " << writer.uid << ':' << writer.gid << " n1 " << Quoted(kNew);
    entries[c.created] = made.str();
  }
  std::string expected;
  for (const auto& [name, line] : entries) expected += line + '\n';
  return expected;
}

class ReplacementFileTable : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_EQ(::chmod(folder.Root().c_str(), 0755), 0);
    savedMask = ::umask(022);
  }
  void TearDown() override { ::umask(savedMask); }

  testsupport::TempFolder folder;
  mode_t savedMask = 0;
};

TEST_P(ReplacementFileTable, writeKeepsEverythingButTheContent) {
  const bool asNobody = GetParam();
  if (asNobody && !IsRoot()) GTEST_SKIP() << "only root can write as another user";
  const Ids writer = asNobody ? Nobody() : Ids{::geteuid(), ::getegid()};
  int number = 0;
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && !IsRoot()) continue;
    const fs::path here = folder.Root() / std::to_string(++number);
    fs::create_directory(here);
    c.setup(here, writer);
    if (::testing::Test::HasFatalFailure()) return;
    std::map<std::string, int> readers;
    if (fs::is_fifo(here / c.target)) {
      readers[c.target] = ::open((here / c.target).c_str(), O_RDONLY | O_NONBLOCK);
    }
    ASSERT_EQ(::chmod(here.c_str(), c.folderMode), 0);
    const std::string before = Describe(here, readers);

    const Outcome expected = IsRoot() && !asNobody ? c.asRoot : c.asOther;
    const Outcome outcome =
        WriteInChild((here / c.target).string(), asNobody ? &writer : nullptr, c.commit);
    EXPECT_EQ(outcome, expected);
    EXPECT_EQ(Describe(here, readers), Expected(before, c, expected, writer));
    for (const auto& [name, reader] : readers) ::close(reader);
    ::chmod(here.c_str(), 0755);
  }
}

INSTANTIATE_TEST_SUITE_P(, ReplacementFileTable, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "AsNobody" : "AsCaller"; });

// A file holding a secret: new, replaced, or written in place (a second name
// keeps it from being replaced), it ends readable by its owner alone.
TEST(ReplacementFileOwnerOnly, newAndOldFilesEndReadableByTheirOwnerAlone) {
  testsupport::TempFolder folder;
  const mode_t savedMask = ::umask(022);
  const fs::path made = folder.Root() / "new.php", old = folder.Root() / "old.php",
                 linked = folder.Root() / "linked.php";
  MakeFile(old, 0644, {::geteuid(), ::getegid()});
  MakeFile(linked, 0664, {::geteuid(), ::getegid()});
  fs::create_hard_link(linked, folder.Root() / "second-name.php");
  for (const auto& file : {made, old, linked}) {
    UUtils::WriteFileBytes(file.string(), kNew, UUtils::ReplacementFile::Readers::OwnerOnly);
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << file;
    EXPECT_EQ(UUtils::ReadFileBytes(file.string()), kNew) << file;
  }
  ::umask(savedMask);
}

}  // namespace
