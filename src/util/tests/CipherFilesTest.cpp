#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "cipher/Crypt.h"
#include "cipher/tests/MemoryStream.h"
#include "testsupport/FileSizeLimit.h"
#include "testsupport/TempFolder.h"
#include "util/AppError.h"
#include "util/CipherFiles.h"
#include "util/TextLines.h"

using namespace UUtils;
namespace fs = std::filesystem;

class CipherFiles : public ::testing::Test {
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

TEST_F(CipherFiles, roundTripWithTheBuiltInPassword) {
  for (const std::size_t size : {0, 1, 262145}) {
    const std::string plain = Plain(size);
    WriteFileBytes(Path("plain"), plain);
    EncryptToFile(Path("plain"), Path("dbsettings.dat"));
    EXPECT_EQ(fs::file_size(Path("dbsettings.dat")), size + 20);
    WriteFileBytes(Path("dbsettings.sim"), "stale content that must go");
    DecryptToFile(Path("dbsettings.dat"), Path("dbsettings.sim"));
    EXPECT_EQ(ReadFileBytes(Path("dbsettings.sim")), plain) << size;
  }
  // Nothing else is left in the folder (no temporary files).
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 3);
}

TEST_F(CipherFiles, otherPasswordEmptiesTheTargetWithoutAnError) {
  EncryptWith("not the built-in one", Plain(500), Path("foreign.dat"));
  WriteFileBytes(Path("target"), "old");
  DecryptToFile(Path("foreign.dat"), Path("target"));
  EXPECT_EQ(fs::file_size(Path("target")), 0u);

  // Too short to be a container at all.
  WriteFileBytes(Path("short.dat"), "0123456789");
  WriteFileBytes(Path("target"), "old");
  DecryptToFile(Path("short.dat"), Path("target"));
  EXPECT_EQ(fs::file_size(Path("target")), 0u);
}

TEST_F(CipherFiles, damagedCodeStillWritesAllTheData) {
  const std::string plain = Plain(1000);
  EncryptWith(std::string(kBuiltInPassword), plain, Path("dbsettings.dat"));
  std::string container = ReadFileBytes(Path("dbsettings.dat"));
  container.back() ^= 1;
  WriteFileBytes(Path("dbsettings.dat"), container);
  DecryptToFile(Path("dbsettings.dat"), Path("plain"));
  EXPECT_EQ(ReadFileBytes(Path("plain")), plain);
}

TEST_F(CipherFiles, missingSourceRaisesCannotOpenAndLeavesTheTarget) {
  WriteFileBytes(Path("target"), "keep");
  const std::string missing = Path("missing.dat");
  const std::string expected = "Cannot open file \"" + missing + "\". No such file or directory.";
  EXPECT_EQ(ErrorOf([&] { DecryptToFile(missing, Path("target")); }), expected);
  EXPECT_EQ(ErrorOf([&] { EncryptToFile(missing, Path("target")); }), expected);
  EXPECT_EQ(ReadFileBytes(Path("target")), "keep");
}

TEST_F(CipherFiles, uncreatableTargetRaisesCannotCreate) {
  WriteFileBytes(Path("source"), Plain(100));
  const std::string target = (dir / "nowhere" / "file").string();
  const std::string expected = "Cannot create file \"" + target + "\". No such file or directory.";
  EXPECT_EQ(ErrorOf([&] { DecryptToFile(Path("source"), target); }), expected);
  EXPECT_EQ(ErrorOf([&] { EncryptToFile(Path("source"), target); }), expected);
}

TEST_F(CipherFiles, fullDiskWhileDecryptingRaisesCannotCreate) {
  WriteFileBytes(Path("plain"), Plain(5000));
  EncryptToFile(Path("plain"), Path("container"));
  EXPECT_EQ(ErrorOf([&] { DecryptToFile(Path("container"), "/dev/full"); }),
            "Cannot create file \"/dev/full\". No space left on device.");
}

TEST_F(CipherFiles, failedEncryptionKeepsTheOldContainerWhole) {
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

TEST_F(CipherFiles, encryptingAFileOntoItselfKeepsItsData) {
  const std::string plain = Plain(3000);
  WriteFileBytes(Path("file"), plain);
  EncryptToFile(Path("file"), Path("file"));
  DecryptToFile(Path("file"), Path("back"));
  EXPECT_EQ(ReadFileBytes(Path("back")), plain);
}

TEST_F(CipherFiles, sourceThatOpensButCannotBeReadRaisesCannotOpenAndLeavesTheTarget) {
  WriteFileBytes(Path("target"), "keep");
  fs::create_directory(Path("folder"));
  const std::string expected = "Cannot open file \"" + Path("folder") + "\". Is a directory.";
  EXPECT_EQ(ErrorOf([&] { DecryptToFile(Path("folder"), Path("target")); }), expected);
  EXPECT_EQ(ErrorOf([&] { DecryptToFileChecked(Path("folder"), Path("target")); }), expected);
  EXPECT_EQ(ErrorOf([&] { EncryptToFile(Path("folder"), Path("target")); }), expected);
  EXPECT_EQ(ReadFileBytes(Path("target")), "keep");
  EXPECT_EQ(FilesInFolder(), 2u);
}

TEST_F(CipherFiles, checkedDecryptionReplacesTheTargetOnlyWhenAllIsRight) {
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
  }
  EXPECT_EQ(FilesInFolder(), 7u) << "a temporary file was left";
}
