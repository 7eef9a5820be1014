// Copies keeping the date, backup copies, seeding and the working copy.
#include <gtest/gtest.h>

#include <chrono>
#include <iterator>
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

TEST(BackupFileNameTest, NumbersWithoutLeadingZeros) {
  EXPECT_EQ(BackupFileName({2005, 3, 7, 9, 5, 2}), "backup2005_3_7_9_5_2.krv");
  EXPECT_EQ(BackupFileName({2012, 12, 31, 23, 59, 59}), "backup2012_12_31_23_59_59.krv");
  EXPECT_EQ(BackupFileName({2000, 1, 1, 0, 0, 0}), "backup2000_1_1_0_0_0.krv");
}

TEST(ProgramFolderPathsTest, FilesBesideTheExecutable) {
  const fs::path program = "/opt/kitrova";
  EXPECT_EQ(BackupFolderPath(program), program / "Backup");
  EXPECT_EQ(SeedCatalogPath(program), program / "Backup" / "base.krv");
  EXPECT_EQ(WorkingCopyPath(program), program / "_tmp.krv");
  EXPECT_EQ(DefaultCatalogPath(program), program / "base.krv");
}

class CopiesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  CatalogState state{folder.path()};
  fs::path catalog = folder / "base.krv";
  fs::path backups = folder / "Backup";
  const fs::file_time_type past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);

  void SetUp() override { state.CurrentBasePath = catalog; }
};

TEST_F(CopiesTest, CopyHasTheSourceBytesAndDateOverALongerTarget) {
  const fs::path source = folder / "a.krv";
  const fs::path target = folder / "b.krv";
  WriteFileBytes(source, "short");
  fs::last_write_time(source, past);
  WriteFileBytes(target, std::string(5000, 'L'));

  CopyFileKeepingDate(source, target);
  EXPECT_EQ(ReadFileBytes(target), "short");
  const auto drift = fs::last_write_time(target) - past;
  EXPECT_LE(std::chrono::abs(drift), std::chrono::seconds(2));
}

TEST_F(CopiesTest, MissingSourceNeverDestroysTheTarget) {
  WriteFileBytes(catalog, "catalog");
  EXPECT_THROW(CopyFileKeepingDate(folder / "none.krv", catalog), CatalogError);
  EXPECT_EQ(ReadFileBytes(catalog), "catalog");

  fs::create_directory(folder / "dir.krv");
  EXPECT_THROW(CopyFileKeepingDate(folder / "dir.krv", catalog), CatalogError);
  EXPECT_EQ(ReadFileBytes(catalog), "catalog");
}

