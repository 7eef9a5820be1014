#include "cli/Session.h"

#include <cstring>

#include "cli/Output.h"
#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/CatalogOps.h"

namespace kitrova::cli {

namespace fs = std::filesystem;

namespace {

std::string Describe(const core::CatalogError& error) {
  if (error.code() == std::errc::file_too_large) {
    return "the catalog holds more than 10000 records: " + Utf8Path(error.path());
  }
  return error.what();
}

// Any program kept in the catalog's own folder would take this file for its working copy.
bool IsWorkingCopyName(const fs::path& path) {
  const fs::path absolute = fs::absolute(path);
  return core::IsWorkingCopy(absolute.parent_path(), absolute);
}

std::string HolderText(const core::LockHolder& holder) {
  if (holder.who.empty()) return "locked by another program";
  std::string text =
      holder.who == core::kProgramLockHolder ? "open in Kitrova" : "in use by " + holder.who;
  if (holder.pid != 0) text += ", process " + std::to_string(holder.pid);
  return text;
}

}  // namespace

std::string Utf8Path(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathFromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

FileStamp StampOf(const fs::path& path) {
  std::error_code ec;
  FileStamp stamp;
  stamp.size = fs::file_size(path, ec);
  if (!ec) stamp.modified = fs::last_write_time(path, ec);
  if (ec) throw CliError("cannot read " + Utf8Path(path) + ": " + ec.message());
  return stamp;
}

void ReadCatalog(core::CatalogState& state, const fs::path& path) {
  std::error_code ec;
  if (fs::is_directory(path, ec)) throw CliError(Utf8Path(path) + " is a folder, not a catalog");
  try {
    core::LoadCatalog(state, path, core::LoadFor::Reading);
  } catch (const core::CatalogError& error) {
    throw CliError(Describe(error));
  }
}

void ReadCatalog(core::CatalogState& state, const std::string& name) {
  if (name != "-") return ReadCatalog(state, PathFromUtf8(name));
  constexpr std::size_t kMostBytes =
      static_cast<std::size_t>(core::kCatalogCapacity + 1) * core::kRecordSize - 1;
  const std::string image = ReadInput(name, kMostBytes, "a catalog");
  state.DistroTable.clear();
  for (const core::DistroRecord& record : RecordsOfImage(image)) state.DistroTable.append(record);
}

std::vector<core::DistroRecord> RecordsOfImage(std::string_view image) {
  std::vector<core::DistroRecord> records(image.size() / core::kRecordSize);
  if (!records.empty()) {
    std::memcpy(static_cast<void*>(records.data()), image.data(),
                records.size() * core::kRecordSize);
  }
  return records;
}

WritableCatalog::WritableCatalog(const fs::path& path, bool readOnly, const WriterLockRequest& lock)
    : state_(fs::absolute(path).parent_path()), readOnly_(readOnly) {
  state_.CurrentBasePath = fs::absolute(path);
  if (IsWorkingCopyName(path)) {
    throw CliError(Utf8Path(path) +
                   " is the program's working copy, which it deletes on exit; not written");
  }
  try {
    if (!readOnly) {
      lock_ = core::LockCatalog(state_.CurrentBasePath, lock.who,
                                std::chrono::seconds(lock.waitSeconds));
    }
  } catch (const core::LockHeldError& error) {
    throw CliError(Utf8Path(path) + " is " + HolderText(error.holder()) + "; not written",
                   kLockedStatus);
  } catch (const core::CatalogError& error) {
    throw CliError(Describe(error));
  }
  try {
    const FileStamp before = StampOf(path);
    core::LoadCatalog(state_, state_.CurrentBasePath,
                      readOnly ? core::LoadFor::Reading : core::LoadFor::Writing);
    stamp_ = StampOf(path);
    if (stamp_ != before) throw CliError(Utf8Path(path) + " changed while it was read");
  } catch (const core::CatalogError& error) {
    throw CliError(Describe(error));
  }
  if (const std::uintmax_t piece = stamp_.size % core::kRecordSize; piece != 0) {
    throw CliError(Utf8Path(path) + " ends in a piece of " + std::to_string(piece) +
                   " bytes that is not a whole record; saving would drop it. Not written "
                   "(see `kitrova-cli check`)");
  }
}

void WritableCatalog::refuseIfChanged() const {
  if (StampOf(state_.CurrentBasePath) != stamp_) {
    throw CliError(Utf8Path(state_.CurrentBasePath) +
                   " changed on disk after it was read (is Kitrova running?); not written");
  }
}

void WritableCatalog::save(bool backup) {
  if (readOnly_) throw CliError("a dry run writes nothing");
  try {
    refuseIfChanged();
    if (backup) {
      state_.BackupEnabled = true;
      core::TakeBackupCopy(state_, core::CurrentMoment());
      state_.BackupEnabled = false;
      refuseIfChanged();
    }
    core::SaveCatalog(state_, state_.CurrentBasePath);
    stamp_ = StampOf(state_.CurrentBasePath);
  } catch (const core::CatalogError& error) {
    throw CliError(Describe(error));
  }
}

}  // namespace kitrova::cli
