#include <gtest/gtest.h>

#include <filesystem>

#include "brand/BrandFileCipher.h"
#include "brand/BrandSkin.h"
#include "cipher/Crypt.h"
#include "cipher/tests/MemoryStream.h"
#include "testsupport/BrandMedia.h"
#include "testsupport/TempFolder.h"
#include "testsupport/Tolvan.h"
#include "ui/Skin.h"
#include "util/UUtils.h"

using namespace brand;
using namespace UUtils;
namespace fs = std::filesystem;

class BrandCommand : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return folder.Path(name); }
  testsupport::TempFolder folder;

  // Runs tolvan with the words of `arguments`; returns its exit code and
  // keeps its output.
  int Tolvan(const std::string& arguments) {
    StringList words;
    SplitString(' ', arguments, words);
    const auto result = testsupport::RunTolvan(words);
    stderrText = result.err;
    stdoutText = result.out;
    return result.exitCode;
  }

  bool SaysLine(const std::string& line) const {
    return stdoutText.find(line + "\n") != std::string::npos;
  }

  const fs::path& dir = folder.Root();
  std::string stderrText, stdoutText;
};

TEST_F(BrandCommand, encryptThenDecryptGivesThePlainFileBack) {
  const std::string plain = "<AppName>Tolvan</AppName>\r\n<Tier>Gold</Tier>\r\n";
  WriteFileBytes(Path("brand.txt"), plain);
  EXPECT_EQ(Tolvan("brand encrypt " + Path("brand.txt") + " " + Path("dbsettings.dat")), 0);
  EXPECT_EQ(fs::file_size(Path("dbsettings.dat")), plain.size() + 20);
  EXPECT_EQ(Tolvan("brand decrypt " + Path("dbsettings.dat") + " " + Path("back.txt")), 0);
  EXPECT_EQ(ReadFileBytes(Path("back.txt")), plain);
  // What the program itself reads.
  EXPECT_EQ(DecryptFile(Path("dbsettings.dat")), plain);
}

TEST_F(BrandCommand, foreignOrDamagedFilesAreReportedAndNothingIsWritten) {
  WriteFileBytes(Path("brand.txt"), std::string(3000, 'x'));
  {
    AesLib::TEncryption crypt("another password", 4096);
    MemoryStream in(AsBytes(ReadFileBytes(Path("brand.txt")))), out;
    ASSERT_TRUE(crypt.EncryptStream(in, out));
    WriteFileBytes(Path("foreign.dat"), std::string(out.bytes().begin(), out.bytes().end()));
  }
  WriteFileBytes(Path("tiny.dat"), "abc");
  for (const char* name : {"foreign.dat", "tiny.dat"}) {
    EXPECT_EQ(Tolvan("brand decrypt " + Path(name) + " " + Path("out.txt")), 3) << name;
    EXPECT_NE(stderrText.find("another password"), std::string::npos) << stderrText;
    EXPECT_FALSE(fs::exists(Path("out.txt")));
  }

  EncryptToFile(Path("brand.txt"), Path("dbsettings.dat"));
  std::string container = ReadFileBytes(Path("dbsettings.dat"));
  container[100] ^= 4;
  WriteFileBytes(Path("dbsettings.dat"), container);
  WriteFileBytes(Path("out.txt"), "previous");
  EXPECT_EQ(Tolvan("brand decrypt " + Path("dbsettings.dat") + " " + Path("out.txt")), 4);
  EXPECT_NE(stderrText.find("damaged"), std::string::npos) << stderrText;
  EXPECT_EQ(ReadFileBytes(Path("out.txt")), "previous");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5)
      << "a temporary file was left";
}

TEST_F(BrandCommand, badUsageAndMissingFilesSayWhatIsWrong) {
  EXPECT_EQ(Tolvan("brand"), 2);
  EXPECT_EQ(Tolvan("brand scramble a b"), 2);
  EXPECT_EQ(Tolvan("brand decrypt only-one"), 2);
  EXPECT_NE(stderrText.find("Usage: tolvan brand"), std::string::npos);
  EXPECT_EQ(Tolvan("brand decrypt " + Path("missing.dat") + " " + Path("out")), 1);
  EXPECT_EQ(stderrText, "tolvan brand: Cannot open file \"" + Path("missing.dat") +
                            "\". No such file or directory.\n");
  // A source that opens but cannot be read.
  WriteFileBytes(Path("out"), "keep");
  EXPECT_EQ(Tolvan("brand decrypt " + dir.string() + " " + Path("out")), 1);
  EXPECT_EQ(stderrText,
            "tolvan brand: Cannot open file \"" + dir.string() + "\". Is a directory.\n");
  EXPECT_EQ(ReadFileBytes(Path("out")), "keep");
}

