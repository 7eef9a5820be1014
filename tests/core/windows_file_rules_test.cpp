// The Windows side of the file rules that the POSIX tests check with permission bits,
// symbolic links and a file size limit. Two have no counterpart here: an interrupted save
// (Windows has no per-process file size limit, and a full disk needs a volume of its own)
// and saving through a link (the MinGW runtime's std::filesystem has no symbolic links,
// and creating one needs a privilege or developer mode).
#ifdef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "support/TempFolder.h"

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

class WindowsFileRulesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  CatalogState state{folder.path()};
  fs::path catalog = folder / "base.krv";

  void SetUp() override {
    DistroRecord record{};
    record.Name.assign("new");
    state.DistroTable.append(record);
  }
};

// The read-only attribute is what Windows has of the permission bits.
TEST_F(WindowsFileRulesTest, ReadOnlyCatalogRefusesTheSaveAndStays) {
  WriteFileBytes(catalog, "old");
  fs::permissions(catalog,
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  if (std::ofstream(catalog, std::ios::binary | std::ios::in | std::ios::out)) {
    fs::permissions(catalog, fs::perms::owner_write, fs::perm_options::add);
    GTEST_SKIP() << "this system lets the account write read-only files";
  }
  EXPECT_THROW(SaveCatalog(state, catalog), CatalogError);
  fs::permissions(catalog, fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadFileBytes(catalog), "old");
}

}  // namespace
}  // namespace kitrova::core

#endif  // _WIN32
