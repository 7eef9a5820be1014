// The table holds one catalog in memory, however many loads came before, and a reader's
// load (the file's pages taken as they are) gives the same table as the program's load
// without ever writing to the file.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/CatalogOps.h"
#include "core/Sort.h"
#include "support/Records.h"
#include "support/TempFolder.h"

namespace kitrova::core {
namespace {

using testing::CatalogImage;
using testing::ReadFileBytes;
using testing::RecordOf;
using testing::TempFolder;
using testing::WriteFileBytes;

// Records named in falling order, so that a sort by name moves every one of them.
std::string Falling(int count, const std::string& tail = {}) {
  std::vector<DistroRecord> records;
  for (int k = count; k >= 1; --k) {
    const std::string name = "n" + std::to_string(100000 + k);
    records.push_back(RecordOf({.name = name, .year = std::to_string(k % 50)}));
  }
  return CatalogImage(records) + tail;
}

std::string TableBytes(const CatalogTable& table) {
  return {reinterpret_cast<const char*>(table.records()),
          static_cast<std::size_t>(table.count()) * kRecordSize};
}

bool ScratchIsZero(CatalogTable& table) {
  static const DistroRecord zero{};
  for (std::int32_t k = 1; k <= kCatalogCapacity; k += 997) {
    if (std::memcmp(&table.scratch(k), &zero, sizeof zero) != 0) return false;
  }
  return std::memcmp(&table.scratch(kCatalogCapacity), &zero, sizeof zero) == 0;
}

TEST(TableMemoryTest, ReadersLoadTheSameTableAndNeverWriteTheFile) {
  struct Case {
    const char* what;
    int records;
    std::string tail;
  };
  // 8 records end inside a page, 8 pages of 4 KiB hold 21 and a third records.
  const Case cases[] = {{"empty", 0, ""},
                        {"one record", 1, ""},
                        {"a trailing piece", 3, std::string(100, 'x')},
                        {"ends inside a page", 8, ""},
                        {"crosses many pages", 1000, "tail"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const std::string bytes = Falling(c.records, c.tail);
    WriteFileBytes(folder / "a.krv", bytes);
    CatalogState program{folder.path()};
    CatalogState reader{folder.path()};
    // Something loaded before, so the reader's load replaces a catalog.
    WriteFileBytes(folder / "old.krv", Falling(5));
    LoadCatalog(reader, folder / "old.krv", LoadFor::Reading);
    LoadCatalog(program, folder / "a.krv");
    LoadCatalog(reader, folder / "a.krv", LoadFor::Reading);
    ASSERT_EQ(reader.DistroTable.count(), c.records);
    EXPECT_EQ(TableBytes(reader.DistroTable), TableBytes(program.DistroTable));
    if (c.records > 0) {
      EXPECT_EQ(std::memcmp(&reader.CurrentRecord, &program.CurrentRecord, kRecordSize), 0);
    }
    EXPECT_TRUE(ScratchIsZero(reader.DistroTable));

    // Sorting, deleting and loading again change the table only, never the file.
    SortByName(reader.DistroTable);
    SortByName(program.DistroTable);
    EXPECT_EQ(TableBytes(reader.DistroTable), TableBytes(program.DistroTable));
    if (c.records > 0) {
      DeletePosition(reader.DistroTable, 1);
      DeletePosition(program.DistroTable, 1);
      EXPECT_EQ(TableBytes(reader.DistroTable), TableBytes(program.DistroTable));
    }
    LoadCatalog(reader, folder / "old.krv");
    EXPECT_EQ(TableBytes(reader.DistroTable), Falling(5));
    EXPECT_TRUE(ScratchIsZero(reader.DistroTable));
    EXPECT_EQ(ReadFileBytes(folder / "a.krv"), bytes);
  }
}

TEST(TableMemoryTest, FailedReadersLoadKeepsTheTable) {
  TempFolder folder;
  WriteFileBytes(folder / "a.krv", Falling(4));
  std::filesystem::create_directory(folder / "folder.krv");
  WriteFileBytes(folder / "big.krv", std::string((kCatalogCapacity + 1) * kRecordSize, '\0'));
  CatalogState state{folder.path()};
  LoadCatalog(state, folder / "a.krv", LoadFor::Reading);
  for (const char* name : {"missing.krv", "folder.krv", "big.krv"}) {
    SCOPED_TRACE(name);
    EXPECT_THROW(LoadCatalog(state, folder / name, LoadFor::Reading), CatalogError);
    EXPECT_EQ(TableBytes(state.DistroTable), Falling(4));
  }
}

// Resident memory of this process in bytes, where the system tells it (Linux); else 0.
std::size_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t total = 0;
  std::size_t resident = 0;
  if (!(statm >> total >> resident)) return 0;
  return resident * 4096;
}

TEST(TableMemoryTest, ManyLoadsHoldOneCatalogInMemory) {
  if (ResidentBytes() == 0) GTEST_SKIP() << "no resident memory figure on this system";
  TempFolder folder;
  // Written a record at a time, so that no large buffer of the test's own comes and goes.
  for (const auto& [name, count] : {std::pair{"a.krv", kCatalogCapacity}, {"b.krv", 5000}}) {
    std::ofstream out(folder / name, std::ios::binary);
    for (int k = 0; k < count; ++k) out << testing::RecordImage(RecordOf({.name = "x"}));
  }
  CatalogState state{folder.path()};
  LoadCatalog(state, folder / "a.krv");
  const std::size_t oneCatalog = ResidentBytes();
  for (const char* name : {"b.krv", "a.krv", "b.krv", "a.krv"}) LoadCatalog(state, folder / name);
  ASSERT_EQ(state.DistroTable.count(), kCatalogCapacity);
  // The other half of the block would add a whole catalog (15 MB); allow a third of it.
  const std::size_t grown = ResidentBytes() - std::min(ResidentBytes(), oneCatalog);
  EXPECT_LT(grown, kCatalogCapacity * kRecordSize / 3) << grown << " bytes more";
}

}  // namespace
}  // namespace kitrova::core