TEST_F(BrandCommand, checkSaysWhetherTheFileDecryptsAndWhatTheBrandWillDo) {
  const std::string sound =
      "<%%ApplicationName%%>Shop<%%/ApplicationName%%>\r\n"
      "<%%Banner1%%>top.jpg^http://shop/<%%/Banner1%%>\r\n";
  WriteFileBytes(Path("brand.txt"), sound);
  WriteFileBytes(Path("banner1.dat"), brandmedia::Picture(300, 50, "jpeg"));
  EncryptToFile(Path("brand.txt"), Path("dbsettings.dat"));

  EXPECT_EQ(Tolvan("brand check " + Path("dbsettings.dat")), 0) << stdoutText;
  EXPECT_TRUE(SaysLine(Path("dbsettings.dat") +
                       ": decrypts with the built-in password; its authentication code holds"));
  EXPECT_TRUE(SaysLine("found   ApplicationName: \"Shop\""));
  EXPECT_TRUE(SaysLine("found   banner1.dat for Banner1: a picture of 300 x 50"));
  EXPECT_TRUE(SaysLine("No problems: the brand loads as written."));
  EXPECT_EQ(Tolvan("brand check " + Path("brand.txt") + " --plain"), 0) << stdoutText;

  fs::remove(Path("banner1.dat"));
  EXPECT_EQ(Tolvan("brand check " + Path("dbsettings.dat")), 1);
  EXPECT_NE(stdoutText.find("PROBLEM banner1.dat is missing beside the document"),
            std::string::npos);
  EXPECT_TRUE(SaysLine("1 problem found."));

  std::string container = ReadFileBytes(Path("dbsettings.dat"));
  container[12] ^= 1;
  WriteFileBytes(Path("dbsettings.dat"), container);
  EXPECT_EQ(Tolvan("brand check " + Path("dbsettings.dat")), 1);
  EXPECT_TRUE(SaysLine(Path("dbsettings.dat") +
                       ": damaged: its authentication code does not match the data"));
  EXPECT_EQ(Tolvan("brand check " + Path("brand.txt")), 1);
  EXPECT_NE(stdoutText.find("does not decrypt with the built-in password"), std::string::npos);

  EXPECT_EQ(Tolvan("brand check " + Path("brand.txt") + " --plane"), 2);
  EXPECT_EQ(Tolvan("brand check " + Path("none.dat")), 1);
  EXPECT_NE(stderrText.find("Cannot open file"), std::string::npos);
}

TEST_F(BrandCommand, checkReadsTheMediaAsTheWindowDoesAndFailsWhereItWould) {
  WriteFileBytes(Path("brand.txt"), "<%%Banner1%%>top.gif^http://shop/<%%/Banner1%%>\r\n");
  EncryptToFile(Path("brand.txt"), Path("dbsettings.dat"));
  const std::string bomb = brandmedia::Skin(std::string(8 << 20, ' '));
  const struct {
    const char* file;
    std::string data;
    const char* problem;
  } cases[] = {
      {"banner1.dat", brandmedia::Picture(10, 10, "png"), "cannot be read as GIF"},
      {"main.ico", "not an icon", "main.ico\" cannot be read."},
      {"mainskin.dat", bomb, "it inflates to more than 1 MB"},
      {"mainskin.dat", std::string(brand::kMaxSkinSize + 1, 'x'), "it is larger than 1 MB"},
  };
  const auto soundMedia = [this] {
    WriteFileBytes(Path("banner1.dat"), brandmedia::AnimatedGif(20, 10, 2));
    WriteFileBytes(Path("main.ico"), brandmedia::Picture(16, 16, "ico"));
    WriteFileBytes(Path("mainskin.dat"), brandmedia::Skin("QWidget { color: red; }"));
  };
  soundMedia();
  EXPECT_EQ(Tolvan("brand check " + Path("dbsettings.dat")), 0) << stdoutText;
  EXPECT_TRUE(SaysLine("found   banner1.dat for Banner1: an animation of 20 x 10"));
  EXPECT_TRUE(SaysLine("found   main.ico: 1 picture"));
  EXPECT_TRUE(SaysLine("found   mainskin.dat: a skin of 23 characters"));
  for (const auto& c : cases) {
    soundMedia();
    WriteFileBytes(Path(c.file), c.data);
    EXPECT_EQ(Tolvan("brand check " + Path("dbsettings.dat")), 1) << c.problem;
    EXPECT_NE(stdoutText.find(c.problem), std::string::npos) << stdoutText;
    EXPECT_NE(stdoutText.find("PROBLEM "), std::string::npos) << stdoutText;
    EXPECT_EQ(stdoutText.find("No problems"), std::string::npos) << stdoutText;
  }
}

TEST_F(BrandCommand, skinPacksAStyleSheetAsTheWindowReadsIt) {
  const std::string sheet = "#panBanner { background: #123456; } /* caf\xC3\xA9 */\n";
  WriteFileBytes(Path("skin.qss"), sheet);
  EXPECT_EQ(Tolvan("brand skin " + Path("skin.qss") + " " + Path("mainskin.dat")), 0);
  const auto inflated = ui::Skin::Inflate(ReadFileBytes(Path("mainskin.dat")));
  ASSERT_TRUE(inflated.has_value());
  EXPECT_EQ(inflated->toStdString(), sheet);
  EXPECT_EQ(Tolvan("brand skin " + Path("none.qss") + " " + Path("out.dat")), 1);
  EXPECT_FALSE(fs::exists(Path("out.dat")));
}
