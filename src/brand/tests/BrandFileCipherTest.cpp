#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "brand/BrandFileCipher.h"
#include "cipher/Crypt.h"
#include "cipher/tests/MemoryStream.h"
#include "testsupport/FileSizeLimit.h"
#include "testsupport/TempFolder.h"
#include "util/AppError.h"
#include "util/TextLines.h"

using namespace brand;
using namespace UUtils;
namespace fs = std::filesystem;

class BrandFileCipher : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return folder.Path(name); }
  testsupport::TempFolder folder;

  static std::string Plain(std::size_t size) {
    std::string plain(size, '\0');
    for (std::size_t i = 0; i < size; ++i) plain[i] = static_cast<char>(i * 7 + 3);
    return plain;
  }

  // Encrypts with any password through the stream classes.
  static void EncryptWith(const std::string& password, const std::string& plain,
                          const std::string& path) {
    AesLib::TEncryption crypt(password, 4096);
    MemoryStream in(AsBytes(plain)), out;
    ASSERT_TRUE(crypt.EncryptStream(in, out));
    WriteFileBytes(path, std::string(out.bytes().begin(), out.bytes().end()));
  }

  std::size_t FilesInFolder() const {
    return std::distance(fs::directory_iterator(dir), fs::directory_iterator());
  }

  static std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const AppError& e) {
      return e.what();
    }
    return "no error";
  }

  const fs::path& dir = folder.Root();
};

TEST_F(BrandFileCipher, roundTripWithTheBuiltInPassword) {
  for (const std::size_t size : {0, 1, 262145}) {
    const std::string plain = Plain(size);
    WriteFileBytes(Path("plain"), plain);
    EncryptToFile(Path("plain"), Path("dbsettings.dat"));
    EXPECT_EQ(fs::file_size(Path("dbsettings.dat")), size + 20);
    EXPECT_EQ(DecryptFile(Path("dbsettings.dat")), plain) << size;
    std::string checked = "stale";
    EXPECT_EQ(DecryptFileChecked(Path("dbsettings.dat"), checked), DecryptOutcome::Decrypted);
    EXPECT_EQ(checked, plain) << size;

    EncryptBytesToFile(plain, Path("from memory.dat"));
    EXPECT_EQ(DecryptFile(Path("from memory.dat")), plain) << size;
  }
  // Nothing else is left in the folder (no temporary files).
  EXPECT_EQ(FilesInFolder(), 3u);
}

TEST_F(BrandFileCipher, otherPasswordGivesNothingWithoutAnError) {
  EncryptWith("not the built-in one", Plain(500), Path("foreign.dat"));
  EXPECT_EQ(DecryptFile(Path("foreign.dat")), "");

  // Too short to be a container at all.
  WriteFileBytes(Path("short.dat"), "0123456789");
  EXPECT_EQ(DecryptFile(Path("short.dat")), "");
}

TEST_F(BrandFileCipher, damagedCodeStillWritesAllTheData) {
  const std::string plain = Plain(1000);
  EncryptWith(std::string(kBuiltInPassword), plain, Path("dbsettings.dat"));
  std::string container = ReadFileBytes(Path("dbsettings.dat"));
  container.back() ^= 1;
  WriteFileBytes(Path("dbsettings.dat"), container);
  EXPECT_EQ(DecryptFile(Path("dbsettings.dat")), plain);
}

TEST_F(BrandFileCipher, missingSourceRaisesCannotOpenAndLeavesTheTarget) {
  WriteFileBytes(Path("target"), "keep");
  const std::string missing = Path("missing.dat");
  const std::string expected = "Cannot open file \"" + missing + "\". No such file or directory.";
  EXPECT_EQ(ErrorOf([&] { DecryptFile(missing); }), expected);
  EXPECT_EQ(ErrorOf([&] { DecryptToFileChecked(missing, Path("target")); }), expected);
  EXPECT_EQ(ErrorOf([&] { EncryptToFile(missing, Path("target")); }), expected);
  EXPECT_EQ(ReadFileBytes(Path("target")), "keep");
}

TEST_F(BrandFileCipher, uncreatableTargetRaisesCannotCreate) {
  WriteFileBytes(Path("source"), Plain(100));
  const std::string target = (dir / "nowhere" / "file").string();
  const std::string expected = "Cannot create file \"" + target + "\". No such file or directory.";
  EXPECT_EQ(ErrorOf([&] { EncryptToFile(Path("source"), target); }), expected);
  EXPECT_EQ(ErrorOf([&] { EncryptBytesToFile("plain", target); }), expected);
}

TEST_F(BrandFileCipher, fullDiskWhileDecryptingRaisesCannotCreate) {
  WriteFileBytes(Path("plain"), Plain(5000));
  EncryptToFile(Path("plain"), Path("container"));
  EXPECT_EQ(ErrorOf([&] { DecryptToFileChecked(Path("container"), "/dev/full"); }),
            "Cannot create file \"/dev/full\". No space left on device.");
}

