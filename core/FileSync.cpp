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

}  // namespace kitrova::core::detail
