#include "core/FileLock.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <thread>
#include <utility>

#include "core/FileReplace.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace kitrova::core {

namespace {

enum class Attempt { Locked, Busy, Failed };
enum class OpenMode { CreateWritable, ReadExisting };

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string HeldMessage(const fs::path& path, const LockHolder& holder) {
  std::string who = holder.who.empty() ? std::string("another program") : holder.who;
  if (holder.pid != 0) who += ", process " + std::to_string(holder.pid);
  return "locked by " + who + ": " + Utf8(path);
}

LockHolder ReadHolder(const fs::path& lockFile) {
  LockHolder holder;
  std::ifstream in(lockFile, std::ios::binary);
  if (!(in >> holder.pid)) return {};
  in.ignore(1);
  std::getline(in, holder.who);
  return holder;
}

std::string HolderText(std::string_view who) {
  return std::to_string(CurrentProcessId()) + "\n" + std::string(who) + "\n";
}

#ifdef _WIN32

using Handle = void*;
const Handle kNone = INVALID_HANDLE_VALUE;

// The lock covers one byte far past any end, so it never stops anyone reading the file (a
// lock on its contents would) and the holder's name stays readable.
OVERLAPPED FarRange() {
  OVERLAPPED range{};
  range.Offset = 0;
  range.OffsetHigh = 0x7FFFFFFF;
  return range;
}

Attempt OpenAndLock(const fs::path& path, OpenMode mode, Handle& out, std::error_code& error) {
  const DWORD access =
      mode == OpenMode::CreateWritable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  const DWORD disposition = mode == OpenMode::CreateWritable ? OPEN_ALWAYS : OPEN_EXISTING;
  const HANDLE handle =
      CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return Attempt::Failed;
  }
  OVERLAPPED range = FarRange();
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
    const DWORD code = GetLastError();
    CloseHandle(handle);
    if (code == ERROR_LOCK_VIOLATION || code == ERROR_IO_PENDING) return Attempt::Busy;
    error = std::error_code(static_cast<int>(code), std::system_category());
    return Attempt::Failed;
  }
  out = handle;
  return Attempt::Locked;
}

void WriteHolder(Handle handle, std::string_view who) {
  const std::string text = HolderText(who);
  LARGE_INTEGER start{};
  DWORD written = 0;
  if (SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) && SetEndOfFile(handle)) {
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

bool IsMissing(const std::error_code& error) {
  return error.value() == ERROR_FILE_NOT_FOUND || error.value() == ERROR_PATH_NOT_FOUND;
}

void Unlock(Handle handle, const fs::path&, bool) noexcept {
  OVERLAPPED range = FarRange();
  UnlockFileEx(handle, 0, 1, 0, &range);
  // The file stays: deleting a file others have open leaves it "delete pending", and nobody
  // could open it until the last of them let go.
  CloseHandle(handle);
}

#else

using Handle = int;
const Handle kNone = -1;

// A regular file still reached by `path`: a releasing holder removes its lock file, and a
// lock taken on the removed file would guard nothing.
bool IsNamedRegularFile(int fd, const fs::path& path) {
  struct stat opened {};
  struct stat named {};
  return fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && stat(path.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// flock, not fcntl's record locks: flock belongs to this open file, so closing another
// descriptor of the same file (the loader's, the saver's) never drops it.
Attempt OpenAndLock(const fs::path& path, OpenMode mode, Handle& out, std::error_code& error) {
  for (int round = 0; round < 8; ++round) {
    const int flags = mode == OpenMode::CreateWritable ? O_RDWR | O_CREAT : O_RDONLY;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
      error = std::error_code(errno, std::generic_category());
      return Attempt::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      ::close(fd);
      if (err == EWOULDBLOCK) return Attempt::Busy;
      error = std::error_code(err, std::generic_category());
      return Attempt::Failed;
    }
    if (IsNamedRegularFile(fd, path)) {
      out = fd;
      return Attempt::Locked;
    }
    ::close(fd);
    struct stat named {};
    if (stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode)) {
      error = std::make_error_code(std::errc::is_a_directory);
      return Attempt::Failed;
    }
  }
  return Attempt::Busy;
}

void WriteHolder(Handle fd, std::string_view who) {
  const std::string text = HolderText(who);
  if (::ftruncate(fd, 0) == 0) {
    [[maybe_unused]] const ssize_t written = ::pwrite(fd, text.data(), text.size(), 0);
  }
}

bool IsMissing(const std::error_code& error) {
  return error.value() == ENOENT;
}

void Unlock(Handle fd, const fs::path& file, bool remove) noexcept {
  // Removed while still locked, so whoever opens the name next makes a fresh file.
  if (remove) ::unlink(file.c_str());
  ::close(fd);
}

#endif

// Someone holds a lock on the catalog file itself (a writer who could make no lock file).
bool CatalogHeldItself(const fs::path& catalog) {
  Handle handle = kNone;
  std::error_code error;
  const Attempt attempt = OpenAndLock(catalog, OpenMode::ReadExisting, handle, error);
  if (attempt == Attempt::Locked) Unlock(handle, catalog, false);
  return attempt == Attempt::Busy;
}

}  // namespace

