#include "core/FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

#include "core/CatalogError.h"
#include "core/FileSync.h"

namespace kitrova::core {

namespace fs = std::filesystem;

namespace {

using detail::Fail;
using detail::FileHandle;
using detail::LastError;

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
  const fs::path name = target.filename();  // a loop over a temporary's member would dangle
  for (const auto c : name.native()) {
    // Through the unsigned type: a sign-extended char would hash 0xFF bytes that are not there.
    const auto unit =
        static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<fs::path::value_type>>(c));
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

// A full disk: rewriting the target in place would lose it half way.
bool NoSpace(std::error_code ec) {
#ifdef EDQUOT
  if (ec == std::error_code(EDQUOT, std::generic_category())) return true;
#endif
  return ec == std::errc::no_space_on_device;
}

// A new file beside `real` under a name nothing else uses, or nullptr when the folder will
// not take one (and the target itself may still be written). A full disk throws.
FileHandle CreateTemporaryBeside(const fs::path& real, const fs::path& target,
                                 fs::path& temporary) {
  std::mt19937_64 generator(
      std::random_device{}() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  const std::string prefix = TempPrefixFor(real);
  std::error_code ec;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    AppendHex(name, generator(), kRandomDigits);
    name += kTempTail;
    temporary = real.parent_path() / name;
    FileHandle file(detail::CreateNewFile(temporary, ec));
    if (file) return file;
    if (ec != std::errc::file_exists) break;
  }
  temporary.clear();
  if (NoSpace(ec)) Fail(ec, target);
  return nullptr;
}

// Writes the whole contents to `out`; throws CatalogError.
using WriteAll = std::function<void(std::FILE* out)>;

void WriteBytes(std::FILE* out, const void* data, std::size_t size, const fs::path& target) {
  errno = 0;
  if (size > 0 && std::fwrite(data, 1, size, out) != size) Fail(LastError(), target);
}

// The plain way: truncate, write everything, flush, close. Not crash-safe, but it works
// wherever the file itself may be written.
void RewriteInPlace(const fs::path& real, const fs::path& target, const WriteAll& write,
                    const ReplaceOptions& options) {
  errno = 0;
  FileHandle file(detail::OpenFile(real, "wb"));
  if (!file) Fail(LastError(std::errc::permission_denied), target);
  write(file.get());
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
                    const fs::path& target, const WriteAll& write, const ReplaceOptions& options,
                    std::optional<fs::perms> permissions) {
  try {
    write(file.get());
    if (options.flush) {
      if (const std::error_code code = detail::FlushToDisk(file.get())) Fail(code, target);
    }
    errno = 0;
    if (std::fclose(file.release()) != 0) Fail(LastError(), target);
    std::error_code ec;
    if (permissions) fs::permissions(temporary, *permissions, ec);  // best effort
    if (options.modified) {
      fs::last_write_time(temporary, *options.modified, ec);
      if (ec) Fail(ec, target);
    }
  } catch (...) {
    file.reset();
    std::error_code ignored;
    fs::remove(temporary, ignored);
    throw;
  }
  std::error_code ec;
  if (!options.flush && permissions && detail::ExchangeNames(temporary, real)) {
    // Renaming over a file makes some file systems (ext4) write the new one out at once,
    // which is what a file without flush wants to avoid. Swapping the names does not, and
    // the target is never missing; the temporary name now holds the old contents.
    fs::remove(temporary, ec);
    return true;
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

// `write` fills the temporary file; `inPlace` gives what rewrites the target itself, and
// must have everything at hand before it returns, as the target is truncated next.
void Replace(const fs::path& target, const WriteAll& write,
             const std::function<WriteAll()>& inPlace, const ReplaceOptions& options) {
  const std::optional<fs::perms> permissions = CheckWritableTarget(target);
  const fs::path real = FollowLinks(target);
  fs::path temporary;
  FileHandle file = CreateTemporaryBeside(real, target, temporary);
  if (!file ||
      !WriteAndRename(std::move(file), temporary, real, target, write, options, permissions)) {
    RewriteInPlace(real, target, inPlace(), options);
  }
  RemoveLeftovers(real);
}

}  // namespace

fs::path FollowLinks(const fs::path& path) {
  fs::path current = path;
  for (int hop = 0; hop < 40; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec))) return current;
    const fs::path link = fs::read_symlink(current, ec);
    if (ec) return current;
    current = link.is_absolute() ? link : current.parent_path() / link;
  }
  return current;
}

void ReplaceFileContents(const fs::path& target, const void* data, std::size_t size,
                         const ReplaceOptions& options) {
  WriteAll write = [&](std::FILE* out) { WriteBytes(out, data, size, target); };
  Replace(
      target, write, [&] { return write; }, options);
}

void ReplaceFileWithCopy(const fs::path& target, const fs::path& source,
                         const ReplaceOptions& options) {
  errno = 0;
  FileHandle in(detail::OpenFile(source, "rb"));
  if (!in) Fail(LastError(std::errc::permission_denied), source);
  // Hands the source to `take` piece by piece, so a copy never holds it whole in memory.
  const auto readSource = [&](const std::function<void(const char*, std::size_t)>& take) {
    char chunk[1 << 16];
    for (;;) {
      errno = 0;
      const std::size_t got = std::fread(chunk, 1, sizeof chunk, in.get());
      if (got < sizeof chunk && std::ferror(in.get())) Fail(LastError(), source);
      take(chunk, got);
      if (got < sizeof chunk) return;
    }
  };
  const WriteAll stream = [&](std::FILE* out) {
    // Copied inside the system where it can; the plain loop finishes anything left.
    detail::CopyInSystem(in.get(), out);
    readSource([&](const char* data, std::size_t size) { WriteBytes(out, data, size, target); });
  };
  // In place, the target is truncated: the whole source must be read before.
  std::vector<char> whole;
  const auto inPlace = [&]() -> WriteAll {
    std::rewind(in.get());
    readSource(
        [&](const char* data, std::size_t size) { whole.insert(whole.end(), data, data + size); });
    return [&](std::FILE* out) { WriteBytes(out, whole.data(), whole.size(), target); };
  };
  Replace(target, stream, inPlace, options);
}

std::vector<fs::path> LeftoverTemporaries(const fs::path& target) {
  const fs::path real = FollowLinks(target);
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
