// Loading reads into the scratch half and lets the halves change roles: catalog and
// scratch must stay apart whatever the loads before, and a failed load changes nothing.
#include <gtest/gtest.h>

#include <chrono>
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

std::string Images(const std::string& prefix, int count) {
  std::string bytes;
  for (int k = 1; k <= count; ++k) {
    DistroRecord record{};
    record.Name.assign(prefix + std::to_string(k));
    bytes.append(reinterpret_cast<const char*>(&record), sizeof record);
  }
  return bytes;
}

TEST(LoadStagingTest, CatalogAndScratchStayApartOverLoads) {
  TempFolder folder;
  CatalogState state{folder.path()};
  WriteFileBytes(folder / "a.krv", Images("a", 5));
  WriteFileBytes(folder / "b.krv", Images("b", 4));
  LoadCatalog(state, folder / "a.krv");
  for (const char* name : {"b.krv", "a.krv", "b.krv"}) {
    LoadCatalog(state, folder / name);
    CatalogTable& table = state.DistroTable;
    EXPECT_NE(&table.scratch(1), &table.at(1));
    EXPECT_EQ(&table.scratch(1), table.scratchRecords());
    EXPECT_EQ(&table.at(1), table.records());
  }
  ASSERT_EQ(state.DistroTable.count(), 4);
  EXPECT_THROW(LoadCatalog(state, folder / "missing.krv"), CatalogError);
  EXPECT_EQ(state.DistroTable.count(), 4);
  EXPECT_EQ(state.CurrentRecord.Name.str(), "b4");

  // The delete command's way: survivors to the scratch half and back.
  CatalogTable& table = state.DistroTable;
  for (int k = 1; k <= 4; ++k) table.scratch(k) = table.at(k == 1 ? 4 : k);
  for (int k = 1; k <= 3; ++k) table.at(k) = table.scratch(k);
  table.setCount(3);
  SaveCatalog(state, folder / "c.krv");
  const std::string b = Images("b", 4);
  EXPECT_EQ(ReadFileBytes(folder / "c.krv"),
            b.substr(3 * kRecordSize) + b.substr(kRecordSize, 2 * kRecordSize));
}

TEST(LoadStagingTest, WorkingCopyIsTheFileAsLoadedWithItsDate) {
  TempFolder folder;
  CatalogState state{folder.path()};
  state.CurrentBasePath = folder / "base.krv";
  const std::string bytes = Images("r", 3) + "tail";
  WriteFileBytes(state.CurrentBasePath, bytes);
  const auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 30);
  fs::last_write_time(state.CurrentBasePath, past);
  LoadCatalog(state, state.CurrentBasePath);
  TakeWorkingCopy(state);
  EXPECT_EQ(ReadFileBytes(WorkingCopyPath(folder.path())), bytes);
  EXPECT_LE(std::chrono::abs(fs::last_write_time(WorkingCopyPath(folder.path())) - past),
            std::chrono::seconds(2));
  // Within seconds: the Windows runtime reads file times to the second only.
  EXPECT_LE(std::chrono::abs(fs::last_write_time(state.CurrentBasePath) - past),
            std::chrono::seconds(2))
      << "the catalog is not touched";
}

}  // namespace
}  // namespace kitrova::core
