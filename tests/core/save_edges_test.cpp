// Saves and copies at the edges: names near the file system's limit, folders that take no
// new files, links to vanished files, and the temporary files of killed saves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/FileReplace.h"
#include "support/TempFolder.h"

#if defined(__unix__)
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void Fill(CatalogState& state, int count) {
  state.DistroTable.setCount(0);
  for (int k = 1; k <= count; ++k) {
    DistroRecord record{};
    record.Name.assign("rec" + std::to_string(k));
    state.DistroTable.append(record);
  }
}

class SaveEdgesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  CatalogState state{folder.path()};
};

TEST_F(SaveEdgesTest, NamesNearTheLimitSaveAndCopy) {
  for (const std::size_t length : {250u, 255u}) {
    const fs::path catalog = folder / (std::string(length - 4, 'n') + ".krv");
    const fs::path copy = folder / (std::string(length - 4, 'c') + ".krv");
    Fill(state, 2);
    SaveCatalog(state, catalog);
    LoadCatalog(state, catalog);
    Fill(state, 3);
    EXPECT_NO_THROW(SaveCatalog(state, catalog)) << length;
    EXPECT_NO_THROW(CopyFileKeepingDate(catalog, copy)) << length;
    EXPECT_EQ(fs::file_size(copy), 3 * kRecordSize);
    EXPECT_EQ(Names(folder.path()).size(), 2u) << "no temporary file is left";
    fs::remove(catalog);
    fs::remove(copy);
  }
}

#if defined(__unix__)
TEST_F(SaveEdgesTest, ALinkToAVanishedFileStaysALink) {
  fs::create_directory(folder / "real");
  const fs::path link = folder / "base.krv";
  fs::create_symlink("real/base.krv", link);
  Fill(state, 2);
  SaveCatalog(state, link);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(fs::file_size(folder / "real" / "base.krv"), 2 * kRecordSize);

  const fs::path copyLink = folder / "copy.krv";
  fs::create_symlink(folder / "real" / "copy.krv", copyLink);
  CopyFileKeepingDate(link, copyLink);
  EXPECT_TRUE(fs::is_symlink(copyLink));
  EXPECT_EQ(ReadFileBytes(folder / "real" / "copy.krv"), ReadFileBytes(link));
  EXPECT_EQ(Names(folder / "real"), (std::vector<std::string>{"base.krv", "copy.krv"}));
}

// A save killed half way (here by the file size limit's signal) leaves its temporary file;
// the next successful save or copy to that target removes it, and nothing of another target.
TEST_F(SaveEdgesTest, KilledSavesLeaveTemporariesThatTheNextSaveRemoves) {
  const fs::path catalog = folder / "base.krv";
  const fs::path other = folder / "other.krv";
  Fill(state, 3);
  SaveCatalog(state, catalog);
  SaveCatalog(state, other);
  const std::string saved = ReadFileBytes(catalog);
  Fill(state, 40);

  auto killedWhileWriting = [](auto&& write) {
    rlimit small{};
    getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = 10 * kRecordSize;
    setrlimit(RLIMIT_FSIZE, &small);
    std::signal(SIGXFSZ, SIG_DFL);
    write();
    std::exit(0);
  };
  for (int kill = 0; kill < 2; ++kill) {
    EXPECT_EXIT(killedWhileWriting([&] { SaveCatalog(state, catalog); }),
                ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EXIT(killedWhileWriting([&] { SaveCatalog(state, other); }),
                ::testing::KilledBySignal(SIGXFSZ), "");
  }
  EXPECT_EQ(ReadFileBytes(catalog), saved) << "a killed save never harms the catalog";
  ASSERT_EQ(LeftoverTemporaries(catalog).size(), 2u);
  ASSERT_EQ(LeftoverTemporaries(other).size(), 2u);
  for (const fs::path& leftover : LeftoverTemporaries(catalog)) {
    EXPECT_LE(leftover.filename().string().size(), 32u) << leftover;
  }
  EXPECT_EQ(Names(folder.path()).size(), 6u);

  SaveCatalog(state, catalog);
  EXPECT_TRUE(LeftoverTemporaries(catalog).empty());
  EXPECT_EQ(LeftoverTemporaries(other).size(), 2u) << "another target's files stay";

  CopyFileKeepingDate(catalog, other);
  EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"base.krv", "other.krv"}));
}

// A catalog the user may write in a folder where the user may not create files: saves and
// copies rewrite it in place. Root may create files anywhere, so as root the saves run in a
// child process as the unprivileged user 65534.
constexpr const char* kLockedFolderVariable = "KITROVA_LOCKED_FOLDER";

void SaveAndCopyInLockedFolder(const fs::path& locked) {
  const fs::path catalog = locked / "base.krv";
  if (std::ofstream(locked / "probe")) {
    fs::remove(locked / "probe");
    FAIL() << "this user may create files in " << locked;
  }
  CatalogState state{locked};
  LoadCatalog(state, catalog);
  DistroRecord record{};
  record.Name.assign("added");
  state.DistroTable.append(record);
  EXPECT_NO_THROW(SaveCatalog(state, catalog));
  EXPECT_NO_THROW(CopyFileKeepingDate(catalog, locked / "copy.krv"));
}

TEST(SaveInLockedFolderTest, SavesAndCopiesRewriteInPlace) {
  if (const char* locked = std::getenv(kLockedFolderVariable)) {
    SaveAndCopyInLockedFolder(locked);  // the child's part
    return;
  }
  TempFolder folder;
  const fs::path locked = folder / "shared";
  fs::create_directory(locked);
  CatalogState state{folder.path()};
  Fill(state, 2);
  SaveCatalog(state, locked / "base.krv");
  WriteFileBytes(locked / "copy.krv", "older and longer than the copy will be");
  const auto everyone = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                        fs::perms::group_write | fs::perms::others_read | fs::perms::others_write;
  fs::permissions(locked / "base.krv", everyone);
  fs::permissions(locked / "copy.krv", everyone);
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);

  if (geteuid() != 0) {
    SaveAndCopyInLockedFolder(locked);
  } else {
    const std::string asNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (std::system((asNobody + "true >/dev/null 2>&1").c_str()) != 0) {
      fs::permissions(locked, fs::perms::owner_all);
      GTEST_SKIP() << "cannot run a process as user 65534 (setpriv) here";
    }
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string command = std::string(kLockedFolderVariable) + "='" + locked.string() + "' " +
                                asNobody + "'" + self + "' --gtest_filter=SaveInLockedFolderTest.*";
    const int status = std::system(command.c_str());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 126) {
      fs::permissions(locked, fs::perms::owner_all);
      GTEST_SKIP() << "user 65534 cannot run " << self;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the saves failed as user 65534 (status " << status << ")";
  }
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(fs::file_size(locked / "base.krv"), 3 * kRecordSize);
  EXPECT_EQ(ReadFileBytes(locked / "copy.krv"), ReadFileBytes(locked / "base.krv"));
  EXPECT_EQ(Names(locked), (std::vector<std::string>{"base.krv", "copy.krv"}));
}
#endif

}  // namespace
}  // namespace kitrova::core
