#include "core/FileSync.h"

#include <cerrno>
#include <string>

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
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
