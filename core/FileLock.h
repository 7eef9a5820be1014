#pragma once
// Coordination between writers: locks that name their holder and die with their process
// (one writer per catalog, one running program per program folder), and the stamp that
// tells whether a file on disk is still the one last read or written.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/CatalogError.h"

namespace kitrova::core {

// The name the program writes into the locks it holds.
inline constexpr std::string_view kProgramLockHolder = "Kitrova";

// Who holds a lock, as the holder wrote it into the lock file. pid 0: not known (the lock
// is on the catalog itself, or the holder has not written its name yet).
struct LockHolder {
  std::int64_t pid = 0;
  std::string who;  // UTF-8, e.g. "Kitrova", "kitrova-cli import"
};

// Thrown when someone else holds a lock; the message names the holder.
class LockHeldError : public CatalogError {
 public:
  LockHeldError(const std::filesystem::path& path, LockHolder holder);
  const LockHolder& holder() const noexcept { return holder_; }

 private:
  LockHolder holder_;
};

// An operating-system lock held by this process until it is destroyed or the process ends
// (a crash or a kill included). Only the lock counts, never the file's existence, so a lock
// file a killed holder left behind refuses nobody.
class FileLock {
 public:
  FileLock() = default;
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock();

  bool held() const noexcept { return handle_ != kNoHandle; }
  // The file the lock is on: the lock file, or the catalog itself where none could be made.
  const std::filesystem::path& file() const noexcept { return file_; }
  // The catalog (or folder) this lock guards.
  const std::filesystem::path& guards() const noexcept { return guards_; }
  void release() noexcept;

 private:
  friend std::optional<FileLock> TryLockFile(const std::filesystem::path&, std::string_view,
                                             LockHolder*);
  friend FileLock LockCatalog(const std::filesystem::path&, std::string_view,
                              std::chrono::milliseconds);
#ifdef _WIN32
  using Handle = void*;
  static inline Handle const kNoHandle = reinterpret_cast<Handle>(-1);
#else
  using Handle = int;
  static constexpr Handle kNoHandle = -1;
#endif
  Handle handle_ = kNoHandle;
  std::filesystem::path file_;
  std::filesystem::path guards_;
  bool removeOnRelease_ = false;
};

// The lock file beside a catalog: "base.krv" -> "base.krv.lock".
std::filesystem::path CatalogLockPath(const std::filesystem::path& catalog);

// Takes the lock on `lockFile` (created when missing) for `who` and writes this process's
// id and `who` into it. nullopt when another process holds it; `holder` then says who.
// Throws CatalogError when the file cannot be created or opened.
std::optional<FileLock> TryLockFile(const std::filesystem::path& lockFile, std::string_view who,
                                    LockHolder* holder = nullptr);

// The writer's lock of a catalog (symbolic links followed), tried until `wait` has passed.
// The lock is on CatalogLockPath; where that file cannot be created (a folder the user may
// not create files in) it is taken on an existing lock file opened for reading, else on the
// catalog itself (saves there go in place, so the catalog keeps its identity). Throws
// LockHeldError naming the holder, or CatalogError when the catalog cannot be opened.
FileLock LockCatalog(const std::filesystem::path& catalog, std::string_view who,
                     std::chrono::milliseconds wait = std::chrono::milliseconds(0));

// What tells one version of a file from another: which file the name reaches (device and
// file number), its size and its modification time.
struct DiskStamp {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // nanoseconds (Windows: 100 ns) since the system's epoch
  bool operator==(const DiskStamp&) const = default;
};

// The stamp of the file `path` names (links followed); nullopt when it cannot be read.
std::optional<DiskStamp> DiskStampOf(const std::filesystem::path& path) noexcept;

// This process's id.
std::int64_t CurrentProcessId() noexcept;

}  // namespace kitrova::core
