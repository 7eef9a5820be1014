#pragma once
// The few file calls the standard library lacks: opening by a wide path on Windows, creating
// a file that must not exist yet, flushing a file to the disk itself, copying inside the
// kernel and swapping two names. Everything else in the core is standard C++.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "core/CatalogError.h"

namespace kitrova::core::detail {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// The error the last failed call left in errno, or `fallback` when it left none.
inline std::error_code LastError(std::errc fallback = std::errc::io_error) {
  const int err = errno;
  return err != 0 ? std::error_code(err, std::generic_category()) : std::make_error_code(fallback);
}

[[noreturn]] inline void Fail(std::error_code code, const std::filesystem::path& path) {
  throw CatalogError::FromCode(code, path);
}

// std::fopen by path; on failure returns nullptr with errno set.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// Creates `path` for binary writing, failing when anything already has that name; never
// opens an existing file. On failure returns nullptr and sets `error` (std::errc::file_exists
// when the name is taken).
std::FILE* CreateNewFile(const std::filesystem::path& path, std::error_code& error);

// Flushes the stream's buffer and then the operating system's cache to the disk.
std::error_code FlushToDisk(std::FILE* file);

// Copies the rest of `from` to `to` inside the system, without a round trip through this
// process, as far as the system offers it (0 bytes elsewhere). Both streams are then placed
// after the bytes copied, so plain reads and writes finish whatever is left, and report any
// error with the side it happened on. Returns the bytes copied.
std::uintmax_t CopyInSystem(std::FILE* from, std::FILE* to) noexcept;

// Swaps the names `a` and `b` of two existing files in one folder in one step, where the
// system can; false (and nothing changed) where it cannot.
bool ExchangeNames(const std::filesystem::path& a, const std::filesystem::path& b) noexcept;

// Makes a rename in `folder` durable where the platform needs it; best effort.
void SyncFolder(const std::filesystem::path& folder) noexcept;

}  // namespace kitrova::core::detail