TEST_F(CopiesTest, RefusedTargetLeavesNoTemporaryFile) {
  WriteFileBytes(catalog, "catalog");
  fs::create_directory(folder / "dir.krv");
  EXPECT_THROW(CopyFileKeepingDate(catalog, folder / "dir.krv"), CatalogError);
  EXPECT_TRUE(fs::is_empty(folder / "dir.krv"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}

TEST_F(CopiesTest, BackupCreatesTheFolderAndNamesTheCopyByTheMoment) {
  state.BackupEnabled = true;
  WriteFileBytes(catalog, "first");
  TakeBackupCopy(state, {2005, 3, 7, 9, 5, 2});
  WriteFileBytes(catalog, "second");
  TakeBackupCopy(state, {2005, 3, 7, 9, 5, 2});  // the same second: both copies stay
  WriteFileBytes(catalog, "third");
  TakeBackupCopy(state, {2005, 3, 7, 9, 5, 2});

  EXPECT_EQ(std::distance(fs::directory_iterator(backups), fs::directory_iterator()), 3);
  EXPECT_EQ(ReadFileBytes(backups / "backup2005_3_7_9_5_2.krv"), "first");
  EXPECT_EQ(ReadFileBytes(backups / "backup2005_3_7_9_5_2_2.krv"), "second");
  EXPECT_EQ(ReadFileBytes(backups / "backup2005_3_7_9_5_2_3.krv"), "third");
  EXPECT_EQ(ReadFileBytes(catalog), "third");
}

TEST_F(CopiesTest, BackupDisabledDoesNothing) {
  WriteFileBytes(catalog, "catalog");
  TakeBackupCopy(state, {2005, 3, 7, 9, 5, 2});
  EXPECT_FALSE(fs::exists(backups));
}

TEST_F(CopiesTest, BackupFolderThatCannotBeMadeFails) {
  state.BackupEnabled = true;
  WriteFileBytes(catalog, "catalog");
  WriteFileBytes(backups, "a file where the folder should be");
  EXPECT_THROW(TakeBackupCopy(state, {2005, 3, 7, 9, 5, 2}), CatalogError);
  EXPECT_EQ(ReadFileBytes(backups), "a file where the folder should be");
}

TEST_F(CopiesTest, SeedCreatesTheMissingCatalog) {
  fs::create_directory(backups);
  WriteFileBytes(backups / "base.krv", "seed");
  state.CurrentBasePath = folder / "mine.krv";
  SeedCatalog(state);
  EXPECT_EQ(ReadFileBytes(folder / "mine.krv"), "seed");

  WriteFileBytes(folder / "mine.krv", "user data");
  SeedCatalog(state);  // a catalog that is there is never replaced by the seed
  EXPECT_EQ(ReadFileBytes(folder / "mine.krv"), "user data");
}

TEST_F(CopiesTest, MissingSeedFails) {
  EXPECT_THROW(SeedCatalog(state), CatalogError);
  EXPECT_FALSE(fs::exists(catalog));
}

TEST_F(CopiesTest, RestoreUndoesChangesAndDeleteRemovesTheCopy) {
  WriteFileBytes(catalog, "as loaded");
  TakeWorkingCopy(state);
  EXPECT_EQ(state.WorkingCopyOf, catalog);
  EXPECT_TRUE(WorkingCopyIsCurrent(state));

  WriteFileBytes(catalog, "as loaded, then changed and grown");
  EXPECT_TRUE(RestoreWorkingCopy(state));
  EXPECT_EQ(ReadFileBytes(catalog), "as loaded");

  DeleteWorkingCopy(state);
  EXPECT_FALSE(fs::exists(WorkingCopyPath(folder.path())));
  EXPECT_TRUE(state.WorkingCopyOf.empty());
  DeleteWorkingCopy(state);  // a missing file is no error
}

TEST_F(CopiesTest, OnlyTheCurrentCatalogIsRestored) {
  const fs::path other = folder / "b.krv";
  WriteFileBytes(catalog, "A");
  TakeWorkingCopy(state);
  WriteFileBytes(catalog, "A changed");

  state.CurrentBasePath = other;
  WriteFileBytes(other, "B");
  TakeWorkingCopy(state);
  WriteFileBytes(other, "B changed");

  EXPECT_TRUE(RestoreWorkingCopy(state));
  EXPECT_EQ(ReadFileBytes(other), "B");
  EXPECT_EQ(ReadFileBytes(catalog), "A changed");
}

TEST_F(CopiesTest, StaleWorkingCopyIsNeverRestored) {
  WriteFileBytes(catalog, "mine");
  WriteFileBytes(WorkingCopyPath(folder.path()), "left by another run");
  EXPECT_FALSE(WorkingCopyIsCurrent(state));
  EXPECT_FALSE(RestoreWorkingCopy(state));
  EXPECT_EQ(ReadFileBytes(catalog), "mine");

  // A working copy that could not be taken does not belong to the current catalog.
  TakeWorkingCopy(state);
  state.CurrentBasePath = folder / "missing.krv";
  EXPECT_THROW(TakeWorkingCopy(state), CatalogError);
  EXPECT_FALSE(WorkingCopyIsCurrent(state));
  EXPECT_FALSE(RestoreWorkingCopy(state));
}

}  // namespace
}  // namespace kitrova::core
