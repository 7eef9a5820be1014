#include "core/CatalogOps.h"

#include <stdexcept>
#include <string>
#include <system_error>

#include "core/CatalogError.h"
#include "core/FileReplace.h"
#include "core/Sort.h"

namespace kitrova::core {

namespace fs = std::filesystem;

namespace {

void CheckStoredPosition(const CatalogTable& table, std::int32_t position) {
  if (position < 1 || position > table.count()) {
    throw std::out_of_range("table position " + std::to_string(position) + " outside 1.." +
                            std::to_string(table.count()));
  }
}

char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.generic_u8string();
  return std::string(text.begin(), text.end());
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// Where `path` leads: absolute, links followed (also a link whose target is missing, which
// a later write would create), "." and ".." resolved.
fs::path Resolved(const fs::path& path) {
  std::error_code ec;
  fs::path current = fs::absolute(path, ec);
  current = FollowLinks(ec ? path : current);
  fs::path resolved = fs::weakly_canonical(current, ec);
  return ec ? current.lexically_normal() : resolved;
}

// The very same folder when both exist; else the same path, letter case ignored as Windows
// ignores it (erring towards "same" only ever refuses a name).
bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  return EqualIgnoringAsciiCase(Utf8(a), Utf8(b));
}

}  // namespace

void DeletePosition(CatalogTable& table, std::int32_t position) {
  const std::int32_t count = table.count();
  CheckStoredPosition(table, position);
  for (std::int32_t k = 1; k < position; ++k) table.scratch(k) = table.at(k);
  for (std::int32_t k = position + 1; k <= count; ++k) table.scratch(k - 1) = table.at(k);
  table.setCount(count - 1);
  for (std::int32_t k = 1; k <= count - 1; ++k) table.at(k) = table.scratch(k);
}

void StoreNewRecord(CatalogState& state, const DistroRecord& record) {
  // Appended first: a full table refuses it before CurrentRecord changes.
  state.DistroTable.append(record);
  state.CurrentRecord = record;
  SortByName(state.DistroTable);
}

void StoreNewRecords(CatalogState& state, std::span<const DistroRecord> records) {
  if (records.empty()) return;
  CatalogTable& table = state.DistroTable;
  if (records.size() > static_cast<std::size_t>(kCatalogCapacity - table.count())) {
    throw CatalogError("В базе может быть не больше 10000 записей — столько не добавить.", {},
                       std::make_error_code(std::errc::no_space_on_device));
  }
  for (const DistroRecord& record : records) table.append(record);
  state.CurrentRecord = records.back();
  SortByName(table);
}

void StoreRecordAt(CatalogState& state, std::int32_t position, const DistroRecord& record) {
  CheckStoredPosition(state.DistroTable, position);
  state.CurrentRecord = record;
  state.DistroTable.at(position) = state.CurrentRecord;
  SortByName(state.DistroTable);
}

namespace {

// The writer's lock of `path` unless this state holds it already (an empty lock then).
FileLock LockUnlessHeld(const CatalogState& state, const fs::path& path) {
  if (state.WriterLock.held() && state.WriterLock.guards() == FollowLinks(path)) return {};
  return LockCatalog(path, kProgramLockHolder);
}

void BecomeCurrent(CatalogState& state, const fs::path& path, FileLock lock,
                   std::optional<DiskStamp> stamp) {
  if (lock.held()) state.WriterLock = std::move(lock);
  state.CurrentBasePath = path;
  state.OnDisk = stamp;
  state.ChangedElsewhere = false;
}

}  // namespace

void OpenCatalog(CatalogState& state, const fs::path& path) {
  FileLock lock = LockUnlessHeld(state, path);
  // Stamped before reading: a write that lands during the read is seen as a change later.
  const std::optional<DiskStamp> stamp = DiskStampOf(path);
  LoadCatalog(state, path);
  BecomeCurrent(state, path, std::move(lock), stamp);
  if (state.DistroTable.count() > 0) SortByName(state.DistroTable);
}

