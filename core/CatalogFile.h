#pragma once
// The .krv file and the file operations on it: load, save, copies, backups, seed and the
// working copy. Every failure throws CatalogError.

#include <filesystem>
#include <string>

#include "core/CatalogState.h"

namespace kitrova::core {

// A local date and time as the clock reads it when a command starts.
struct Moment {
  int year = 0;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

Moment CurrentMoment();

std::filesystem::path BackupFolderPath(const std::filesystem::path& programFolder);
// Creates the backup folder when it is missing; throws CatalogError when it cannot, or when
// something other than a folder has its name. Returns the folder.
std::filesystem::path MakeBackupFolder(const std::filesystem::path& programFolder);
std::filesystem::path SeedCatalogPath(const std::filesystem::path& programFolder);
std::filesystem::path WorkingCopyPath(const std::filesystem::path& programFolder);
std::filesystem::path DefaultCatalogPath(const std::filesystem::path& programFolder);
// "backup2005_3_7_9_5_2.krv" for 7 March 2005, 09:05:02.
std::string BackupFileName(const Moment& moment);

// Replaces the table with the file's records; a trailing piece shorter than a record is
// ignored. All or nothing: on any failure (missing, a folder, unreadable, more than
// 10000 records) the table, its count and CurrentRecord are as they were. On success
// CurrentRecord holds the last record read and CatalogLoaded is set.
// The program opens for writing, since it rewrites the catalog; a reader that never saves
// opens for reading, so a read-only catalog can still be listed.
enum class LoadFor { Writing, Reading };
void LoadCatalog(CatalogState& state, const std::filesystem::path& path,
                 LoadFor purpose = LoadFor::Writing);

// Rewrites the whole file from positions 1..count through ReplaceFileContents: crash-safe
// where a temporary file can be made beside the catalog, rewritten in place where not, with
// the earlier contents kept in "Backup" until that has succeeded.
void SaveCatalog(const CatalogState& state, const std::filesystem::path& path);

// Replaces target with a byte copy of source bearing source's modification time, through
// ReplaceFileContents (`keepOldIn` as there). The target is never touched when the source
// cannot be read.
void CopyFileKeepingDate(const std::filesystem::path& source, const std::filesystem::path& target,
                         const std::filesystem::path& keepOldIn = {});

// With BackupEnabled: creates "Backup" when missing and copies CurrentBasePath there as
// BackupFileName(moment), or, when a file has that name already, with "_2", "_3" ... added;
// an existing file is never replaced. Then removes the temporary files killed copies left
// in "Backup". Without BackupEnabled: nothing at all.
void TakeBackupCopy(const CatalogState& state, const Moment& moment);

// Creates the missing CurrentBasePath as a copy of "Backup/base.krv".
void SeedCatalog(const CatalogState& state);

// Copies CurrentBasePath to "_tmp.krv" and records which catalog it belongs to.
void TakeWorkingCopy(CatalogState& state);
// True when this run took the working copy from the catalog that is current now.
bool WorkingCopyIsCurrent(const CatalogState& state);
// Copies "_tmp.krv" back over CurrentBasePath, but only when WorkingCopyIsCurrent; a
// stale working copy of another run or catalog is never restored. Returns whether it did.
bool RestoreWorkingCopy(const CatalogState& state);
// Deletes "_tmp.krv"; a missing file or any failure is ignored.
void DeleteWorkingCopy(CatalogState& state) noexcept;

}  // namespace kitrova::core
