// The container against independent implementations of the same construction:
// 7-Zip and libarchive's bsdtar read our containers framed as ZIP entries, and
// we read the entries 7-Zip writes.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cipher/Crypt.h"
#include "cipher/tests/CipherTestSupport.h"
#include "cipher/tests/MemoryStream.h"
#include "cipher/tests/ZipAe2.h"

using namespace AesLib;
namespace fs = std::filesystem;

namespace {

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

bool Shell(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// Shell-safe passwords of the three mode lengths.
const struct {
  std::string password;
  int mode;
  const char* sevenZipMethod;
} kModes[] = {
    {"wodnexhutr", 1, "AES128"},
    {"Forty0byte0password0for0the0middle0mode", 2, "AES192"},
    {"Sixty0byte0password0for0the0strongest0mode0of0the0container", 3, "AES256"},
};

class ZipInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"7z", "bsdtar"}) {
      ASSERT_TRUE(Shell(std::string("command -v ") + tool))
          << tool << " is missing; run scripts/setup";
    }
    dir_ = fs::temp_directory_path() / ("cipher-zip-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static Bytes Plain(std::size_t size) {
    Bytes plain(size);
    for (std::size_t i = 0; i < size; ++i) plain[i] = static_cast<std::uint8_t>((i * i) >> 3);
    return plain;
  }

  fs::path dir_;
};

}  // namespace

TEST_F(ZipInterop, sevenZipAndBsdtarExtractOurContainers) {
  for (const auto& m : kModes) {
    for (const std::size_t size : {0, 1, 100000}) {
      const Bytes plain = Plain(size);
      TEncryption crypt(m.password, 262144);
      MemoryStream source(plain), target;
      ASSERT_TRUE(crypt.EncryptStream(source, target));
      const fs::path zip = dir_ / "ours.zip";
      WriteFile(zip, WrapAsZip("plain.bin", target.bytes(), size, m.mode));

      const fs::path bySevenZip = dir_ / "7z", byBsdtar = dir_ / "bsdtar";
      fs::create_directories(bySevenZip);
      fs::create_directories(byBsdtar);
      EXPECT_TRUE(
          Shell("7z x -y -p" + m.password + " -o" + bySevenZip.string() + " " + zip.string()))
          << "mode " << m.mode << ", " << size << " bytes";
      EXPECT_EQ(ReadFile(bySevenZip / "plain.bin"), plain) << "7z, mode " << m.mode << ", " << size;
      EXPECT_TRUE(Shell("bsdtar -xf " + zip.string() + " --passphrase " + m.password + " -C " +
                        byBsdtar.string()))
          << "mode " << m.mode << ", " << size << " bytes";
      EXPECT_EQ(ReadFile(byBsdtar / "plain.bin"), plain)
          << "bsdtar, mode " << m.mode << ", " << size;
      fs::remove_all(bySevenZip);
      fs::remove_all(byBsdtar);
    }
  }
}

TEST_F(ZipInterop, sevenZipEntriesDecryptWithOurs) {
  for (const auto& m : kModes) {
    for (const std::size_t size : {1, 70000}) {
      const Bytes plain = Plain(size);
      WriteFile(dir_ / "plain.bin", plain);
      const fs::path zip = dir_ / "theirs.zip";
      fs::remove(zip);
      ASSERT_TRUE(Shell("cd " + dir_.string() + " && 7z a -tzip -mem=" + m.sevenZipMethod +
                        " -mm=Copy -p" + m.password + " " + zip.string() + " plain.bin"));
      const ZipAesEntry entry = UnwrapFirstEntry(ReadFile(zip));
      EXPECT_EQ(entry.strength, m.mode);
      EXPECT_EQ(entry.actualMethod, 0);
      EXPECT_EQ(entry.container.size(), size + 12 + 4 * m.mode + 4);

      TCrypt crypt(m.password, 4096);
      MemoryStream source(entry.container), target;
      EXPECT_TRUE(
          crypt.DecryptStream(source, target, static_cast<std::int64_t>(entry.container.size())))
          << "mode " << m.mode << ", " << size << " bytes";
      EXPECT_EQ(target.bytes(), plain) << "mode " << m.mode << ", " << size << " bytes";
    }
  }
}