LockHeldError::LockHeldError(const fs::path& path, LockHolder holder)
    : CatalogError(HeldMessage(path, holder), path,
                   std::make_error_code(std::errc::resource_unavailable_try_again)),
      holder_(std::move(holder)) {}

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(std::exchange(other.handle_, kNoHandle)),
      file_(std::move(other.file_)),
      guards_(std::move(other.guards_)),
      removeOnRelease_(other.removeOnRelease_) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, kNoHandle);
    file_ = std::move(other.file_);
    guards_ = std::move(other.guards_);
    removeOnRelease_ = other.removeOnRelease_;
  }
  return *this;
}

FileLock::~FileLock() {
  release();
}

void FileLock::release() noexcept {
  if (handle_ == kNoHandle) return;
  Unlock(handle_, file_, removeOnRelease_);
  handle_ = kNoHandle;
}

fs::path CatalogLockPath(const fs::path& catalog) {
  fs::path lock = catalog;
  lock += ".lock";
  return lock;
}

std::optional<FileLock> TryLockFile(const fs::path& lockFile, std::string_view who,
                                    LockHolder* holder) {
  Handle handle = kNone;
  std::error_code error;
  switch (OpenAndLock(lockFile, OpenMode::CreateWritable, handle, error)) {
    case Attempt::Failed:
      throw CatalogError::FromCode(error, lockFile);
    case Attempt::Busy:
      if (holder) *holder = ReadHolder(lockFile);
      return std::nullopt;
    case Attempt::Locked:
      break;
  }
  WriteHolder(handle, who);
  FileLock lock;
  lock.handle_ = handle;
  lock.file_ = lockFile;
  lock.guards_ = lockFile;
  lock.removeOnRelease_ = true;
  return lock;
}

FileLock LockCatalog(const fs::path& catalog, std::string_view who,
                     std::chrono::milliseconds wait) {
  const fs::path target = FollowLinks(catalog);
  const fs::path lockFile = CatalogLockPath(target);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    LockHolder holder;
    try {
      if (std::optional<FileLock> lock = TryLockFile(lockFile, who, &holder)) {
        // A writer who may not create files here may hold the catalog itself.
        if (!CatalogHeldItself(target)) {
          lock->guards_ = target;
          return std::move(*lock);
        }
        holder = {};
      }
    } catch (const CatalogError&) {
      // No lock file can be made here: an existing one read-only, else the catalog itself.
      Handle handle = kNone;
      std::error_code error;
      fs::path on = lockFile;
      Attempt attempt = OpenAndLock(lockFile, OpenMode::ReadExisting, handle, error);
      bool lockFileMissing = false;
      if (attempt == Attempt::Failed) {
        lockFileMissing = IsMissing(error);
        on = target;
        error.clear();
        attempt = OpenAndLock(target, OpenMode::ReadExisting, handle, error);
      }
      if (attempt == Attempt::Failed) throw CatalogError::FromCode(error, target);
      if (attempt == Attempt::Locked) {
        FileLock lock;
        lock.handle_ = handle;
        lock.file_ = on;
        lock.guards_ = target;
        // A writer who made the lock file meanwhile has looked at the catalog before us:
        // start again with its lock file.
        std::error_code ec;
        if (!lockFileMissing || !fs::is_regular_file(lockFile, ec)) return lock;
        continue;
      }
      if (on == lockFile) holder = ReadHolder(lockFile);
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) throw LockHeldError(target, holder);
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
        std::chrono::milliseconds(20), deadline - now));
  }
}

std::optional<DiskStamp> DiskStampOf(const fs::path& path) noexcept {
#ifdef _WIN32
  const HANDLE handle = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(handle, &info) != 0;
  CloseHandle(handle);
  if (!ok) return std::nullopt;
  DiskStamp stamp;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  stamp.modified =
      static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                info.ftLastWriteTime.dwLowDateTime);
  return stamp;
#else
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  DiskStamp stamp;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.index = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                   static_cast<std::int64_t>(info.st_mtim.tv_nsec);
  return stamp;
#endif
}

std::int64_t CurrentProcessId() noexcept {
#ifdef _WIN32
  return static_cast<std::int64_t>(GetCurrentProcessId());
#else
  return static_cast<std::int64_t>(::getpid());
#endif
}

}  // namespace kitrova::core
