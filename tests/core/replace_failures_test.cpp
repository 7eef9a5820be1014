// Whatever step of a replacement the system refuses, the earlier contents survive whole:
// in the target itself, or in a copy the error names. Clean-up takes only the temporary
// files of writers that are gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/FileReplace.h"
#include "support/TempFolder.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <chrono>
#include <thread>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;
using testing::ReadFileBytes;
using testing::TempFolder;
using testing::WriteFileBytes;

const std::string kOld = std::string(3000, 'o');
const std::string kNew = std::string(4500, 'n');

struct Fault {
  ReplaceStep step;
  std::errc error;
  int times = 1000;  // refusals before the step goes through
};

struct Case {
  const char* what;
  std::vector<Fault> faults;
  bool saved;          // the new contents are in place
  bool copyKept;       // the error names a copy of the earlier contents
  int renameAttempts;  // -1: not counted
};

int Temporaries(const fs::path& folder) {
  int found = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind(".~", 0) == 0) ++found;
  }
  return found;
}

TEST(ReplaceFailuresTest, EveryRefusalKeepsTheEarlierContentsWhole) {
  const auto refused = std::errc::permission_denied;
  const auto full = std::errc::no_space_on_device;
  const std::vector<Case> cases = {
      {"full disk for the temporary", {{ReplaceStep::CreateTemporary, full}}, false, false, 0},
      {"full disk while writing it", {{ReplaceStep::WriteTemporary, full}}, false, false, 0},
      {"rename refused for a moment", {{ReplaceStep::Rename, refused, 3}}, true, false, 4},
      {"rename refused for good", {{ReplaceStep::Rename, refused}}, false, false, -1},
      {"no temporary allowed: in place", {{ReplaceStep::CreateTemporary, refused}}, true, false, 0},
      {"in place, space cannot be reserved",
       {{ReplaceStep::CreateTemporary, refused}, {ReplaceStep::Reserve, full}},
       false,
       false,
       0},
      {"in place, no copy can be kept",
       {{ReplaceStep::CreateTemporary, refused}, {ReplaceStep::KeepOldCopy, refused}},
       false,
       false,
       0},
      {"in place, the write fails half way",
       {{ReplaceStep::CreateTemporary, refused}, {ReplaceStep::WriteInPlace, full}},
       false,
       true,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const fs::path target = folder / "base.krv";
    const fs::path keep = folder / "Backup";
    WriteFileBytes(target, kOld);
    std::map<ReplaceStep, int> seen;
    ReplaceOptions options;
    options.keepOldIn = keep;
    options.injectFailure = [&](ReplaceStep step) {
      const int n = seen[step]++;
      for (const Fault& fault : c.faults) {
        if (fault.step == step && n < fault.times) return std::make_error_code(fault.error);
      }
      return std::error_code();
    };

    fs::path kept;
    std::string message;
    try {
      ReplaceFileContents(target, kNew.data(), kNew.size(), options);
    } catch (const CatalogError& error) {
      kept = error.keptCopy();
      message = error.what();
    }
    EXPECT_EQ(message.empty(), c.saved) << message;
    EXPECT_EQ(ReadFileBytes(target) == kNew, c.saved);
    if (!c.saved && !c.copyKept) {
      EXPECT_EQ(ReadFileBytes(target), kOld);
    }
    ASSERT_EQ(!kept.empty(), c.copyKept);
    if (c.copyKept) {
      EXPECT_EQ(ReadFileBytes(kept), kOld);
      EXPECT_NE(message.find(kept.filename().string()), std::string::npos) << message;
    } else if (fs::exists(keep)) {
      EXPECT_TRUE(fs::is_empty(keep)) << "a copy no longer needed is removed";
    }
    if (c.renameAttempts >= 0) {
      EXPECT_EQ(seen[ReplaceStep::Rename], c.renameAttempts);
    } else {
      EXPECT_GT(seen[ReplaceStep::Rename], 1) << "tried again";
    }
    EXPECT_EQ(Temporaries(folder.path()), 0);
  }
}

// A second writer's clean-up, in whichever way it comes (a save of the same target, a backup
// copy tidying its folder), takes the temporary files killed writers left and never the one
// a live writer is still filling.
TEST(ReplaceFailuresTest, CleanUpSparesTheTemporaryOfALiveWriter) {
  struct Cleaner {
    const char* what;
    bool backupFolder;  // the live writer writes into Backup/
  };
  for (const Cleaner& cleaner :
       {Cleaner{"a save of the same target", false}, Cleaner{"a backup copy", true}}) {
    SCOPED_TRACE(cleaner.what);
    TempFolder folder;
    CatalogState state{folder.path()};
    state.BackupEnabled = true;
    state.CurrentBasePath = folder / "base.krv";
    WriteFileBytes(state.CurrentBasePath, kOld);
    const fs::path backups = MakeBackupFolder(folder.path());
    const fs::path target =
        cleaner.backupFolder ? backups / "backup2005_3_7_9_5_1.krv" : state.CurrentBasePath;
    // A killed writer's file of another backup copy.
    WriteFileBytes(backups / ".~fedcba9876543210.89abcdef.tmp", "dead");

    int cleanUps = 0;
    ReplaceOptions options;
    options.injectFailure = [&](ReplaceStep step) {
      if (step == ReplaceStep::WriteTemporary && cleanUps++ == 0) {
        const std::vector<fs::path> live = LeftoverTemporaries(target);
        EXPECT_EQ(live.size(), 1u);
        // A killed writer's file of this very target: its name differs in the random part.
        std::string dead = live.at(0).filename().string();
        dead.replace(dead.size() - 12, 8, "deadbeef");
        WriteFileBytes(target.parent_path() / dead, "dead");
        if (cleaner.backupFolder) {
          TakeBackupCopy(state, {2005, 3, 7, 9, 5, 2});
        } else {
          ReplaceFileContents(target, kOld.data(), kOld.size());
        }
        EXPECT_EQ(LeftoverTemporaries(target), live) << "only the live one is left";
        EXPECT_EQ(Temporaries(target.parent_path()), 1);
      }
      return std::error_code();
    };
    EXPECT_NO_THROW(ReplaceFileContents(target, kNew.data(), kNew.size(), options));
    EXPECT_EQ(ReadFileBytes(target), kNew);
    EXPECT_EQ(Temporaries(folder.path()), 0);
    if (!cleaner.backupFolder) {
      // The same target's leftovers go with its save; a backup copy's with the next copy.
      EXPECT_EQ(Temporaries(backups), 1);
      TakeBackupCopy(state, {2005, 3, 7, 9, 5, 3});
    }
    EXPECT_EQ(Temporaries(backups), 0);
  }
}

#ifdef _WIN32
// A reader that holds the catalog open without delete sharing (a scanner, a backup tool)
// refuses the rename: the save waits for it briefly, and else fails with the file as it was,
// never rewriting it in place under the reader.
TEST(ReplaceFailuresTest, AReaderHoldingTheFileDelaysTheSaveOrFailsItWhole) {
  struct Case {
    const char* what;
    bool releasedSoon;
  };
  for (const Case& c : {Case{"released soon", true}, Case{"held", false}}) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    const fs::path target = folder / "base.krv";
    WriteFileBytes(target, kOld);
    const HANDLE reader =
        CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    std::thread release([&] {
      if (c.releasedSoon) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CloseHandle(reader);
      }
    });
    int renames = 0;
    ReplaceOptions options;
    options.injectFailure = [&](ReplaceStep step) {
      if (step == ReplaceStep::Rename) ++renames;
      return std::error_code();
    };
    bool saved = true;
    try {
      ReplaceFileContents(target, kNew.data(), kNew.size(), options);
    } catch (const CatalogError&) {
      saved = false;
    }
    release.join();
    if (!c.releasedSoon) CloseHandle(reader);
    EXPECT_EQ(saved, c.releasedSoon);
    EXPECT_EQ(ReadFileBytes(target), c.releasedSoon ? kNew : kOld);
    EXPECT_GT(renames, 1) << "refused while the reader held it";
    EXPECT_EQ(Temporaries(folder.path()), 0);
  }
}
#else
// Run as root (as CI is), every replacement leaves the file with the owner, group and
// permission bits it had.
TEST(ReplaceFailuresTest, ReplacementsKeepTheOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  TempFolder folder;
  CatalogState state{folder.path()};
  const fs::path catalog = folder / "base.krv";
  const fs::path source = folder / "source.krv";
  WriteFileBytes(source, kNew);
  struct Replacement {
    const char* what;
    std::function<void()> run;
  };
  const std::vector<Replacement> replacements = {
      {"save", [&] { SaveCatalog(state, catalog); }},
      {"copy", [&] { CopyFileKeepingDate(source, catalog); }},
      {"contents", [&] { ReplaceFileContents(catalog, kNew.data(), kNew.size()); }},
  };
  for (const Replacement& replacement : replacements) {
    SCOPED_TRACE(replacement.what);
    WriteFileBytes(catalog, kOld);
    ASSERT_EQ(chown(catalog.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(catalog.c_str(), 0640), 0);
    replacement.run();
    struct stat info {};
    ASSERT_EQ(stat(catalog.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, 65534u);
    EXPECT_EQ(info.st_gid, 65534u);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 2);
}
#endif

}  // namespace
}  // namespace kitrova::core
