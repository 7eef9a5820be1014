#pragma once
// Replacing a file's whole contents so that a crash never leaves it half written: the bytes
// go to a temporary file beside it, are flushed and renamed over it. Used for catalogs, their
// copies and the settings file.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

namespace kitrova::core {

struct ReplaceOptions {
  // The modification time the new contents bear; none: the time of the write.
  std::optional<std::filesystem::file_time_type> modified;
  // Force the bytes to the disk before the rename. Only a file that need not outlive a
  // crash (the working copy) goes without: a killed process still leaves the old or the
  // new contents, a power cut may leave neither.
  bool flush = true;
};

// Replaces the contents of `target` with `size` bytes at `data`. A symbolic link stays a
// link and the file it points to is written, also when that file is missing. The file keeps
// its permission bits. Where no temporary file can be made beside it (a folder the user may
// not create files in), or the rename is refused, the target is rewritten in place instead.
// A failure throws CatalogError naming `target`; then the file is as it was, except when the
// in-place rewrite itself failed part way. A success removes the target's own leftovers.
void ReplaceFileContents(const std::filesystem::path& target, const void* data, std::size_t size,
                         const ReplaceOptions& options = {});

// Replaces `target` in the same way with a byte copy of `source`, made inside the system
// where it can, else read piece by piece. The target is never touched when the source
// cannot be read (in place: not before all of it has been read). A failure to read the
// source throws CatalogError naming `source`.
void ReplaceFileWithCopy(const std::filesystem::path& target, const std::filesystem::path& source,
                         const ReplaceOptions& options = {});

// Where a write to `path` really lands: symbolic links followed, also when the last one
// points to nothing (opening such a link for writing creates the file it names).
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Temporary files that replacements of `target` left behind when they were killed. The names
// are short whatever the target's name, and tell which target they belong to.
std::vector<std::filesystem::path> LeftoverTemporaries(const std::filesystem::path& target);

}  // namespace kitrova::core
