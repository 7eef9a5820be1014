// Copies made inside the kernel where it can: whatever the kernel leaves, the plain loop
// finishes, so every byte arrives; the unflushed working copy is replaced by name in one step.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/CatalogFile.h"
#include "core/FileReplace.h"
#include "support/TempFolder.h"

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

// A file of another file system, which reports its size as 0: copy_file_range refuses it,
// and the copy still holds all of it.
TEST(SystemCopyTest, SourceTheKernelCannotCopyArrivesWhole) {
  const fs::path source = "/proc/version";
  std::error_code ec;
  if (!fs::exists(source, ec)) GTEST_SKIP() << "no /proc/version here";
  TempFolder folder;
  ReplaceFileWithCopy(folder / "copy", source);
  const std::string expected = ReadFileBytes(source);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ReadFileBytes(folder / "copy"), expected);
}

TEST(SystemCopyTest, WorkingCopyReplacesALongerOneAndLeavesNothingBeside) {
  TempFolder folder;
  CatalogState state{folder.path()};
  state.CurrentBasePath = folder / "base.krv";
  const std::string big(3 * kRecordSize + 100, 'x');
  WriteFileBytes(state.CurrentBasePath, big);
  TakeWorkingCopy(state);
  WriteFileBytes(state.CurrentBasePath, "short");
  TakeWorkingCopy(state);
  EXPECT_EQ(ReadFileBytes(WorkingCopyPath(folder.path())), "short");
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 2);
}

}  // namespace
}  // namespace kitrova::core
