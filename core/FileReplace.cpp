#include "core/FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

#include "core/CatalogError.h"
#include "core/FileSync.h"

namespace kitrova::core {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::error_code LastError(std::errc fallback = std::errc::io_error) {
  const int err = errno;
  return err != 0 ? std::error_code(err, std::generic_category()) : std::make_error_code(fallback);
}

[[noreturn]] void Fail(std::error_code code, const fs::path& path) {
  throw CatalogError::FromCode(code, path);
}

// Temporary names: ".~" + 16 hex digits naming the target + "." + 8 random hex digits +
// ".tmp", 31 characters whatever the target's length. The target is known by a hash of its
// file name, as the temporary file always lies in the target's own folder.
constexpr std::string_view kTempLead = ".~";
constexpr std::string_view kTempTail = ".tmp";
constexpr std::size_t kHashDigits = 16;
constexpr std::size_t kRandomDigits = 8;
constexpr std::size_t kTempNameLength =
    kTempLead.size() + kHashDigits + 1 + kRandomDigits + kTempTail.size();

void AppendHex(std::string& out, std::uint64_t value, std::size_t digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (std::size_t k = digits; k-- > 0;) out += kDigits[(value >> (4 * k)) & 15];
}

// FNV-1a over the characters of the target's own name.
std::string TempPrefixFor(const fs::path& target) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const auto c : target.filename().native()) {
    const auto unit = static_cast<std::uint32_t>(c);
    for (int shift = 0; shift < 32; shift += 8) {
      hash ^= (unit >> shift) & 0xFF;
      hash *= 1099511628211ull;
    }
  }
  std::string prefix(kTempLead);
  AppendHex(prefix, hash, kHashDigits);
  prefix += '.';
  return prefix;
}

// Compared in the system's own characters, so no name is ever converted (and none can fail).
bool IsTempNameOf(const fs::path::string_type& name, const std::string& prefix) {
  if (name.size() != kTempNameLength) return false;
  for (std::size_t k = 0; k < prefix.size(); ++k) {
    if (name[k] != static_cast<fs::path::value_type>(prefix[k])) return false;
  }
  for (std::size_t k = 0; k < kTempTail.size(); ++k) {
    if (name[kTempNameLength - kTempTail.size() + k] !=
        static_cast<fs::path::value_type>(kTempTail[k])) {
      return false;
    }
  }
  const auto random = name.begin() + static_cast<std::ptrdiff_t>(prefix.size());
  return std::all_of(random, random + kRandomDigits, [](fs::path::value_type c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
  });
}

// Follows symbolic links to the path a write really lands on, also when the last one points
// to nothing: opening such a link for writing creates the file it names.
fs::path WhereItPoints(const fs::path& target) {
  fs::path path = target;
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
    const fs::path link = fs::read_symlink(path, ec);
    if (ec) return path;
    path = link.is_absolute() ? link : path.parent_path() / link;
  }
  return path;
}

// Refuses, before anything changes, a target that cannot be written as a file. Returns the
// permission bits of an existing target.
std::optional<fs::perms> CheckWritableTarget(const fs::path& target) {
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (status.type() == fs::file_type::not_found) return std::nullopt;
  if (ec) Fail(ec, target);
  if (status.type() == fs::file_type::directory) {
    Fail(std::make_error_code(std::errc::is_a_directory), target);
  }
  // Opening for writing without truncating proves a read-only or locked file early.
  errno = 0;
  if (!FileHandle(detail::OpenFile(target, "r+b"))) {
    Fail(LastError(std::errc::permission_denied), target);
  }
  return status.permissions();
}

// A new file beside `real` under a name nothing else uses, or nullptr when the folder will
// not take one.
FileHandle CreateTemporaryBeside(const fs::path& real, fs::path& temporary) {
  std::mt19937_64 generator(
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  const std::string prefix = TempPrefixFor(real);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    AppendHex(name, generator(), kRandomDigits);
    name += kTempTail;
    temporary = real.parent_path() / name;
    std::error_code ec;
    FileHandle file(detail::CreateNewFile(temporary, ec));
    if (file) return file;
    if (ec != std::errc::file_exists) break;
  }
  temporary.clear();
  return nullptr;
}

