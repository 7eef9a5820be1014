// The catalog operations behind the main window's commands, without any window.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/CatalogError.h"
#include "core/CatalogOps.h"
#include "support/TempFolder.h"

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

DistroRecord Named(const std::string& name) {
  DistroRecord record{};
  record.Name.assign(name);
  record.Path.assign("C:\\" + name + ".exe");
  return record;
}

std::string Names(const CatalogTable& table) {
  std::string names;
  for (int k = 1; k <= table.count(); ++k) names += table.at(k).Name.str() + " ";
  return names;
}

class CatalogOpsTest : public ::testing::Test {
 protected:
  TempFolder folder;
  CatalogState state{folder.path()};

  void Fill(const std::vector<std::string>& names) {
    state.DistroTable.clear();
    for (const std::string& name : names) state.DistroTable.append(Named(name));
  }
};

TEST_F(CatalogOpsTest, DeleteCompactsThroughTheScratchTableKeepingTheOrder) {
  struct Case {
    int position;
    std::string left;
  };
  const Case cases[] = {{1, "b a d "}, {2, "c a d "}, {4, "c b a "}};
  for (const Case& c : cases) {
    Fill({"c", "b", "a", "d"});  // not sorted: delete never sorts
    DeletePosition(state.DistroTable, c.position);
    EXPECT_EQ(Names(state.DistroTable), c.left) << c.position;
    // The survivors went through the scratch table.
    EXPECT_EQ(state.DistroTable.scratch(1).Name.str(), c.left.substr(0, 1));
  }
  Fill({"only"});
  DeletePosition(state.DistroTable, 1);
  EXPECT_EQ(state.DistroTable.count(), 0);

  Fill({"x", "y"});
  EXPECT_THROW(DeletePosition(state.DistroTable, 0), std::out_of_range);
  EXPECT_THROW(DeletePosition(state.DistroTable, 3), std::out_of_range);
  EXPECT_EQ(Names(state.DistroTable), "x y ");
}

TEST_F(CatalogOpsTest, StoringSortsByNameAndLeavesTheRecordInCurrentRecord) {
  Fill({"b", "d"});
  StoreNewRecord(state, Named("c"));
  EXPECT_EQ(Names(state.DistroTable), "b c d ");
  EXPECT_EQ(state.CurrentRecord.Name.str(), "c");

  StoreRecordAt(state, 1, Named("z"));
  EXPECT_EQ(Names(state.DistroTable), "c d z ");
  EXPECT_EQ(state.CurrentRecord.Name.str(), "z");
  EXPECT_THROW(StoreRecordAt(state, 4, Named("q")), std::out_of_range);
  EXPECT_EQ(Names(state.DistroTable), "c d z ");

  state.DistroTable.setCount(kCatalogCapacity);
  EXPECT_THROW(StoreNewRecord(state, Named("more")), CatalogError);
  EXPECT_EQ(state.DistroTable.count(), kCatalogCapacity);
  EXPECT_EQ(state.CurrentRecord.Name.str(), "z");

  // Many at once: one sort, and all or nothing at the limit.
  state.DistroTable.setCount(3);
  const DistroRecord many[] = {Named("e"), Named("a")};
  StoreNewRecords(state, many);
  EXPECT_EQ(Names(state.DistroTable), "a c d e z ");
  state.DistroTable.setCount(kCatalogCapacity - 1);
  EXPECT_THROW(StoreNewRecords(state, many), CatalogError);
  EXPECT_EQ(state.DistroTable.count(), kCatalogCapacity - 1);
}

TEST(CatalogNameTest, EachFaultIsToldAndOnlyPlainFileNamesPass) {
  struct Case {
    std::string name;
    CatalogNameFault fault;
  };
  const Case cases[] = {
      {"Моя база", CatalogNameFault::None},
      {"\xcc\xee\xff", CatalogNameFault::None},  // Windows-1251 letters
      {"console", CatalogNameFault::None},
      {"COM0", CatalogNameFault::None},
      {".", CatalogNameFault::FolderName},
      {"..", CatalogNameFault::FolderName},
      {"tab\tname", CatalogNameFault::ControlCharacter},
      {"del\x7f", CatalogNameFault::ControlCharacter},
      {"a\x01*", CatalogNameFault::ControlCharacter},  // the first bad character decides
      {"a*\x01", CatalogNameFault::ForbiddenCharacter},
      {"sub/name", CatalogNameFault::ForbiddenCharacter},
      {"a|b", CatalogNameFault::ForbiddenCharacter},
      {"CON", CatalogNameFault::ReservedName},
      {"lpt1 .x", CatalogNameFault::ReservedName},
      {"nul.", CatalogNameFault::ReservedName},
      {"Com9.krv", CatalogNameFault::ReservedName},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckNewCatalogName(c.name), c.fault) << c.name;
    EXPECT_EQ(CatalogNameFaultText(c.fault).empty(), c.fault == CatalogNameFault::None);
  }
}

