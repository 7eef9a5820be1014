#pragma once
// The few file calls the standard library lacks: opening by a wide path on Windows, creating
// a file that must not exist yet, and flushing a file to the disk itself. Everything else in
// the core is standard C++.

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kitrova::core::detail {

// std::fopen by path; on failure returns nullptr with errno set.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// Creates `path` for binary writing, failing when anything already has that name; never
// opens an existing file. On failure returns nullptr and sets `error` (std::errc::file_exists
// when the name is taken).
std::FILE* CreateNewFile(const std::filesystem::path& path, std::error_code& error);

// Flushes the stream's buffer and then the operating system's cache to the disk.
std::error_code FlushToDisk(std::FILE* file);

// Makes a rename in `folder` durable where the platform needs it; best effort.
void SyncFolder(const std::filesystem::path& folder) noexcept;

}  // namespace kitrova::core::detail