// The plain way: truncate, write everything, flush, close. Not crash-safe, but it works
// wherever the file itself may be written.
void RewriteInPlace(const fs::path& real, const fs::path& target, const void* data,
                    std::size_t size, const ReplaceOptions& options) {
  errno = 0;
  FileHandle file(detail::OpenFile(real, "wb"));
  if (!file) Fail(LastError(std::errc::permission_denied), target);
  errno = 0;
  if (size > 0 && std::fwrite(data, 1, size, file.get()) != size) Fail(LastError(), target);
  if (options.flush) {
    if (const std::error_code code = detail::FlushToDisk(file.get())) Fail(code, target);
  }
  errno = 0;
  if (std::fclose(file.release()) != 0) Fail(LastError(), target);
  if (options.modified) {
    // Only a file's owner may set its time on POSIX systems; the bytes, written by a user
    // who may write the file, are what counts.
    std::error_code ec;
    fs::last_write_time(real, *options.modified, ec);
    if (ec && ec != std::errc::operation_not_permitted) Fail(ec, target);
  }
}

// Writes the temporary file completely and renames it over `real`. Returns false, with the
// temporary file gone and `real` untouched, when only the rename was refused.
bool WriteAndRename(FileHandle file, const fs::path& temporary, const fs::path& real,
                    const fs::path& target, const void* data, std::size_t size,
                    const ReplaceOptions& options, std::optional<fs::perms> permissions) {
  auto discard = [&](std::error_code code) {
    file.reset();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    Fail(code, target);
  };
  errno = 0;
  if (size > 0 && std::fwrite(data, 1, size, file.get()) != size) discard(LastError());
  if (options.flush) {
    if (const std::error_code code = detail::FlushToDisk(file.get())) discard(code);
  }
  errno = 0;
  if (std::fclose(file.release()) != 0) discard(LastError());

  std::error_code ec;
  if (permissions) fs::permissions(temporary, *permissions, ec);  // best effort
  if (options.modified) {
    fs::last_write_time(temporary, *options.modified, ec);
    if (ec) discard(ec);
  }
  fs::rename(temporary, real, ec);
  if (ec) {
    fs::remove(temporary, ec);
    return false;
  }
  if (options.flush) detail::SyncFolder(real.parent_path());
  return true;
}

void RemoveLeftovers(const fs::path& target) noexcept {
  try {
    for (const fs::path& leftover : LeftoverTemporaries(target)) {
      std::error_code ignored;
      fs::remove(leftover, ignored);
    }
  } catch (...) {
    // Tidying up is a courtesy; the replacement itself has succeeded.
  }
}

}  // namespace

void ReplaceFileContents(const fs::path& target, const void* data, std::size_t size,
                         const ReplaceOptions& options) {
  const std::optional<fs::perms> permissions = CheckWritableTarget(target);
  const fs::path real = WhereItPoints(target);
  fs::path temporary;
  FileHandle file = CreateTemporaryBeside(real, temporary);
  if (!file ||
      !WriteAndRename(std::move(file), temporary, real, target, data, size, options, permissions)) {
    RewriteInPlace(real, target, data, size, options);
  }
  RemoveLeftovers(real);
}

std::vector<fs::path> LeftoverTemporaries(const fs::path& target) {
  const fs::path real = WhereItPoints(target);
  const std::string prefix = TempPrefixFor(real);
  const fs::path folder = real.parent_path().empty() ? fs::path(".") : real.parent_path();
  std::vector<fs::path> found;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_symlink(typeError) && it->is_regular_file(typeError) &&
        IsTempNameOf(it->path().filename().native(), prefix)) {
      found.push_back(it->path());
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

}  // namespace kitrova::core
