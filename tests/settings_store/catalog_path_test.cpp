// How lastbase/path remembers a catalog: relative inside the program folder, full elsewhere,
// and what each stored form names again (the moved folder itself: moved_program_test.cpp).
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/SettingsStore.h"

namespace kitrova::settings {
namespace {

namespace fs = std::filesystem;

TEST(CatalogPathTest, OnlyCatalogsInsideTheProgramFolderAreStoredRelative) {
  const fs::path root = fs::temp_directory_path();
  const fs::path program = root / "Kitrova";
  struct Case {
    const char* what;
    fs::path catalog;
    fs::path folder;
    fs::path stored;
  };
  const Case cases[] = {
      {"beside the executable", program / "base.krv", program, "base.krv"},
      {"in a sub-folder", program / "sub" / "x.krv", program, fs::path("sub") / "x.krv"},
      {"folder with a trailing separator", program / "base.krv", program / "", "base.krv"},
      {"through a dot-dot back inside", program / "sub" / ".." / "y.krv", program, "y.krv"},
      {"in a sibling folder", root / "Other" / "x.krv", program, root / "Other" / "x.krv"},
      {"folder name as a prefix only", root / "Kitrova2" / "x.krv", program,
       root / "Kitrova2" / "x.krv"},
      {"the parent folder", root / "x.krv", program, root / "x.krv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const fs::path stored = StoredCatalogPath(c.catalog, c.folder);
    EXPECT_EQ(stored, c.stored);
    // Read back by the same program folder, the stored form names the same file.
    EXPECT_EQ(CatalogPathFromStored(stored, program).lexically_normal(),
              c.catalog.lexically_normal());
  }
}

}  // namespace
}  // namespace kitrova::settings
