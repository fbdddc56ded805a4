#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "brand/LastNewsId.h"
#include "brand/tests/BrandFixture.h"
#include "cipher/Crypt.h"
#include "cipher/tests/MemoryStream.h"
#include "testsupport/FileSizeLimit.h"
#include "util/AppError.h"

using namespace brand;
namespace fs = std::filesystem;

namespace {

const std::string kBrand =
    "<%%ApplicationName%%>Shop<%%/ApplicationName%%>\r\n"
    "<%%AboutText%%>\r\nAbout us\r\n<%%/AboutText%%>\r\n";

struct SaveCase {
  const char* what;
  std::string before;
  std::string after;     // the document once "42" is saved
  std::string loadedId;  // what LoadLastNewsId gives then
};

}  // namespace

TEST(LastNewsId, savingReplacesOnlyTheEntryOrAddsOneLine) {
  const SaveCase cases[] = {
      {"no entry: one line is added at the end", kBrand,
       kBrand + "<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n", "42"},
      {"an entry on its own line: only that line changes",
       "<%%LastNewsId%%>7<%%/LastNewsId%%>\r\n" + kBrand,
       "<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n" + kBrand, "42"},
      {"an entry in another letter case is not the program's: a line is added",
       kBrand + "<%%lastnewsid%%>7<%%/lastnewsid%%>\r\n",
       kBrand + "<%%lastnewsid%%>7<%%/lastnewsid%%>\r\n<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n",
       "7"},
      {"an entry sharing its line keeps the rest of the line",
       "before <%%LastNewsId%%>7<%%/LASTNEWSID%%> after\r\n" + kBrand,
       "before <%%LastNewsId%%>42<%%/LastNewsId%%> after\r\n" + kBrand, "42"},
      {"an entry without a closing tag is replaced to the end of its line",
       "x<%%LastNewsId%%>7\r\n" + kBrand, "x<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n" + kBrand,
       "42"},
      {"the last line without a line break gets one", "last",
       "last\r\n<%%LastNewsId%%>42<%%/LastNewsId%%>\r\n", "42"},
  };
  for (const auto& c : cases) {
    brandtest::BrandFolder app;
    app.WriteBrand(c.before);
    SaveLastNewsId(app.Folder(), "42");
    EXPECT_EQ(app.ReadBrand(), c.after) << c.what;
    EXPECT_EQ(LoadLastNewsId(app.Folder()), c.loadedId) << c.what;
    EXPECT_EQ(app.Names(), std::vector<std::string>{"dbsettings.dat"}) << c.what;
  }
}

TEST(LastNewsId, withoutBrandFileNothingIsReadOrCreated) {
  brandtest::BrandFolder app;
  EXPECT_EQ(LoadLastNewsId(app.Folder()), "");
  SaveLastNewsId(app.Folder(), "42");
  EXPECT_TRUE(app.Names().empty());

  app.WriteBrand(kBrand);
  EXPECT_EQ(LoadLastNewsId(app.Folder()), "") << "a brand without the entry";
}

TEST(LastNewsId, aBrandFileThatDoesNotDecryptIsLeftUntouched) {
  brandtest::BrandFolder app;
  UUtils::WriteFileBytes(app.Path("plain.txt"), kBrand);
  {
    AesLib::TEncryption crypt("another password", 4096);
    MemoryStream in(AsBytes(UUtils::ReadFileBytes(app.Path("plain.txt")))), out;
    ASSERT_TRUE(crypt.EncryptStream(in, out));
    UUtils::WriteFileBytes(app.Path("foreign.dat"),
                           std::string(out.bytes().begin(), out.bytes().end()));
  }
  fs::remove(app.Path("plain.txt"));
  app.WriteBrand(kBrand);
  std::string damaged = UUtils::ReadFileBytes(app.Path("dbsettings.dat"));
  damaged[15] ^= 1;

  for (const std::string& container :
       {UUtils::ReadFileBytes(app.Path("foreign.dat")), damaged, std::string("not a container")}) {
    UUtils::WriteFileBytes(app.Path("dbsettings.dat"), container);
    SaveLastNewsId(app.Folder(), "42");
    EXPECT_EQ(UUtils::ReadFileBytes(app.Path("dbsettings.dat")), container);
    EXPECT_EQ(app.Names(), (std::vector<std::string>{"dbsettings.dat", "foreign.dat"}));
  }
}

TEST(LastNewsId, aFailedRewriteKeepsTheOldBrandFile) {
  brandtest::BrandFolder app;
  const std::string big = kBrand + std::string(4000, 'x') + "\r\n";

  app.WriteBrand(big);
  const std::string old = UUtils::ReadFileBytes(app.Path("dbsettings.dat"));
  // The disk fills up while decrypting, and while encrypting the new
  // container, which is 37 bytes longer.
  for (const std::size_t room : {old.size() - 100, old.size() + 10}) {
    {
      testsupport::FileSizeLimit full(room);
      EXPECT_THROW(SaveLastNewsId(app.Folder(), "42"), UUtils::AppError) << room;
    }
    EXPECT_EQ(UUtils::ReadFileBytes(app.Path("dbsettings.dat")), old);
    EXPECT_EQ(app.Names(), std::vector<std::string>{"dbsettings.dat"});
  }

  // Something in the way of the plain copy.
  fs::create_directory(app.Path("dbsettings.sim"));
  EXPECT_THROW(SaveLastNewsId(app.Folder(), "42"), UUtils::AppError);
  EXPECT_EQ(UUtils::ReadFileBytes(app.Path("dbsettings.dat")), old);
  EXPECT_EQ(app.Names(), (std::vector<std::string>{"dbsettings.dat", "dbsettings.sim"}));
  fs::remove(app.Path("dbsettings.sim"));

  // A read-only program folder; root writes there anyway.
  ::chmod(app.Folder().c_str(), 0555);
  if (::access(app.Folder().c_str(), W_OK) != 0) {
    EXPECT_THROW(SaveLastNewsId(app.Folder(), "42"), UUtils::AppError);
    EXPECT_EQ(UUtils::ReadFileBytes(app.Path("dbsettings.dat")), old);
  }
  ::chmod(app.Folder().c_str(), 0755);
  EXPECT_EQ(app.Names(), std::vector<std::string>{"dbsettings.dat"});
}
