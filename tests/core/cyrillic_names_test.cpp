// Folder and file names in Russian, as the program's users name them: the program folder,
// the catalog, the backup copies, the working copy and settings.ini. On Windows these
// paths go through the wide-character calls; elsewhere they are UTF-8 bytes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/CatalogFile.h"
#include "platform/IniFile.h"
#include "support/TempFolder.h"

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

std::string Catalog(const std::vector<std::string>& names) {
  std::string bytes;
  for (const std::string& name : names) {
    DistroRecord record{};
    record.Name.assign(name);
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
  }
  return bytes;
}

TEST(CyrillicNamesTest, EveryFileOperationWorksInRussianFolders) {
  TempFolder temp;
  const fs::path program = temp.path() / fs::path(u8"Программы Ёлкина");
  const fs::path catalogs = temp.path() / fs::path(u8"Мои каталоги");
  fs::create_directories(BackupFolderPath(program));
  fs::create_directories(catalogs);
  WriteFileBytes(SeedCatalogPath(program), Catalog({"seed"}));

  CatalogState state(program);
  state.CurrentBasePath = catalogs / fs::path(u8"Дистрибутивы №1.krv");
  state.BackupEnabled = true;
  SeedCatalog(state);
  LoadCatalog(state, state.CurrentBasePath);
  ASSERT_EQ(state.DistroTable.count(), 1);
  TakeWorkingCopy(state);

  const Moment moment{2005, 3, 7, 9, 5, 2};
  TakeBackupCopy(state, moment);
  DistroRecord added{};
  added.Name.assign("\xC5\xEB\xEA\xE0");  // "Елка" in Windows-1251
  state.DistroTable.append(added);
  SaveCatalog(state, state.CurrentBasePath);
  SaveCatalog(state, state.CurrentBasePath);  // over an existing file as well

  const fs::path backup = BackupFolderPath(program) / BackupFileName(moment);
  EXPECT_EQ(ReadFileBytes(backup), Catalog({"seed"}));
  EXPECT_EQ(ReadFileBytes(state.CurrentBasePath), Catalog({"seed", "\xC5\xEB\xEA\xE0"}));
  EXPECT_TRUE(RestoreWorkingCopy(state));
  EXPECT_EQ(ReadFileBytes(state.CurrentBasePath), Catalog({"seed"}));
  DeleteWorkingCopy(state);
  EXPECT_FALSE(fs::exists(WorkingCopyPath(program)));

  const fs::path ini = program / "settings.ini";
  const std::u8string stored = state.CurrentBasePath.u8string();
  platform::WriteIniValue(ini, "lastbase", "path", std::string(stored.begin(), stored.end()));
  platform::WriteIniValue(ini, "backup", "do", "yes");
  EXPECT_EQ(platform::ReadIniValue(ini, "lastbase", "path"),
            std::string(stored.begin(), stored.end()));
  EXPECT_EQ(platform::ReadIniValue(ini, "backup", "do"), "yes");

  // Nothing else was left in the folders.
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(temp.path())) {
    if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), temp.path()));
  }
  EXPECT_EQ(files.size(), 4u) << "seed, backup copy, catalog and settings.ini only";
}

}  // namespace
}  // namespace kitrova::core
