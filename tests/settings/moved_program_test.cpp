// A portable copy moved to another folder (spaces, Cyrillic letters) still opens the
// catalog that lies beside it; a settings file with a full path still loads.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/CatalogState.h"
#include "platform/Cp1251.h"
#include "settings/Settings.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

namespace kitrova::settings {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedDialogs;
using testing::TempFolder;

TEST(MovedProgramTest, TheCatalogBesideTheProgramIsFoundAfterTheFolderMoves) {
  TempFolder root;
  const fs::path before = root / "Kitrova";
  const fs::path after = root / "Мои программы" / "Kitrova copy";
  fs::create_directories(before);
  fs::create_directories(after.parent_path());
  const std::string elsewhere = *platform::PathToCp1251(root / "Другие" / "x.krv");
  struct Case {
    const char* what;
    fs::path catalog;  // current when the program last ran, before the move
    fs::path expected;
  };
  const Case cases[] = {
      {"the default catalog", before / "base.krv", after / "base.krv"},
      {"a catalog in a sub-folder", before / "Базы" / "игры.krv", after / "Базы" / "игры.krv"},
      {"a catalog outside the folder", root / "Другие" / "x.krv", root / "Другие" / "x.krv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(after);
    fs::create_directories(before);
    core::CatalogState first(before);
    first.CurrentBasePath = c.catalog;
    WriteLastBase(first);
    WriteDistroFolder(before, "/tmp/");
    fs::rename(before, after);

    core::CatalogState moved(after);
    ScriptedDialogs dialogs;
    ReadStartupSettings(moved, dialogs, nullptr);
    EXPECT_EQ(moved.CurrentBasePath, c.expected);
    EXPECT_TRUE(dialogs.messages.empty());
  }
  // A settings file of an older version holds the full path, which loads as it is.
  core::CatalogState old(after);
  WriteLastBasePath(after, elsewhere);
  ScriptedDialogs dialogs;
  ReadStartupSettings(old, dialogs, nullptr);
  EXPECT_EQ(old.CurrentBasePath, root / "Другие" / "x.krv");
  EXPECT_EQ(ReadLastBasePath(after), elsewhere);
}

}  // namespace
}  // namespace kitrova::settings
