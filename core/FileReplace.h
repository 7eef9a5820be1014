#pragma once
// Replacing a file's whole contents so that a crash never leaves it half written: the bytes
// go to a temporary file beside it, are flushed and renamed over it. Used for catalogs, their
// copies and the settings file.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace kitrova::core {

// The points of a replacement where the system may refuse. Tests make each one fail through
// ReplaceOptions::injectFailure.
enum class ReplaceStep {
  CreateTemporary,  // the temporary file beside the target
  WriteTemporary,   // its contents
  Rename,           // one attempt to put it over the target
  KeepOldCopy,      // in place only: the copy of the earlier contents
  Reserve,          // in place only: the space for the new contents
  WriteInPlace,     // in place only: half of the new contents are written
};

struct ReplaceOptions {
  // The modification time the new contents bear; none: the time of the write.
  std::optional<std::filesystem::file_time_type> modified;
  // Force the bytes to the disk before the rename. Only a file that need not outlive a
  // crash (the working copy) goes without: a killed process still leaves the old or the
  // new contents, a power cut may leave neither.
  bool flush = true;
  // Never replace an existing file: an existing target fails with std::errc::file_exists.
  bool onlyNew = false;
  // Where a copy of the earlier contents goes when the target has to be rewritten in place;
  // the system's temporary folder is tried after it.
  std::filesystem::path keepOldIn{};
  // Returns the error the system is to report at a step; none: the step runs as usual.
  std::function<std::error_code(ReplaceStep)> injectFailure{};
};

// Replaces the contents of `target` with `size` bytes at `data`. A symbolic link stays a
// link and the file it points to is written, also when that file is missing. The file keeps
// its permission bits, owner and group. A rename refused for a moment (another program
// holds the file open) is tried again for about a second, then the replacement fails.
// Only where no temporary file can be made beside the target at all (a folder the user may
// not create files in) is the target rewritten in place, and then only after the space for
// the new contents was reserved and the earlier contents were copied to `keepOldIn` (or the
// system's temporary folder); that copy is removed again when the rewrite succeeded.
// A failure throws CatalogError naming `target`; the file is then as it was, or, when the
// in-place rewrite itself failed part way, the error's keptCopy() holds the earlier contents
// and its message names it. A success removes the leftovers of killed replacements of
// `target` (never the temporary file of one still at work).
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

// Removes from `folder` the temporary files of every killed replacement, whatever its target
// (backup copies get a new name each time, so no later replacement of theirs comes). A
// temporary file whose writer is still at work stays.
void RemoveDeadTemporaries(const std::filesystem::path& folder) noexcept;

// `folder`/`name` when nothing has that name, else the name with "_2", "_3" ... before its
// extension; throws CatalogError when even 999 are taken.
std::filesystem::path FreeName(const std::filesystem::path& folder,
                               const std::filesystem::path& name);

}  // namespace kitrova::core
