// The INI layer: what reads as empty, how names match, and that a write touches only its
// own line and never leaves a half-written or foreign file behind.
#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempFolder.h"

namespace kitrova::platform {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

class IniFileTest : public ::testing::Test {
 protected:
  TempFolder dir;
  fs::path ini = dir / "settings.ini";

  std::size_t EntriesInFolder() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()));
  }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty) {
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "");
  WriteFileBytes(ini, "[dir]\r\npath=C:\\x\\\r\n[backup]\r\n");
  EXPECT_EQ(ReadIniValue(ini, "lastbase", "path"), "");
  EXPECT_EQ(ReadIniValue(ini, "dir", "do"), "");
  EXPECT_EQ(ReadIniValue(ini, "backup", "path"), "") << "a key belongs to its own section only";
  EXPECT_EQ(ReadIniValue(dir.path(), "dir", "path"), "") << "a folder reads as an empty file";
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndBlanksAreIgnored) {
  WriteFileBytes(ini, "  [ DIR ]  \r\n  Path  =  C:\\Distr\\  \r\n[Backup]\r\nDO=yes\r\n");
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "C:\\Distr\\");
  EXPECT_EQ(ReadIniValue(ini, "backup", "do"), "yes");
  EXPECT_EQ(ReadIniValue(ini, "BACKUP", "Do"), "yes");
}

TEST_F(IniFileTest, CommentsAndOddLinesAreNotKeys) {
  WriteFileBytes(ini, "[dir]\n;path=commented\n# path=hashed\nnot a key\n[broken\npath=real\n");
  // "[broken" is no section header, so "path=real" still belongs to [dir].
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "real");
}

TEST_F(IniFileTest, EqualsSignsInAValueAreKept) {
  WriteIniValue(ini, "s", "k", "a=b=c");
  EXPECT_EQ(ReadIniValue(ini, "s", "k"), "a=b=c");
}

TEST_F(IniFileTest, FirstRunWritesTheFileInOrderWithCrlf) {
  WriteIniValue(ini, "lastbase", "path", "C:\\Kitrova\\base.krv");
  WriteIniValue(ini, "dir", "path", "D:\\Distr\\");
  EXPECT_EQ(ReadFileBytes(ini),
            "[lastbase]\r\npath=C:\\Kitrova\\base.krv\r\n[dir]\r\npath=D:\\Distr\\\r\n");
  EXPECT_EQ(EntriesInFolder(), 1u) << "no temporary file is left behind";
}

TEST_F(IniFileTest, ReplacingAValueKeepsEveryOtherLineByteForByte) {
  const std::string before =
      "; Kitrova settings\r\n"
      "\r\n"
      "[Dir]\r\n"
      "  PATH = D:\\Old\\\r\n"
      "extra=keep me \r\n"
      "# note\r\n"
      "\r\n"
      "[backup]\r\n"
      "do=no\r\n"
      "junk line\r\n";
  WriteFileBytes(ini, before);
  WriteIniValue(ini, "dir", "path", "E:\\New\\");
  std::string expected = before;
  expected.replace(expected.find("  PATH = D:\\Old\\"), 16, "  PATH =E:\\New\\");
  EXPECT_EQ(ReadFileBytes(ini), expected);
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "E:\\New\\");
}

TEST_F(IniFileTest, ANewKeyGoesIntoItsSectionNotAtTheEnd) {
  WriteFileBytes(ini, "[dir]\r\npath=D:\\\r\n\r\n[lastbase]\r\npath=x.krv\r\n");
  WriteIniValue(ini, "DIR", "other", "1");
  EXPECT_EQ(ReadFileBytes(ini),
            "[dir]\r\npath=D:\\\r\nother=1\r\n\r\n[lastbase]\r\npath=x.krv\r\n");
}

TEST_F(IniFileTest, LfFilesStayLfAndALastLineWithoutBreakIsEnded) {
  WriteFileBytes(ini, "[dir]\npath=D:\\");
  WriteIniValue(ini, "backup", "do", "yes");
  EXPECT_EQ(ReadFileBytes(ini), "[dir]\npath=D:\\\n[backup]\ndo=yes\n");
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "D:\\");

  WriteFileBytes(ini, "[dir]\npath=D:\\");
  WriteIniValue(ini, "dir", "x", "1");
  EXPECT_EQ(ReadFileBytes(ini), "[dir]\npath=D:\\\nx=1\n");
}

