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

// Renames `from` to `to` only when nothing has the name `to` yet (std::errc::file_exists
// otherwise); nothing is ever replaced.
std::error_code RenameNoReplace(const std::filesystem::path& from,
                                const std::filesystem::path& to) noexcept;

// Sets aside `size` bytes on the disk for the open file, so writing that much later cannot
// run out of space. The file's contents are not changed.
std::error_code ReserveSpace(std::FILE* file, std::uintmax_t size) noexcept;
// Cuts or extends the open file to `size` bytes.
std::error_code TruncateFile(std::FILE* file, std::uintmax_t size) noexcept;

// Who owns a file, where the system has owners (POSIX); empty elsewhere.
struct FileOwner {
  long long user = -1;
  long long group = -1;
};
FileOwner OwnerOf(const std::filesystem::path& path) noexcept;
// Gives the open file to `owner`; best effort, as only root may give a file away.
void GiveTo(std::FILE* file, const FileOwner& owner) noexcept;

// A temporary file is locked by its writer for as long as the writer may still rename it, so
// clean-up knows a live one from one a killed writer left. On Windows the file is opened
// without sharing, which already keeps everyone else out; these then do nothing.
std::error_code LockWhileWriting(std::FILE* file) noexcept;
// True when `path` still names the open `file` (clean-up did not take it away meanwhile).
bool StillNamed(std::FILE* file, const std::filesystem::path& path) noexcept;
// Deletes `path` unless its writer is still at work; true when it was deleted.
bool RemoveIfUnlocked(const std::filesystem::path& path) noexcept;
// POSIX renames an open file, which keeps the lock to the end; Windows must close it first.
#ifdef _WIN32
inline constexpr bool kRenamesOpenFiles = false;
#else
inline constexpr bool kRenamesOpenFiles = true;
#endif

}  // namespace kitrova::core::detail
