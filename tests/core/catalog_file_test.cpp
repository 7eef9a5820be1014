// Loading and saving catalogs: sizes, round trips, refusals and interrupted writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "support/Records.h"
#include "support/TempFolder.h"

#if defined(__unix__)
#include <sys/resource.h>

#include <csignal>
#endif

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

std::string Images(int count) {
  std::string bytes;
  for (int k = 1; k <= count; ++k) {
    const std::string name = "r" + std::to_string(k);
    bytes += testing::RecordImage(testing::RecordOf({.name = name, .year = "2005"}));
  }
  return bytes;
}

// Every file name in the folder, to see that no temporary file was left behind.
std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class CatalogFileTest : public ::testing::Test {
 protected:
  TempFolder folder;
  CatalogState state{folder.path()};
  fs::path catalog = folder / "base.krv";

  void Fill(int count) {
    state.DistroTable.setCount(0);
    for (int k = 1; k <= count; ++k) {
      const std::string name = "old" + std::to_string(k);
      state.DistroTable.append(testing::RecordOf({.name = name}));
    }
  }
};

TEST_F(CatalogFileTest, EmptyFileLoadsNoRecords) {
  Fill(2);
  WriteFileBytes(catalog, "");
  LoadCatalog(state, catalog);
  EXPECT_EQ(state.DistroTable.count(), 0);
  EXPECT_TRUE(state.CatalogLoaded);
}

TEST_F(CatalogFileTest, TrailingPieceIsIgnoredAndDroppedBySave) {
  WriteFileBytes(catalog, Images(3) + std::string(100, 'z'));
  LoadCatalog(state, catalog);
  ASSERT_EQ(state.DistroTable.count(), 3);
  EXPECT_EQ(state.DistroTable.at(3).Name.str(), "r3");
  EXPECT_EQ(state.CurrentRecord.Name.str(), "r3");

  SaveCatalog(state, catalog);
  EXPECT_EQ(ReadFileBytes(catalog), Images(3));
}

TEST_F(CatalogFileTest, RoundTripIsByteExact) {
  std::string image = Images(5);
  image[1536 + 200] = '\x7F';  // a byte behind a field's text survives a round trip
  WriteFileBytes(catalog, image);
  LoadCatalog(state, catalog);
  const fs::path copy = folder / "copy.krv";
  SaveCatalog(state, copy);
  EXPECT_EQ(ReadFileBytes(copy), image);
}

TEST_F(CatalogFileTest, SavingNoRecordsLeavesAnEmptyFile) {
  WriteFileBytes(catalog, Images(2));
  SaveCatalog(state, catalog);
  EXPECT_EQ(fs::file_size(catalog), 0u);
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"base.krv"});
}

TEST_F(CatalogFileTest, FullCatalogLoadsAndOneMoreRecordIsRefused) {
  WriteFileBytes(catalog, Images(kCatalogCapacity));
  LoadCatalog(state, catalog);
  EXPECT_EQ(state.DistroTable.count(), kCatalogCapacity);

  Fill(2);
  state.CatalogLoaded = false;
  const std::string tooMany = Images(kCatalogCapacity + 1);
  WriteFileBytes(catalog, tooMany);
  try {
    LoadCatalog(state, catalog);
    FAIL() << "a file of 10001 records was loaded";
  } catch (const CatalogError& error) {
    EXPECT_NE(std::string(error.what()).find("10000"), std::string::npos);
    EXPECT_NE(std::string(error.what()).find(catalog.string()), std::string::npos);
  }
  EXPECT_EQ(state.DistroTable.count(), 2);
  EXPECT_EQ(state.DistroTable.at(1).Name.str(), "old1");
  EXPECT_FALSE(state.CatalogLoaded);
  EXPECT_EQ(ReadFileBytes(catalog), tooMany);
}

TEST_F(CatalogFileTest, FailedLoadLeavesTheTableAsItWas) {
  Fill(2);
  state.CurrentRecord.Name.assign("current");
  fs::create_directory(folder / "folder.krv");
  WriteFileBytes(folder / "plain", "x");
  for (const fs::path& bad :
       {folder / "missing.krv", folder / "folder.krv", folder / "plain" / "a.krv"}) {
    EXPECT_THROW(LoadCatalog(state, bad), CatalogError) << bad;
    EXPECT_EQ(state.DistroTable.count(), 2);
    EXPECT_EQ(state.DistroTable.at(2).Name.str(), "old2");
    EXPECT_EQ(state.CurrentRecord.Name.str(), "current");
    EXPECT_FALSE(state.CatalogLoaded);
  }
}

TEST_F(CatalogFileTest, MissingFileErrorNamesThePath) {
  try {
    LoadCatalog(state, catalog);
    FAIL();
  } catch (const CatalogError& error) {
    const auto code = std::make_error_code(std::errc::no_such_file_or_directory);
    EXPECT_EQ(std::string(error.what()), code.message() + ": " + catalog.string());
  }
  EXPECT_FALSE(fs::exists(catalog));  // loading never creates the file
}

TEST_F(CatalogFileTest, SaveCreatesAMissingCatalog) {
  Fill(1);
  SaveCatalog(state, catalog);
  EXPECT_EQ(fs::file_size(catalog), kRecordSize);
}

TEST_F(CatalogFileTest, RefusedSavesChangeNothing) {
  Fill(1);
  fs::create_directory(folder / "folder.krv");
  WriteFileBytes(folder / "plain", "x");
  EXPECT_THROW(SaveCatalog(state, folder / "folder.krv"), CatalogError);
  EXPECT_THROW(SaveCatalog(state, folder / "plain" / "a.krv"), CatalogError);
  EXPECT_TRUE(fs::is_empty(folder / "folder.krv"));
  EXPECT_EQ(ReadFileBytes(folder / "plain"), "x");
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"folder.krv", "plain"}));
}

#if defined(__unix__)
TEST_F(CatalogFileTest, SaveKeepsThePermissionBits) {
  WriteFileBytes(catalog, Images(1));
  const auto bits = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(catalog, bits);
  Fill(3);
  SaveCatalog(state, catalog);
  EXPECT_EQ(fs::status(catalog).permissions(), bits);
}

TEST_F(CatalogFileTest, SaveThroughALinkKeepsTheLink) {
  fs::create_directory(folder / "real");
  WriteFileBytes(folder / "real" / "base.krv", Images(1));
  fs::create_symlink(folder / "real" / "base.krv", catalog);
  Fill(2);
  SaveCatalog(state, catalog);
  EXPECT_TRUE(fs::is_symlink(catalog));
  EXPECT_EQ(fs::file_size(folder / "real" / "base.krv"), 2 * kRecordSize);
}

// A write cut off half way (here by a file size limit, as a full disk would) leaves the
// old catalog as it was and no temporary file.
TEST_F(CatalogFileTest, InterruptedSaveKeepsTheOldFile) {
  const std::string old = Images(3);
  WriteFileBytes(catalog, old);
  Fill(50);

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 10 * kRecordSize;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_THROW(SaveCatalog(state, catalog), CatalogError);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(ReadFileBytes(catalog), old);
  EXPECT_EQ(Names(folder.path()), std::vector<std::string>{"base.krv"});
}
#endif

}  // namespace
}  // namespace kitrova::core
