#include "core/FileSync.h"

#include <cerrno>
#include <string>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX  // MinGW's C++ headers define it already
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <sys/sendfile.h>
#endif

namespace kitrova::core::detail {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(path.c_str(), wideMode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

std::FILE* CreateNewFile(const std::filesystem::path& path, std::error_code& error) {
  error.clear();
#ifdef _WIN32
  // The C runtime of MinGW ignores fopen's "x"; only the system call itself is exclusive.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    error = (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
                ? std::make_error_code(std::errc::file_exists)
                : std::error_code(static_cast<int>(code), std::system_category());
    return nullptr;
  }
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd == -1) {
    error = std::error_code(errno, std::generic_category());
    CloseHandle(handle);
    DeleteFileW(path.c_str());
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "wb");
  if (!file) {
    error = std::error_code(errno, std::generic_category());
    _close(fd);
    DeleteFileW(path.c_str());
  }
  return file;
#else
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "wbx");
  if (!file) {
    error = std::error_code(errno != 0 ? errno : EIO, std::generic_category());
  }
  return file;
#endif
}

std::error_code FlushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return {errno, std::generic_category()};
#ifdef _WIN32
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)) {
    return {static_cast<int>(GetLastError()), std::system_category()};
  }
#else
  if (fsync(fileno(file)) != 0) return {errno, std::generic_category()};
#endif
  return {};
}

std::uintmax_t CopyInSystem([[maybe_unused]] std::FILE* from,
                            [[maybe_unused]] std::FILE* to) noexcept {
  std::uintmax_t copied = 0;
#ifdef __linux__
  const long inStart = std::ftell(from);
  if (std::fflush(to) != 0) return 0;
  const long outStart = std::ftell(to);
  if (inStart < 0 || outStart < 0) return 0;
  const int in = fileno(from);
  const int out = fileno(to);
  off_t inAt = inStart;
  off_t outAt = outStart;
  constexpr std::size_t kStep = std::size_t{1} << 30;
  // copy_file_range may even share the blocks; sendfile also crosses file systems. Any
  // refusal leaves the rest to the caller's plain loop.
  for (;;) {
    const ssize_t got = copy_file_range(in, &inAt, out, &outAt, kStep, 0);
    if (got <= 0) break;
    copied += static_cast<std::uintmax_t>(got);
  }
  if (inAt == inStart) {
    for (;;) {
      const ssize_t got = sendfile(out, in, &inAt, kStep);
      if (got <= 0) break;
      copied += static_cast<std::uintmax_t>(got);
    }
  }
  outAt = outStart + static_cast<off_t>(copied);
  inAt = inStart + static_cast<off_t>(copied);
  if (std::fseek(from, static_cast<long>(inAt), SEEK_SET) != 0 ||
      std::fseek(to, static_cast<long>(outAt), SEEK_SET) != 0) {
    // The caller would copy from the wrong place; with the streams unusable its own reads
    // and writes fail and say so.
    std::fseek(from, inStart, SEEK_SET);
    std::fseek(to, outStart, SEEK_SET);
    return 0;
  }
#endif
  return copied;
}

bool ExchangeNames([[maybe_unused]] const std::filesystem::path& a,
                   [[maybe_unused]] const std::filesystem::path& b) noexcept {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
  return renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
#else
  return false;
#endif
}

void SyncFolder([[maybe_unused]] const std::filesystem::path& folder) noexcept {
#ifndef _WIN32
  // The rename lives in the folder's entry; without this a power cut may undo it.
  const std::filesystem::path target = folder.empty() ? std::filesystem::path(".") : folder;
  const int fd = open(target.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
#endif
}

std::error_code RenameNoReplace(const std::filesystem::path& from,
                                const std::filesystem::path& to) noexcept {
#ifdef _WIN32
  if (MoveFileExW(from.c_str(), to.c_str(), 0)) return {};
  const DWORD code = GetLastError();
  if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) {
    return std::make_error_code(std::errc::file_exists);
  }
  return {static_cast<int>(code), std::system_category()};
#else
#if defined(__linux__) && defined(RENAME_NOREPLACE)
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS) return {errno, std::generic_category()};
#endif
  // A second name for the file fails when the name is taken; then the first goes.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return {};
  }
  if (errno == EEXIST) return std::make_error_code(std::errc::file_exists);
  // A file system without links (FAT): look, then rename; only a race can slip through.
  struct stat taken {};
  if (lstat(to.c_str(), &taken) == 0) return std::make_error_code(std::errc::file_exists);
  if (rename(from.c_str(), to.c_str()) != 0) return {errno, std::generic_category()};
  return {};