TEST_F(BrandFileCipher, failedEncryptionKeepsTheOldContainerWhole) {
  WriteFileBytes(Path("plain"), Plain(5000));
  WriteFileBytes(Path("dbsettings.dat"), "old");
  // A file-size limit makes the write fail half-way, as a full disk would.
  std::string error;
  {
    const testsupport::FileSizeLimit limit(1000);
    error = ErrorOf([&] { EncryptToFile(Path("plain"), Path("dbsettings.dat")); });
  }
  EXPECT_EQ(error, "Cannot create file \"" + Path("dbsettings.dat") + "\". File too large.");
  EXPECT_EQ(ReadFileBytes(Path("dbsettings.dat")), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(BrandFileCipher, encryptingAFileOntoItselfKeepsItsData) {
  const std::string plain = Plain(3000);
  WriteFileBytes(Path("file"), plain);
  EncryptToFile(Path("file"), Path("file"));
  EXPECT_EQ(DecryptFile(Path("file")), plain);
}

TEST_F(BrandFileCipher, sourceThatOpensButCannotBeReadRaisesCannotOpenAndLeavesTheTarget) {
  WriteFileBytes(Path("target"), "keep");
  fs::create_directory(Path("folder"));
  const std::string expected = "Cannot open file \"" + Path("folder") + "\". Is a directory.";
  EXPECT_EQ(ErrorOf([&] { DecryptToFileChecked(Path("folder"), Path("target")); }), expected);
  EXPECT_EQ(ErrorOf([&] { EncryptToFile(Path("folder"), Path("target")); }), expected);
  EXPECT_EQ(ReadFileBytes(Path("target")), "keep");
  EXPECT_EQ(FilesInFolder(), 2u);
}

TEST_F(BrandFileCipher, checkedDecryptionGivesTheDataOnlyWhenAllIsRight) {
  const std::string plain = Plain(300000);
  EncryptWith(std::string(kBuiltInPassword), plain, Path("good.dat"));
  EncryptWith(std::string(kBuiltInPassword), "", Path("empty.dat"));
  EncryptWith("not the built-in one", plain, Path("foreign.dat"));
  WriteFileBytes(Path("short.dat"), ReadFileBytes(Path("empty.dat")).substr(0, 19));
  std::string damaged = ReadFileBytes(Path("good.dat"));
  damaged[200000] ^= 1;
  WriteFileBytes(Path("damaged.dat"), damaged);
  std::string cut = ReadFileBytes(Path("good.dat"));
  cut.pop_back();
  WriteFileBytes(Path("cut.dat"), cut);

  const struct {
    const char* source;
    DecryptOutcome outcome;
    std::string target;
  } cases[] = {
      {"good.dat", DecryptOutcome::Decrypted, plain},
      {"empty.dat", DecryptOutcome::Decrypted, ""},
      {"foreign.dat", DecryptOutcome::NotAContainer, "old"},
      {"short.dat", DecryptOutcome::NotAContainer, "old"},
      {"damaged.dat", DecryptOutcome::Damaged, "old"},
      {"cut.dat", DecryptOutcome::Damaged, "old"},
  };
  for (const auto& c : cases) {
    WriteFileBytes(Path("target"), "old");
    EXPECT_EQ(DecryptToFileChecked(Path(c.source), Path("target")), c.outcome) << c.source;
    EXPECT_EQ(ReadFileBytes(Path("target")), c.target) << c.source;
    std::string inMemory = "old";
    EXPECT_EQ(DecryptFileChecked(Path(c.source), inMemory), c.outcome) << c.source;
    EXPECT_EQ(inMemory, c.outcome == DecryptOutcome::Decrypted ? c.target : "") << c.source;
  }
  EXPECT_EQ(FilesInFolder(), 7u) << "a temporary file was left";
}

// The brand is read while the window is made: a pipe with no writer or a
// device would hold it forever, and a folder is no document.
TEST_F(BrandFileCipher, decryptingIntoMemoryRefusesAnythingButARegularFileAtOnce) {
  fs::create_directory(Path("folder"));
  ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
  fs::create_symlink(Path("pipe"), Path("link to pipe"));
  for (const std::string& source :
       {Path("folder"), Path("pipe"), Path("link to pipe"), std::string("/dev/zero")}) {
    const std::string expected = "Cannot open file \"" + source +
                                 "\". It is not a regular file (a folder, a pipe or a device).";
    std::string plain = "old";
    EXPECT_EQ(ErrorOf([&] { DecryptFile(source); }), expected);
    EXPECT_EQ(ErrorOf([&] { DecryptFileChecked(source, plain); }), expected);
  }
}
