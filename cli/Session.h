#pragma once
// A catalog as the command-line tool holds it between reading and writing: loaded with the
// core's rules, and saved only when the file on disk is still the one that was read.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/CatalogState.h"
#include "core/FileLock.h"

namespace kitrova::cli {

// A failure reported to the user with an exit status (2: an error); never a stack trace.
class CliError : public std::runtime_error {
 public:
  explicit CliError(const std::string& message, int status = 2)
      : std::runtime_error(message), status_(status) {}
  int status() const noexcept { return status_; }

 private:
  int status_;
};

std::string Utf8Path(const std::filesystem::path& path);
std::filesystem::path PathFromUtf8(const std::string& text);

// What tells us that someone else wrote the file: its size and modification time.
struct FileStamp {
  std::uintmax_t size = 0;
  std::filesystem::file_time_type modified{};
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::filesystem::path& path);

// Reads up to 10000 records without opening the file for writing, so listing works on a
// read-only catalog too. A trailing piece shorter than a record is ignored, as on loading.
void ReadCatalog(core::CatalogState& state, const std::filesystem::path& path);
// The whole records of a file image, in file order; a trailing piece is left out.
std::vector<core::DistroRecord> RecordsOfImage(std::string_view image);

// The same as ReadCatalog for a catalog named on the command line, where "-" is standard input.
void ReadCatalog(core::CatalogState& state, const std::string& name);

// Who takes a catalog's writer's lock, and how long to wait for it.
struct WriterLockRequest {
  std::string who;  // "kitrova-cli import"
  int waitSeconds = 0;
};

// The status of a refusal because another program holds the catalog's writer's lock.
inline constexpr int kLockedStatus = 2;

class WritableCatalog {
 public:
  // With a lock request, first takes the catalog's writer's lock (held until destroyed), so
  // nobody writes between this read and the save; a lock still held after the wait is
  // refused with kLockedStatus, naming its holder, the catalog untouched. Without one (a
  // dry run writes nothing) no lock is taken.
  // Loads with the core's LoadCatalog. Refuses the program's working copy "_tmp.krv" and a
  // file with a trailing piece (saving would drop it), so nothing is ever written back
  // that was not read completely.
  // `readOnly` (a dry run) opens the file for reading only and takes no lock, so a catalog
  // the user may not write can still be previewed; save() then refuses.
  explicit WritableCatalog(const std::filesystem::path& path, bool readOnly = false,
                           const WriterLockRequest& lock = {"kitrova-cli", 0});

  core::CatalogState& state() { return state_; }
  core::CatalogTable& table() { return state_.DistroTable; }

  // Backup copy (when asked) and the crash-safe save. Refuses when the file changed since
  // it was loaded.
  void save(bool backup);

 private:
  void refuseIfChanged() const;

  core::CatalogState state_;
  core::FileLock lock_;
  FileStamp stamp_;
  bool readOnly_ = false;
};

}  // namespace kitrova::cli
