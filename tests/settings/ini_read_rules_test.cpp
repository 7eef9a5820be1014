// Settings files made elsewhere read as the platform's INI service reads them, and a write
// replaces the file as safely as a catalog save.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/FileReplace.h"
#include "platform/IniFile.h"
#include "support/TempFolder.h"

#if defined(__unix__)
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#endif

namespace kitrova::platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

class IniReadRulesTest : public ::testing::Test {
 protected:
  TempFolder dir;
  fs::path ini = dir / "settings.ini";
};

TEST_F(IniReadRulesTest, QuotesMarkAndLoneCarriageReturns) {
  WriteFileBytes(ini, "[backup]\r\ndo=\"yes\"\r\n[a]\r\nk='x y'\r\nodd=\"yes\r\nmixed=\"no'\r\n");
  EXPECT_EQ(ReadIniValue(ini, "backup", "do"), "yes");
  EXPECT_EQ(ReadIniValue(ini, "a", "k"), "x y");
  EXPECT_EQ(ReadIniValue(ini, "a", "odd"), "\"yes") << "an unmatched quote stays";
  EXPECT_EQ(ReadIniValue(ini, "a", "mixed"), "\"no'");

  WriteFileBytes(ini, "\xEF\xBB\xBF[lastbase]\r\npath=C:\\k\\base.krv\r\n");
  EXPECT_EQ(ReadIniValue(ini, "lastbase", "path"), "C:\\k\\base.krv");

  WriteFileBytes(ini, "[dir]\npath=D:\\\n[backup]\ndo=yes\r");
  EXPECT_EQ(ReadIniValue(ini, "backup", "do"), "yes");
  WriteFileBytes(ini, "[dir]\rpath=D:\\\r[backup]\rdo=yes");
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "D:\\");
  EXPECT_EQ(ReadIniValue(ini, "backup", "do"), "yes");
}

TEST_F(IniReadRulesTest, AWriteKeepsTheMarkAndLoneCarriageReturns) {
  WriteFileBytes(ini, "\xEF\xBB\xBF[lastbase]\r\npath=old.krv\r\n");
  WriteIniValue(ini, "lastbase", "path", "new.krv");
  EXPECT_EQ(ReadFileBytes(ini), "\xEF\xBB\xBF[lastbase]\r\npath=new.krv\r\n");

  WriteFileBytes(ini, "[dir]\npath=D:\\\n[backup]\ndo=yes\r");
  WriteIniValue(ini, "dir", "path", "E:\\");
  EXPECT_EQ(ReadFileBytes(ini), "[dir]\npath=E:\\\n[backup]\ndo=yes\r");
  EXPECT_EQ(ReadIniValue(ini, "backup", "do"), "yes");
}

#if defined(__unix__)
TEST_F(IniReadRulesTest, AWriteKeepsLinksAndPermissionBits) {
  fs::create_directory(dir / "real");
  WriteFileBytes(dir / "real" / "settings.ini", "[dir]\r\npath=a\r\n");
  const auto bits = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(dir / "real" / "settings.ini", bits);
  fs::create_symlink("real/settings.ini", ini);
  WriteIniValue(ini, "dir", "path", "b");
  EXPECT_TRUE(fs::is_symlink(ini));
  EXPECT_EQ(ReadFileBytes(dir / "real" / "settings.ini"), "[dir]\r\npath=b\r\n");
  EXPECT_EQ(fs::status(ini).permissions(), bits);

  const fs::path dangling = dir / "other.ini";
  fs::create_symlink("real/other.ini", dangling);
  WriteIniValue(dangling, "dir", "path", "c");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(ReadFileBytes(dir / "real" / "other.ini"), "[dir]\r\npath=c\r\n");
}

// The temporary file of a write killed half way is removed by the next write.
TEST_F(IniReadRulesTest, AWriteRemovesTheLeftoversOfAKilledOne) {
  WriteIniValue(ini, "dir", "path", "a");
  const std::string longValue(4000, 'v');
  EXPECT_EXIT(
      {
        rlimit small{};
        getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        WriteIniValue(ini, "dir", "path", longValue);
        std::exit(0);
      },
      ::testing::KilledBySignal(SIGXFSZ), "");
  ASSERT_EQ(core::LeftoverTemporaries(ini).size(), 1u);
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "a");
  WriteIniValue(ini, "dir", "path", "b");
  EXPECT_TRUE(core::LeftoverTemporaries(ini).empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
#endif

}  // namespace
}  // namespace kitrova::platform
