// The three stored keys without a display: what each reads back, and the backup decision.
#include "settings/SettingsStore.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TempFolder.h"

namespace kitrova::settings {
namespace {

using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

TEST(SettingsStoreTest, MissingFileReadsEmptyAndBackupsOff) {
  TempFolder program;
  EXPECT_EQ(ReadLastBasePath(program.path()), "");
  EXPECT_EQ(ReadDistroFolder(program.path()), "");
  EXPECT_FALSE(ReadBackupFlag(program.path()));
  EXPECT_FALSE(std::filesystem::exists(SettingsFilePath(program.path())));
}

TEST(SettingsStoreTest, KeysRoundTripInTheirSectionsAsBytes) {
  TempFolder program;
  const std::string catalog = "C:\\\xC1\xE0\xE7\xFB\\base.krv";  // Базы in Windows-1251
  WriteLastBasePath(program.path(), catalog);
  WriteDistroFolder(program.path(), "D:\\Distr\\");
  WriteBackupFlag(program.path(), true);
  EXPECT_EQ(ReadLastBasePath(program.path()), catalog);
  EXPECT_EQ(ReadDistroFolder(program.path()), "D:\\Distr\\");
  EXPECT_TRUE(ReadBackupFlag(program.path()));
  EXPECT_EQ(
      ReadFileBytes(SettingsFilePath(program.path())),
      "[lastbase]\r\npath=" + catalog + "\r\n[dir]\r\npath=D:\\Distr\\\r\n[backup]\r\ndo=yes\r\n");

  WriteBackupFlag(program.path(), false);
  EXPECT_EQ(ReadSetting(program.path(), kBackupSection, kDoKey), "no");
  EXPECT_FALSE(ReadBackupFlag(program.path()));
}

TEST(SettingsStoreTest, OnlyAnExactYesTurnsBackupsOn) {
  TempFolder program;
  for (const char* value : {"Yes", "YES", "1", "true", "y", "yes!", ""}) {
    WriteFileBytes(SettingsFilePath(program.path()), std::string("[backup]\r\ndo=") + value);
    EXPECT_FALSE(ReadBackupFlag(program.path())) << value;
  }
  WriteFileBytes(SettingsFilePath(program.path()), "[BACKUP]\r\nDo=yes\r\n");
  EXPECT_TRUE(ReadBackupFlag(program.path())) << "names match without regard to case";
}

}  // namespace
}  // namespace kitrova::settings