#endif
}

std::error_code ReserveSpace(std::FILE* file, std::uintmax_t size) noexcept {
#ifdef _WIN32
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  FILE_ALLOCATION_INFO info{};
  info.AllocationSize.QuadPart = static_cast<LONGLONG>(size);
  if (handle == INVALID_HANDLE_VALUE) return std::make_error_code(std::errc::bad_file_descriptor);
  if (!SetFileInformationByHandle(handle, FileAllocationInfo, &info, sizeof info)) {
    // Where the allocation cannot be set (Wine), making the file that long takes the space.
    const long long length = _filelengthi64(_fileno(file));
    if (length < 0) return {errno, std::generic_category()};
    if (static_cast<std::uintmax_t>(length) >= size) return {};
    if (const errno_t err = _chsize_s(_fileno(file), static_cast<long long>(size)); err != 0) {
      return {err, std::generic_category()};
    }
  }
#elif defined(__linux__)
  if (size == 0) return {};
  // Keeping the size, a kill before the rewrite leaves no zeros after the earlier records.
  if (fallocate(fileno(file), FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) == 0) return {};
  if (errno != EOPNOTSUPP && errno != ENOSYS) return {errno, std::generic_category()};
  const int err = posix_fallocate(fileno(file), 0, static_cast<off_t>(size));
  if (err != 0) return {err, std::generic_category()};
#else
  (void)file;
  (void)size;
#endif
  return {};
}

std::error_code TruncateFile(std::FILE* file, std::uintmax_t size) noexcept {
  if (std::fflush(file) != 0) return {errno, std::generic_category()};
#ifdef _WIN32
  const errno_t err = _chsize_s(_fileno(file), static_cast<long long>(size));
  if (err != 0) return {err, std::generic_category()};
#else
  if (ftruncate(fileno(file), static_cast<off_t>(size)) != 0) {
    return {errno, std::generic_category()};
  }
#endif
  return {};
}

FileOwner OwnerOf([[maybe_unused]] const std::filesystem::path& path) noexcept {
#ifndef _WIN32
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return {info.st_uid, info.st_gid};
#endif
  return {};
}

void GiveTo([[maybe_unused]] std::FILE* file, [[maybe_unused]] const FileOwner& owner) noexcept {
#ifndef _WIN32
  if (owner.user < 0 || owner.group < 0) return;
  struct stat info {};
  const int fd = fileno(file);
  if (fstat(fd, &info) != 0) return;
  if (info.st_uid == static_cast<uid_t>(owner.user) &&
      info.st_gid == static_cast<gid_t>(owner.group)) {
    return;
  }
  // Without root, at least the group may be kept (a group the user belongs to).
  if (fchown(fd, static_cast<uid_t>(owner.user), static_cast<gid_t>(owner.group)) != 0) {
    [[maybe_unused]] const int ignored =
        fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(owner.group));
  }
#endif
}

std::error_code LockWhileWriting([[maybe_unused]] std::FILE* file) noexcept {
#ifndef _WIN32
  if (flock(fileno(file), LOCK_EX) != 0) return {errno, std::generic_category()};
#endif
  return {};
}

bool StillNamed([[maybe_unused]] std::FILE* file,
                [[maybe_unused]] const std::filesystem::path& path) noexcept {
#ifndef _WIN32
  struct stat open {};
  struct stat named {};
  if (fstat(fileno(file), &open) != 0 || lstat(path.c_str(), &named) != 0) return false;
  return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
#else
  return true;
#endif
}

bool RemoveIfUnlocked(const std::filesystem::path& path) noexcept {
#ifdef _WIN32
  // Opening without sharing fails while the writer has it open; closing then deletes it.
  const HANDLE handle =
      CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                  FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
#else
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  bool removed = false;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    // Unlinked under the lock, and only if the name still holds the file that was locked.
    struct stat open {};
    struct stat named {};
    if (fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
        open.st_ino == named.st_ino) {
      removed = unlink(path.c_str()) == 0;
    }
  }
  close(fd);
  return removed;
#endif
}

}  // namespace kitrova::core::detail