void StartEmptyCatalog(CatalogState& state, const fs::path& path) {
  FileLock lock = LockUnlessHeld(state, path);
  BecomeCurrent(state, path, std::move(lock), DiskStampOf(path));
  state.DistroTable.clear();
  state.CatalogLoaded = true;
}

bool ChangedOnDisk(const CatalogState& state) {
  return state.CatalogLoaded && state.OnDisk && DiskStampOf(state.CurrentBasePath) != state.OnDisk;
}

void ReloadChangedCatalog(CatalogState& state) {
  const std::optional<DiskStamp> stamp = DiskStampOf(state.CurrentBasePath);
  // Whatever happens, this version is the one seen: a broken file is not retried until it
  // changes again.
  state.OnDisk = stamp;
  state.ChangedElsewhere = true;
  try {
    LoadCatalog(state, state.CurrentBasePath);
  } catch (...) {
    state.CatalogLoaded = false;
    throw;
  }
  if (state.DistroTable.count() > 0) SortByName(state.DistroTable);
}

void NoteWritten(CatalogState& state) {
  state.OnDisk = DiskStampOf(state.CurrentBasePath);
}

bool IsReservedDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  for (const char* reserved : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualIgnoringAsciiCase(base, reserved)) return true;
  }
  return base.size() == 4 &&
         (EqualIgnoringAsciiCase(base.substr(0, 3), "COM") ||
          EqualIgnoringAsciiCase(base.substr(0, 3), "LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

CatalogNameFault CheckNewCatalogName(std::string_view name) {
  if (name == "." || name == "..") return CatalogNameFault::FolderName;
  constexpr std::string_view kForbidden = "\\/:*?\"<>|";
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return CatalogNameFault::ControlCharacter;
    if (kForbidden.find(c) != std::string_view::npos) return CatalogNameFault::ForbiddenCharacter;
  }
  if (IsReservedDeviceName(name)) return CatalogNameFault::ReservedName;
  return CatalogNameFault::None;
}

std::string_view CatalogNameFaultText(CatalogNameFault fault) {
  switch (fault) {
    case CatalogNameFault::None:
      return {};
    case CatalogNameFault::FolderName:
      return "так называется папка, а не файл.";
    case CatalogNameFault::ControlCharacter:
      return "в нём есть управляющий символ.";
    case CatalogNameFault::ForbiddenCharacter:
      return "в имени файла нельзя использовать символы \\ / : * ? \" < > |.";
    case CatalogNameFault::ReservedName:
      return "это имя зарезервировано системой.";
  }
  return {};
}

bool IsWorkingCopy(const fs::path& programFolder, const fs::path& path) {
  if (path.empty()) return false;
  const fs::path copy = WorkingCopyPath(programFolder);
  std::error_code ec;
  if (fs::equivalent(path, copy, ec)) return true;
  const fs::path where = Resolved(path);
  const fs::path wanted = Resolved(copy);
  // Windows ignores letter case in names; only ASCII letters can match "_tmp.krv".
  return EqualIgnoringAsciiCase(Utf8(where.filename()), Utf8(wanted.filename())) &&
         SameFolder(where.parent_path(), wanted.parent_path());
}

fs::path KeepWorkingCopyInBackup(const CatalogState& state, const Moment& moment) {
  const fs::path copy = WorkingCopyPath(state.ProgramFolder);
  // Never carry the current catalog itself away.
  if (IsWorkingCopy(state.ProgramFolder, state.CurrentBasePath)) {
    throw CatalogError::FromCode(std::make_error_code(std::errc::operation_not_permitted), copy);
  }
  const fs::path folder = MakeBackupFolder(state.ProgramFolder);
  // "kept..." never matches a backup copy's name, and an existing file is never replaced.
  fs::path target =
      FreeName(folder, "kept" + BackupFileName(moment).substr(std::string("backup").size()));
  std::error_code ec;
  fs::rename(copy, target, ec);
  if (!ec) return target;
  // Another device: copy, then let the working copy go.
  CopyFileKeepingDate(copy, target);
  fs::remove(copy, ec);
  return target;
}

}  // namespace kitrova::core
