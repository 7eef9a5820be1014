// Writer's locks and disk stamps: one holder at a time, named to the others; the lock on the
// catalog itself where no lock file can be made; gone with its process; every kind of
// rewrite seen in the stamp.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "core/CatalogError.h"
#include "core/FileLock.h"
#include "core/FileReplace.h"
#include "support/TempFolder.h"

#if defined(__unix__)
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::WriteFileBytes;

// The holder a second taker is refused with, or nullopt when it got the lock.
std::optional<LockHolder> RefusedHolder(const fs::path& catalog, std::string_view who) {
  try {
    LockCatalog(catalog, who, std::chrono::milliseconds(30));
    return std::nullopt;
  } catch (const LockHeldError& error) {
    EXPECT_EQ(error.path(), catalog);
    return error.holder();
  }
}

TEST(FileLockTest, OneHolderAtATimeNamedToTheOthersWhereverTheLockIs) {
  struct Case {
    const char* name;
    bool folderAtLockPath;  // no lock file can be made: the catalog itself is locked
    const char* lockedFile;
    std::int64_t namedPid;  // 0: the holder cannot be named
  };
  const Case cases[] = {
      {"lock file beside", false, "base.krv.lock", CurrentProcessId()},
      {"catalog itself", true, "base.krv", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const fs::path catalog = folder / "base.krv";
    WriteFileBytes(catalog, "records");
    if (c.folderAtLockPath) fs::create_directory(CatalogLockPath(catalog));

    FileLock first = LockCatalog(catalog, "kitrova-cli import");
    ASSERT_TRUE(first.held());
    EXPECT_EQ(first.file(), folder / c.lockedFile);
    const std::optional<LockHolder> refused = RefusedHolder(catalog, kProgramLockHolder);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->pid, c.namedPid);
    EXPECT_EQ(refused->who, c.namedPid ? "kitrova-cli import" : "");

    FileLock moved = std::move(first);
    EXPECT_FALSE(first.held());
    EXPECT_TRUE(RefusedHolder(catalog, kProgramLockHolder).has_value());
    moved.release();
    EXPECT_FALSE(RefusedHolder(catalog, kProgramLockHolder).has_value());
    EXPECT_EQ(fs::is_directory(CatalogLockPath(catalog)), c.folderAtLockPath);
  }
}

TEST(FileLockTest, NothingToLockIsAnErrorNotARefusal) {
  TempFolder folder;
  const fs::path missing = folder / "missing.krv";
  fs::create_directory(CatalogLockPath(missing));
  EXPECT_THROW(LockCatalog(missing, "x"), CatalogError);
  try {
    LockCatalog(missing, "x");
  } catch (const LockHeldError&) {
    ADD_FAILURE() << "a missing catalog is not a held lock";
  } catch (const CatalogError&) {
  }
}

TEST(FileLockTest, TheStampSeesEveryRewriteAndNothingElse) {
  TempFolder folder;
  const fs::path catalog = folder / "base.krv";
  WriteFileBytes(catalog, "0123456789");
  const auto time = fs::last_write_time(catalog);
  struct Case {
    const char* name;
    void (*change)(const fs::path&, fs::file_time_type);
    bool seen;
  };
  const Case cases[] = {
      {"read only", [](const fs::path&, fs::file_time_type) {}, false},
      {"same bytes and time under a new file",
       [](const fs::path& p, fs::file_time_type t) {
         ReplaceFileContents(p, "0123456789", 10, {.modified = t});
       },
       true},
      {"same size in place, new time",
       [](const fs::path& p, fs::file_time_type t) {
         WriteFileBytes(p, "9876543210");
         fs::last_write_time(p, t + std::chrono::seconds(3));
       },
       true},
      {"one more byte, old time",
       [](const fs::path& p, fs::file_time_type t) {
         WriteFileBytes(p, "0123456789x");
         fs::last_write_time(p, t);
       },
       true},
      {"removed", [](const fs::path& p, fs::file_time_type) { fs::remove(p); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFileBytes(catalog, "0123456789");
    fs::last_write_time(catalog, time);
    const std::optional<DiskStamp> before = DiskStampOf(catalog);
    ASSERT_TRUE(before.has_value());
    c.change(catalog, time);
    EXPECT_EQ(DiskStampOf(catalog) != before, c.seen);
  }
}

#if defined(__unix__)
// A holder killed with SIGKILL leaves its lock file behind, and refuses nobody.
TEST(FileLockTest, TheLockDiesWithItsProcess) {
  TempFolder folder;
  const fs::path catalog = folder / "base.krv";
  WriteFileBytes(catalog, "records");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileLock lock = LockCatalog(catalog, kProgramLockHolder);
    (void)!write(ready[1], "1", 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  const std::optional<LockHolder> held = RefusedHolder(catalog, "kitrova-cli scan");
  ASSERT_TRUE(held.has_value());
  EXPECT_EQ(held->pid, child);
  EXPECT_EQ(held->who, kProgramLockHolder);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_TRUE(fs::exists(CatalogLockPath(catalog)));
  EXPECT_FALSE(RefusedHolder(catalog, "kitrova-cli scan").has_value());
}

// Two users of one shared folder, one who may create files there and one who may not (user
// 65534): whoever comes first, the other is refused, and the lock dies with either.
TEST(FileLockTest, AUserWhoMayNotCreateFilesThereSharesTheLock) {
  if (geteuid() != 0) GTEST_SKIP() << "acting as two users needs root";
  TempFolder folder;
  const fs::path catalog = folder / "base.krv";
  WriteFileBytes(catalog, "records");
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  // As user 65534: 0 got the lock (on `expectedFile`), 10 refused, 77 cannot switch user.
  const auto asNobody = [&](const fs::path& expectedFile) {
    const pid_t child = fork();
    if (child == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
      try {
        const FileLock lock = LockCatalog(catalog, "kitrova-cli scan");
        _exit(lock.file() == expectedFile ? 0 : 1);
      } catch (const LockHeldError&) {
        _exit(10);
      } catch (...) {
        _exit(2);
      }
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  {
    const FileLock owner = LockCatalog(catalog, kProgramLockHolder);
    const int refused = asNobody(catalog);
    if (refused == 77) GTEST_SKIP() << "cannot switch to user 65534 here";
    EXPECT_EQ(refused, 10) << "the owner's lock file, opened for reading";
  }
  // The released lock file is gone: the other user locks the catalog itself.
  EXPECT_EQ(asNobody(catalog), 0);
  // An existing lock file it may only read is locked read-only.
  WriteFileBytes(CatalogLockPath(catalog), "");
  EXPECT_EQ(asNobody(CatalogLockPath(catalog)), 0);
  fs::remove(CatalogLockPath(catalog));
  // Holding the catalog itself, it refuses the owner.
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(77);
    const FileLock lock = LockCatalog(catalog, "kitrova-cli scan");
    (void)!write(ready[1], "1", 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  EXPECT_TRUE(RefusedHolder(catalog, kProgramLockHolder).has_value());
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_FALSE(RefusedHolder(catalog, kProgramLockHolder).has_value());
}
#endif

}  // namespace
}  // namespace kitrova::core
