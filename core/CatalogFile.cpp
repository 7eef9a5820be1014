#include "core/CatalogFile.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>

#include "core/CatalogError.h"
#include "core/CatalogOps.h"
#include "core/FileReplace.h"
#include "core/FileSync.h"
#include "core/PageMemory.h"

namespace kitrova::core {

namespace fs = std::filesystem;

namespace {

using detail::Fail;
using detail::FileHandle;
using detail::LastError;

FileHandle Open(const fs::path& path, const char* mode) {
  errno = 0;
  FileHandle file(detail::OpenFile(path, mode));
  if (!file) Fail(LastError(std::errc::permission_denied), path);
  return file;
}

// Copies source over target keeping source's modification time.
void CopyKeepingDate(const fs::path& source, const fs::path& target, ReplaceOptions options) {
  std::error_code ec;
  options.modified = fs::last_write_time(source, ec);
  if (ec) Fail(ec, source);
  ReplaceFileWithCopy(target, source, options);
}

}  // namespace

Moment CurrentMoment() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _MSC_VER
  localtime_s(&local, &now);
#else
  local = *std::localtime(&now);
#endif
  return Moment{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour,        local.tm_min,     local.tm_sec};
}

fs::path BackupFolderPath(const fs::path& programFolder) {
  return programFolder / "Backup";
}
fs::path SeedCatalogPath(const fs::path& programFolder) {
  return BackupFolderPath(programFolder) / "base.krv";
}
fs::path WorkingCopyPath(const fs::path& programFolder) {
  return programFolder / "_tmp.krv";
}
fs::path DefaultCatalogPath(const fs::path& programFolder) {
  return programFolder / "base.krv";
}

std::string BackupFileName(const Moment& m) {
  return "backup" + std::to_string(m.year) + "_" + std::to_string(m.month) + "_" +
         std::to_string(m.day) + "_" + std::to_string(m.hour) + "_" + std::to_string(m.minute) +
         "_" + std::to_string(m.second) + ".krv";
}

void LoadCatalog(CatalogState& state, const fs::path& path, LoadFor purpose) {
  // Read and write, as the catalog will be rewritten: a read-only or locked file fails now.
  FileHandle file = Open(path, purpose == LoadFor::Writing ? "r+b" : "rb");
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  if (ec) Fail(ec, path);
  const std::uintmax_t records = size / kRecordSize;
  if (records > static_cast<std::uintmax_t>(kCatalogCapacity)) {
    // Loading part of it would let the next save drop the rest.
    const std::u8string name = path.u8string();
    throw CatalogError(
        "Каталог содержит больше 10000 записей: " + std::string(name.begin(), name.end()), path,
        std::make_error_code(std::errc::file_too_large));
  }
  const std::size_t count = static_cast<std::size_t>(records);
  // Staged in the scratch half: the catalog stays whole until everything has been read.
  CatalogTable& table = state.DistroTable;
  // A reader takes the file's pages as they are, without copying 15 MB into fresh memory.
  const bool mapped = purpose == LoadFor::Reading &&
                      detail::MapFileCopy(table.scratchRecords(), file.get(), count * kRecordSize);
  if (count > 0 && !mapped) {
    errno = 0;
    if (std::fread(static_cast<void*>(table.scratchRecords()), kRecordSize, count, file.get()) !=
        count) {
      Fail(LastError(), path);
    }
  }
  file.reset();

  if (count > 0) state.CurrentRecord = table.scratchRecords()[count - 1];
  table.adoptScratch(static_cast<std::int32_t>(count));
  state.CatalogLoaded = true;
}

void SaveCatalog(const CatalogState& state, const fs::path& path) {
  const std::size_t size = static_cast<std::size_t>(state.DistroTable.count()) * kRecordSize;
  ReplaceOptions options;
  options.keepOldIn = BackupFolderPath(state.ProgramFolder);
  ReplaceFileContents(path, state.DistroTable.records(), size, options);
}

void CopyFileKeepingDate(const fs::path& source, const fs::path& target,
                         const fs::path& keepOldIn) {
  ReplaceOptions options;
  options.keepOldIn = keepOldIn;
  CopyKeepingDate(source, target, options);
}

fs::path MakeBackupFolder(const fs::path& programFolder) {
  fs::path folder = BackupFolderPath(programFolder);
  std::error_code ec;
  fs::create_directory(folder, ec);
  if (ec) Fail(ec, folder);
  if (!fs::is_directory(folder, ec)) Fail(std::make_error_code(std::errc::not_a_directory), folder);
  return folder;
}

void TakeBackupCopy(const CatalogState& state, const Moment& moment) {
  if (!state.BackupEnabled) return;
  const fs::path folder = MakeBackupFolder(state.ProgramFolder);
  // A copy taken earlier in the same second keeps its name; this one takes the next free.
  ReplaceOptions onlyNew;
  onlyNew.onlyNew = true;
  for (int attempt = 0;; ++attempt) {
    try {
      CopyKeepingDate(state.CurrentBasePath, FreeName(folder, BackupFileName(moment)), onlyNew);
      break;
    } catch (const CatalogError& error) {
      // Another process took the same name at the same moment.
      if (error.code() != std::errc::file_exists || attempt >= 10) throw;
    }
  }
  // Each copy has a name of its own, so no later copy would tidy up after a killed one.
  RemoveDeadTemporaries(folder);
}

void SeedCatalog(const CatalogState& state) {
  std::error_code ec;
  // Never put the seed over a catalog that is there after all.
  if (fs::exists(fs::symlink_status(state.CurrentBasePath, ec))) return;
  CopyFileKeepingDate(SeedCatalogPath(state.ProgramFolder), state.CurrentBasePath);
}

void TakeWorkingCopy(CatalogState& state) {
  // Until the copy has succeeded "_tmp.krv" does not belong to the current catalog.
  state.WorkingCopyOf.clear();
  // Not flushed: the working copy only serves to undo changes during this run.
  ReplaceOptions unflushed;
  unflushed.flush = false;
  CopyKeepingDate(state.CurrentBasePath, WorkingCopyPath(state.ProgramFolder), unflushed);
  state.WorkingCopyOf = state.CurrentBasePath;
}

bool WorkingCopyIsCurrent(const CatalogState& state) {
  return !state.WorkingCopyOf.empty() && state.WorkingCopyOf == state.CurrentBasePath;
}

bool RestoreWorkingCopy(const CatalogState& state) {
  if (!WorkingCopyIsCurrent(state)) return false;
  CopyFileKeepingDate(WorkingCopyPath(state.ProgramFolder), state.CurrentBasePath,
                      BackupFolderPath(state.ProgramFolder));
  return true;
}

void DeleteWorkingCopy(CatalogState& state) noexcept {
  state.WorkingCopyOf.clear();
  // However it came to be current, the catalog itself is never deleted (in doubt: neither).
  try {
    if (IsWorkingCopy(state.ProgramFolder, state.CurrentBasePath)) return;
  } catch (...) {
    return;
  }
  std::error_code ignored;
  fs::remove(WorkingCopyPath(state.ProgramFolder), ignored);
}

}  // namespace kitrova::core