TEST_F(IniFileTest, DuplicateSectionsReadAndWriteTheSameLine) {
  WriteFileBytes(ini, "[dir]\r\n[other]\r\n[dir]\r\npath=second\r\n");
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), "second");
  WriteIniValue(ini, "dir", "path", "changed");
  EXPECT_EQ(ReadFileBytes(ini), "[dir]\r\n[other]\r\n[dir]\r\npath=changed\r\n");
}

TEST_F(IniFileTest, ValuesReadBackCutTo2047Bytes) {
  std::string longValue;
  for (int i = 0; i < 3000; ++i) longValue.push_back(static_cast<char>('a' + i % 26));
  WriteIniValue(ini, "dir", "path", longValue);
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), longValue.substr(0, kIniValueLimit));
  EXPECT_NE(ReadFileBytes(ini).find(longValue), std::string::npos) << "the file holds it all";

  WriteIniValue(ini, "dir", "path", longValue.substr(0, kIniValueLimit));
  EXPECT_EQ(ReadIniValue(ini, "dir", "path").size(), kIniValueLimit);
}

TEST_F(IniFileTest, Cp1251BytesPassThroughUntouched) {
  const std::string value =
      "C:\\\xC4\xE8\xF1\xF2\xF0\xE8\xE1\xF3\xF2\xE8\xE2\xFB\\";  // Дистрибутивы
  WriteIniValue(ini, "dir", "path", value);
  EXPECT_EQ(ReadIniValue(ini, "dir", "path"), value);
}

TEST_F(IniFileTest, AFolderWhereTheFileShouldBeRefusesTheWrite) {
  fs::create_directory(ini);
  fs::create_directory(ini / "inside");
  EXPECT_THROW(WriteIniValue(ini, "dir", "path", "x"), IniWriteError);
  EXPECT_TRUE(fs::is_directory(ini / "inside"));
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(IniFileTest, AProgramFolderUnderARegularFileRefusesTheWrite) {
  WriteFileBytes(dir / "plain", "data");
  EXPECT_THROW(WriteIniValue(dir / "plain" / "settings.ini", "dir", "path", "x"), IniWriteError);
  EXPECT_EQ(ReadFileBytes(dir / "plain"), "data");
  EXPECT_EQ(ReadIniValue(dir / "plain" / "settings.ini", "dir", "path"), "");
}

TEST_F(IniFileTest, AReadOnlyFileRefusesTheWriteAndStaysAsItWas) {
  WriteFileBytes(ini, "[dir]\r\npath=a\r\n");
  fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const bool systemRefuses = !std::ofstream(ini, std::ios::binary | std::ios::in | std::ios::out);
  if (!systemRefuses) {
    fs::permissions(ini, fs::perms::owner_all);
    GTEST_SKIP() << "this account may write read-only files";
  }
  EXPECT_THROW(WriteIniValue(ini, "dir", "path", "b"), IniWriteError);
  fs::permissions(ini, fs::perms::owner_all);
  EXPECT_EQ(ReadFileBytes(ini), "[dir]\r\npath=a\r\n");
  EXPECT_EQ(EntriesInFolder(), 1u);
}

TEST_F(IniFileTest, LineBreaksCannotSmuggleInLines) {
  WriteFileBytes(ini, "[dir]\r\npath=a\r\n");
  EXPECT_THROW(WriteIniValue(ini, "dir", "path", "b\r\n[backup]\r\ndo=yes"), IniWriteError);
  EXPECT_THROW(WriteIniValue(ini, "dir\n", "path", "b"), IniWriteError);
  EXPECT_THROW(WriteIniValue(ini, "dir", "pa=th", "b"), IniWriteError);
  EXPECT_THROW(WriteIniValue(ini, "", "path", "b"), IniWriteError);
  EXPECT_EQ(ReadFileBytes(ini), "[dir]\r\npath=a\r\n");
}

}  // namespace
}  // namespace kitrova::platform
