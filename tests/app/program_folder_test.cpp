// Where the program keeps its files: beside a writable executable, else in a seeded
// per-user folder.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>

#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "support/TempFolder.h"

#include "platform/ProgramFolder.h"

namespace kitrova::platform {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolderTest, WritableExecutableFolderIsTheProgramFolder) {
  testing::TempFolder exe;
  exe.installAssets();
  testing::TempFolder home;
  const fs::path user = home / "Kitrova";
  EXPECT_TRUE(CanWriteInFolder(exe.path()));
  EXPECT_EQ(ChooseProgramFolder(exe.path(), user, {exe.path()}), exe.path());
  EXPECT_FALSE(fs::exists(user));
  // The try leaves nothing behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(exe.path()), fs::directory_iterator()), 2);
  EXPECT_FALSE(CanWriteInFolder(exe / "missing"));
}

// Whoever runs it (root may write anywhere), an executable's folder without the program's
// pictures, as /usr/bin after installing, is not the program folder.
TEST(ProgramFolderTest, OnlyAFolderWithThePicturesIsTheProgramFolder) {
  struct Case {
    const char* what;
    bool pictures;
    bool chosen;  // the executable's folder is the program folder
  };
  for (const Case& c : {Case{"portable copy", true, true}, Case{"installed", false, false}}) {
    SCOPED_TRACE(c.what);
    testing::TempFolder exe;
    testing::TempFolder data;
    data.installAssets();
    if (c.pictures) exe.installAssets();
    testing::TempFolder home;
    const fs::path user = home / "Kitrova";
    const fs::path chosen = ChooseProgramFolder(exe.path(), user, {exe.path(), data.path()});
    EXPECT_EQ(chosen, c.chosen ? exe.path() : user);
    EXPECT_TRUE(fs::is_regular_file(chosen / "Pic" / "splash.bmp"));
    EXPECT_TRUE(fs::is_regular_file(chosen / "Backup" / "base.krv"));
  }
}

TEST(ProgramFolderTest, UnwritableExecutableFolderGivesASeededUserFolder) {
#ifdef _WIN32
  GTEST_SKIP() << "folder permissions are tried on POSIX systems only";
#else
  testing::TempFolder root;
  const fs::path exe = root / "bin";
  const fs::path data = root / "share";
  const fs::path home = root / "home";
  const fs::path user = home / ".local" / "share" / "Kitrova";
  fs::create_directories(exe);
  fs::create_directories(home);
  // Pictures and seed come from the installed data folder; the executable's folder has none.
  fs::copy(fs::path(KITROVA_ASSETS_DIR), data, fs::copy_options::recursive);
  // A file the user already has is kept.
  fs::create_directories(user / "Pic");
  testing::WriteFileBytes(user / "Pic" / "new.bmp", "mine");
  fs::permissions(root.path(), fs::perms::owner_all | fs::perms::group_read |
                                   fs::perms::group_exec | fs::perms::others_read |
                                   fs::perms::others_exec);
  fs::permissions(exe, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                           fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  for (const auto& entry : fs::recursive_directory_iterator(home)) {
    fs::permissions(entry.path(), fs::perms::all);
  }
  fs::permissions(home, fs::perms::all);

  const auto choose = [&] {
    if (CanWriteInFolder(exe)) return 3;
    return ChooseProgramFolder(exe, user, {exe, data}) == user ? 0 : 1;
  };
  int result = 0;
  if (geteuid() == 0) {
    // Permission bits stop nothing for root: decide as the unprivileged user "nobody".
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
      _exit(choose());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    result = WEXITSTATUS(status);
    if (result == 77) GTEST_SKIP() << "cannot switch to an unprivileged user here";
  } else {
    result = choose();
  }
  EXPECT_EQ(result, 0) << "3: executable folder writable, 1: executable folder chosen";
  EXPECT_TRUE(fs::is_regular_file(user / "Backup" / "base.krv"));
  EXPECT_TRUE(fs::is_regular_file(user / "Pic" / "splash.bmp"));
  EXPECT_TRUE(fs::is_regular_file(user / "Pic" / "options.bmp"));
  EXPECT_EQ(testing::ReadFileBytes(user / "Pic" / "new.bmp"), "mine");
  EXPECT_TRUE(fs::is_empty(exe));
  fs::permissions(exe, fs::perms::owner_all);
#endif
}

TEST(ProgramFolderTest, AnUpgradeRefreshesOlderPicturesAndKeepsTheRest) {
  testing::TempFolder installed;
  installed.installAssets();
  const fs::path picture = fs::path("Pic") / "new.bmp";
  const fs::path seed = fs::path("Backup") / "base.krv";
  const auto release = fs::last_write_time(installed.path() / picture);
  const auto hour = std::chrono::hours(1);
  fs::last_write_time(installed.path() / seed, release);
  struct Case {
    const char* what;
    fs::path file;
    std::optional<fs::file_time_type> userCopy;  // none: the user's folder lacks it
    bool replaced;
  };
  const Case cases[] = {
      {"missing picture", picture, std::nullopt, true},
      {"picture from an older release", picture, release - hour, true},
      {"picture the user changed since", picture, release + hour, false},
      {"picture of this release", picture, release, false},
      {"older seed catalog", seed, release - hour, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempFolder user;
    if (c.userCopy) {
      fs::create_directories((user.path() / c.file).parent_path());
      testing::WriteFileBytes(user.path() / c.file, "old");
      fs::last_write_time(user.path() / c.file, *c.userCopy);
    }
    SeedProgramFolder(user.path(), {installed.path()});
    ASSERT_TRUE(fs::is_regular_file(user.path() / c.file));
    EXPECT_EQ(testing::ReadFileBytes(user.path() / c.file) != "old", c.replaced);
    // The copy carries the installed date, so the next start does not copy it again.
    if (c.replaced) {
      EXPECT_EQ(fs::last_write_time(user.path() / c.file), release);
    }
  }
}

}  // namespace
}  // namespace kitrova::platform
