#include "core/CatalogFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "core/CatalogError.h"
#include "core/FileReplace.h"
#include "core/FileSync.h"

namespace kitrova::core {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::error_code LastError(std::errc fallback = std::errc::io_error) {
  const int err = errno;
  return err != 0 ? std::error_code(err, std::generic_category()) : std::make_error_code(fallback);
}

[[noreturn]] void Fail(std::error_code code, const fs::path& path) {
  throw CatalogError::FromCode(code, path);
}

FileHandle Open(const fs::path& path, const char* mode) {
  errno = 0;
  FileHandle file(detail::OpenFile(path, mode));
  if (!file) Fail(LastError(std::errc::permission_denied), path);
  return file;
}

std::vector<char> ReadWholeFile(const fs::path& path) {
  FileHandle file = Open(path, "rb");
  std::vector<char> bytes;
  std::error_code ec;
  if (const std::uintmax_t size = fs::file_size(path, ec); !ec) bytes.reserve(size);
  char chunk[1 << 16];
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got < sizeof chunk) {
      if (std::ferror(file.get())) Fail(LastError(), path);
      break;
    }
  }
  return bytes;
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

void LoadCatalog(CatalogState& state, const fs::path& path) {
  // Read and write, as the catalog will be rewritten: a read-only or locked file fails now.
  FileHandle file = Open(path, "r+b");
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
  std::unique_ptr<char[]> buffer;
  if (count > 0) {
    buffer = std::make_unique_for_overwrite<char[]>(count * kRecordSize);
    errno = 0;
    if (std::fread(buffer.get(), kRecordSize, count, file.get()) != count) {
      Fail(LastError(), path);
    }
  }
  file.reset();

  // Everything is read: only now does the table change.
  if (count > 0) {
    std::memcpy(static_cast<void*>(state.DistroTable.records()), buffer.get(), count * kRecordSize);
    std::memcpy(static_cast<void*>(&state.CurrentRecord), buffer.get() + (count - 1) * kRecordSize,
                kRecordSize);
  }
  state.DistroTable.setCount(static_cast<std::int32_t>(count));
  state.CatalogLoaded = true;
}

void SaveCatalog(const CatalogState& state, const fs::path& path) {
  const std::size_t size = static_cast<std::size_t>(state.DistroTable.count()) * kRecordSize;
  ReplaceFileContents(path, state.DistroTable.records(), size);
}

void CopyFileKeepingDate(const fs::path& source, const fs::path& target) {
  // The source is read completely before the target is touched.
  const std::vector<char> bytes = ReadWholeFile(source);
  std::error_code ec;
  const fs::file_time_type modified = fs::last_write_time(source, ec);
  if (ec) Fail(ec, source);
  ReplaceFileContents(target, bytes.data(), bytes.size(), {.modified = modified});
}

void TakeBackupCopy(const CatalogState& state, const Moment& moment) {
  if (!state.BackupEnabled) return;
  const fs::path folder = BackupFolderPath(state.ProgramFolder);
  std::error_code ec;
  fs::create_directory(folder, ec);
  if (ec) Fail(ec, folder);
  if (!fs::is_directory(folder, ec)) Fail(std::make_error_code(std::errc::not_a_directory), folder);
  CopyFileKeepingDate(state.CurrentBasePath, folder / BackupFileName(moment));
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
  CopyFileKeepingDate(state.CurrentBasePath, WorkingCopyPath(state.ProgramFolder));
  state.WorkingCopyOf = state.CurrentBasePath;
}

bool WorkingCopyIsCurrent(const CatalogState& state) {
  return !state.WorkingCopyOf.empty() && state.WorkingCopyOf == state.CurrentBasePath;
}

bool RestoreWorkingCopy(const CatalogState& state) {
  if (!WorkingCopyIsCurrent(state)) return false;
  CopyFileKeepingDate(WorkingCopyPath(state.ProgramFolder), state.CurrentBasePath);
  return true;
}

void DeleteWorkingCopy(CatalogState& state) noexcept {
  state.WorkingCopyOf.clear();
  std::error_code ignored;
  fs::remove(WorkingCopyPath(state.ProgramFolder), ignored);
}

}  // namespace kitrova::core