TEST_F(CatalogOpsTest, TheWorkingCopyIsRecognisedHoweverItIsNamed) {
  const fs::path copy = WorkingCopyPath(folder.path());
  fs::create_directory(folder / "sub");
  std::vector<fs::path> names = {copy, folder / "_TMP.KRV", folder / "sub" / ".." / "_tmp.krv",
                                 folder / "." / "_Tmp.krv"};
  // MinGW's runtime has no symbolic links; there the names alone are checked.
  std::error_code noLinks;
  fs::create_symlink(copy, folder / "link.krv", noLinks);  // its target does not exist yet
  if (!noLinks) fs::create_directory_symlink(folder.path(), folder / "again", noLinks);
  if (!noLinks) names.insert(names.end(), {folder / "link.krv", folder / "again" / "_tmp.krv"});
  for (const fs::path& path : names) {
    EXPECT_TRUE(IsWorkingCopy(folder.path(), path)) << path;
  }
  WriteFileBytes(copy, "copy");
  if (!noLinks) {
    EXPECT_TRUE(IsWorkingCopy(folder.path(), folder / "link.krv"));
  }
  for (const fs::path& path :
       {folder / "base.krv", folder / "sub" / "_tmp.krv", folder / "_tmp.krv.krv", fs::path()}) {
    EXPECT_FALSE(IsWorkingCopy(folder.path(), path)) << path;
  }
}

TEST_F(CatalogOpsTest, KeptWorkingCopyMovesToANameNothingReuses) {
  const Moment moment{2005, 3, 7, 9, 5, 2};
  state.CurrentBasePath = folder / "base.krv";
  fs::create_directory(folder / "Backup");
  WriteFileBytes(folder / "Backup" / "kept2005_3_7_9_5_2.krv", "earlier");
  WriteFileBytes(WorkingCopyPath(folder.path()), "first");
  const fs::path kept = KeepWorkingCopyInBackup(state, moment);
  EXPECT_EQ(kept, folder / "Backup" / "kept2005_3_7_9_5_2_2.krv");
  EXPECT_EQ(ReadFileBytes(kept), "first");
  EXPECT_EQ(ReadFileBytes(folder / "Backup" / "kept2005_3_7_9_5_2.krv"), "earlier");
  EXPECT_FALSE(fs::exists(WorkingCopyPath(folder.path())));
  EXPECT_NE(kept.filename(), BackupFileName(moment));

  // Nothing to move, or the working copy is the current catalog: it stays where it is.
  EXPECT_THROW(KeepWorkingCopyInBackup(state, moment), CatalogError);
  WriteFileBytes(WorkingCopyPath(folder.path()), "catalog");
  state.CurrentBasePath = folder / "_TMP.krv";
  EXPECT_THROW(KeepWorkingCopyInBackup(state, moment), CatalogError);
  EXPECT_EQ(ReadFileBytes(WorkingCopyPath(folder.path())), "catalog");
}

TEST_F(CatalogOpsTest, ClosingNeverDeletesTheCurrentCatalogThatIsTheWorkingCopy) {
  const fs::path copy = WorkingCopyPath(folder.path());
  WriteFileBytes(copy, "records");
  state.CurrentBasePath = folder / "sub" / ".." / "_tmp.krv";
  DeleteWorkingCopy(state);
  EXPECT_EQ(ReadFileBytes(copy), "records");
  state.CurrentBasePath = folder / "base.krv";
  DeleteWorkingCopy(state);
  EXPECT_FALSE(fs::exists(copy));
}

}  // namespace
}  // namespace kitrova::core
