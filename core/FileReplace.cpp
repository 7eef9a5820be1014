#include "core/FileReplace.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
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

bool IsHexDigit(fs::path::value_type c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// Any replacement's temporary name, whatever its target. Compared in the system's own
// characters, so no name is ever converted (and none can fail).
bool IsTempName(const fs::path::string_type& name) {
  if (name.size() != kTempNameLength) return false;
  const auto matches = [&](std::size_t at, std::string_view text) {
    for (std::size_t k = 0; k < text.size(); ++k) {
      if (name[at + k] != static_cast<fs::path::value_type>(text[k])) return false;
    }
    return true;
  };
  const std::size_t dot = kTempLead.size() + kHashDigits;
  return matches(0, kTempLead) && matches(dot, ".") &&
         matches(kTempNameLength - kTempTail.size(), kTempTail) &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kTempLead.size()),
                     name.begin() + static_cast<std::ptrdiff_t>(dot), IsHexDigit) &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(dot + 1),
                     name.begin() + static_cast<std::ptrdiff_t>(dot + 1 + kRandomDigits),
                     IsHexDigit);
}

bool IsTempNameOf(const fs::path::string_type& name, const std::string& prefix) {
  if (!IsTempName(name)) return false;
  for (std::size_t k = 0; k < prefix.size(); ++k) {
    if (name[k] != static_cast<fs::path::value_type>(prefix[k])) return false;
  }
  return true;
}

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::error_code Injected(const ReplaceOptions& options, ReplaceStep step) {
  return options.injectFailure ? options.injectFailure(step) : std::error_code{};
}

// What an existing target keeps through its replacement.
struct TargetFacts {
  bool exists = false;
  std::optional<fs::perms> permissions;
  detail::FileOwner owner;
};

// Refuses, before anything changes, a target that cannot be written as a file.
TargetFacts CheckWritableTarget(const fs::path& target, bool onlyNew) {
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (status.type() == fs::file_type::not_found) return {};
  if (ec) Fail(ec, target);
  if (onlyNew) Fail(std::make_error_code(std::errc::file_exists), target);
  if (status.type() == fs::file_type::directory) {
    Fail(std::make_error_code(std::errc::is_a_directory), target);
  }
  // Opening for writing without truncating proves a read-only or locked file early.
  errno = 0;
  if (!FileHandle(detail::OpenFile(target, "r+b"))) {
    Fail(LastError(std::errc::permission_denied), target);
  }
  return {true, status.permissions(), detail::OwnerOf(target)};
}

// A full disk: rewriting the target in place would lose it half way.
bool NoSpace(std::error_code ec) {
#ifdef EDQUOT
  if (ec == std::error_code(EDQUOT, std::generic_category())) return true;
#endif
  return ec == std::errc::no_space_on_device;
}

// A new file beside `real` under a name nothing else uses, locked against clean-up, or
// nullptr when the folder will not take one (and the target itself may still be written).
// A full disk throws.
FileHandle CreateTemporaryBeside(const fs::path& real, const fs::path& target, fs::path& temporary,
                                 const ReplaceOptions& options) {
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
    ec = Injected(options, ReplaceStep::CreateTemporary);
    FileHandle file(ec ? nullptr : detail::CreateNewFile(temporary, ec));
    if (file) {
      // Another writer's clean-up may have taken the file before the lock: then a new one.
      // Without a lock (a file system that has none) the rename would notice instead.
      (void)detail::LockWhileWriting(file.get());
      if (detail::StillNamed(file.get(), temporary)) return file;
      continue;
    }
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

// Copies the rest of `in` to `out`, inside the system where it can.
void CopyStream(std::FILE* in, std::FILE* out, const fs::path& source, const fs::path& target) {
  detail::CopyInSystem(in, out);
  char chunk[1 << 16];
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, in);
    if (got < sizeof chunk && std::ferror(in)) Fail(LastError(), source);
    WriteBytes(out, chunk, got, target);
    if (got < sizeof chunk) return;
  }
}

void FlushAndClose(FileHandle file, const fs::path& target, bool toDisk) {
  errno = 0;
  if (std::fflush(file.get()) != 0) Fail(LastError(), target);
  if (toDisk) {
    if (const std::error_code code = detail::FlushToDisk(file.get())) Fail(code, target);
  }
  errno = 0;
  if (std::fclose(file.release()) != 0) Fail(LastError(), target);
}

// "base.krv" -> "base-before-save.krv": the earlier contents of a target rewritten in place.
fs::path OldCopyName(const fs::path& real) {
  fs::path name = real.filename().stem();
  name += "-before-save";
  name += real.filename().extension();
  return name;
}

// Copies the earlier contents of `real` into a new file in the first folder that takes it
// and returns its path; throws when none does.
fs::path KeepOldCopy(const fs::path& real, const fs::path& target, const ReplaceOptions& options) {
  std::vector<fs::path> folders;
  if (!options.keepOldIn.empty()) folders.push_back(options.keepOldIn);
  std::error_code ec;
  if (fs::path system = fs::temp_directory_path(ec); !ec) folders.push_back(system);
  std::error_code failure = std::make_error_code(std::errc::permission_denied);
  for (const fs::path& folder : folders) {
    fs::create_directory(folder, ec);  // the program's Backup/ may not be there yet
    fs::path copy;
    try {
      if (const std::error_code injected = Injected(options, ReplaceStep::KeepOldCopy)) {
        Fail(injected, folder);
      }
      copy = FreeName(folder, OldCopyName(real));
      std::error_code createError;
      FileHandle out(detail::CreateNewFile(copy, createError));
      if (!out) {
        copy.clear();
        Fail(createError, folder);
      }
      errno = 0;
      FileHandle in(detail::OpenFile(real, "rb"));
      if (!in) Fail(LastError(std::errc::permission_denied), target);
      CopyStream(in.get(), out.get(), target, copy);
      FlushAndClose(std::move(out), copy, true);
      return copy;
    } catch (const CatalogError& error) {
      failure = error.code();
      if (!copy.empty()) fs::remove(copy, ec);
    }
  }
  Fail(failure, target);
}

// Rewrites the target itself, for a folder that takes no new file. Not crash-safe, so only
// after a copy of the earlier contents was kept and the space for the new ones reserved.
void RewriteInPlace(const fs::path& real, const fs::path& target, const TargetFacts& facts,
                    std::span<const char> bytes, const ReplaceOptions& options) {
  FileHandle file;
  errno = 0;
  if (options.onlyNew) {
    std::error_code ec;
    file.reset(detail::CreateNewFile(real, ec));
    if (!file) Fail(ec, target);
  } else {
    file.reset(detail::OpenFile(real, facts.exists ? "r+b" : "wb"));
    if (!file) Fail(LastError(std::errc::permission_denied), target);
  }
  std::error_code ec;
  const std::uintmax_t oldSize = facts.exists ? fs::file_size(real, ec) : 0;
  if (ec) Fail(ec, target);
  const fs::path kept = oldSize > 0 ? KeepOldCopy(real, target, options) : fs::path();
  const auto dropKept = [&] {
    std::error_code ignored;
    if (!kept.empty()) fs::remove(kept, ignored);
  };
  std::error_code reserved = Injected(options, ReplaceStep::Reserve);
  if (!reserved)
    reserved = detail::ReserveSpace(file.get(), std::max<std::uintmax_t>(bytes.size(), oldSize));
  if (reserved) {
    dropKept();
    Fail(reserved, target);
  }
  try {
    const std::size_t half = bytes.size() / 2;
    WriteBytes(file.get(), bytes.data(), half, target);
    if (const std::error_code injected = Injected(options, ReplaceStep::WriteInPlace)) {
      Fail(injected, target);
    }
    WriteBytes(file.get(), bytes.data() + half, bytes.size() - half, target);
    if (const std::error_code code = detail::TruncateFile(file.get(), bytes.size())) {
      Fail(code, target);
    }
    FlushAndClose(std::move(file), target, options.flush);
  } catch (const CatalogError& error) {
    if (kept.empty()) throw;
    throw CatalogError(
        std::string(error.what()) + "\nПрежнее содержимое файла сохранено: " + Utf8(kept),
        error.path(), error.code(), kept);
  }
  dropKept();
  if (options.modified) {
    // Only a file's owner may set its time on POSIX systems; the bytes, written by a user
    // who may write the file, are what counts.
    fs::last_write_time(real, *options.modified, ec);
    if (ec && ec != std::errc::operation_not_permitted) Fail(ec, target);
  }
}

constexpr int kRenameAttempts = 20;
constexpr auto kRenamePause = std::chrono::milliseconds(50);

enum class Outcome { Replaced, TemporaryVanished };

// Writes the temporary file completely and renames it over `real`; a refused rename is
// tried again for about a second, then fails with `real` untouched and the temporary gone.
Outcome WriteAndRename(FileHandle file, const fs::path& temporary, const fs::path& real,
                       const fs::path& target, const WriteAll& write, const ReplaceOptions& options,
                       const TargetFacts& facts) {
  const auto discard = [&] {
    file.reset();
    std::error_code ignored;
    fs::remove(temporary, ignored);
  };
  try {
    if (const std::error_code injected = Injected(options, ReplaceStep::WriteTemporary)) {
      Fail(injected, target);
    }
    write(file.get());
    errno = 0;
    if (std::fflush(file.get()) != 0) Fail(LastError(), target);
    if (options.flush) {
      if (const std::error_code code = detail::FlushToDisk(file.get())) Fail(code, target);
    }
    detail::GiveTo(file.get(), facts.owner);  // before the bits: a new owner clears set-id bits
    std::error_code ec;
    if (facts.permissions) fs::permissions(temporary, *facts.permissions, ec);  // best effort
    if constexpr (!detail::kRenamesOpenFiles) FlushAndClose(std::move(file), target, false);
    if (options.modified) {
      fs::last_write_time(temporary, *options.modified, ec);
      if (ec) Fail(ec, target);
    }
  } catch (...) {
    discard();
    throw;
  }
  std::error_code ec;
  if (!options.flush && facts.permissions && detail::ExchangeNames(temporary, real)) {
    // Renaming over a file makes some file systems (ext4) write the new one out at once,
    // which is what a file without flush wants to avoid. Swapping the names does not, and
    // the target is never missing; the temporary name now holds the old contents.
    discard();
    return Outcome::Replaced;
  }
  for (int attempt = 1;; ++attempt) {
    ec = Injected(options, ReplaceStep::Rename);
    if (!ec) {
      if (options.onlyNew) {
        ec = detail::RenameNoReplace(temporary, real);
      } else {
        fs::rename(temporary, real, ec);
      }
    }
    if (!ec) break;
    std::error_code ignored;
    if (ec == std::errc::no_such_file_or_directory &&
        !fs::exists(fs::symlink_status(temporary, ignored))) {
      file.reset();
      return Outcome::TemporaryVanished;
    }
    if (ec == std::errc::file_exists || attempt >= kRenameAttempts) {
      discard();
      Fail(ec, target);
    }
    // Another program holding the target open (a scanner, a reader) lets go soon.
    std::this_thread::sleep_for(kRenamePause);
  }
  file.reset();
  if (options.flush) detail::SyncFolder(real.parent_path());
  return Outcome::Replaced;
}

void RemoveLeftovers(const fs::path& target) noexcept {
  try {
    for (const fs::path& leftover : LeftoverTemporaries(target)) detail::RemoveIfUnlocked(leftover);
  } catch (...) {
    // Tidying up is a courtesy; the replacement itself has succeeded.
  }
}

// `write` fills the temporary file; `inPlace` gives all of the new contents for a rewrite
// of the target itself.
void Replace(const fs::path& target, const WriteAll& write,
             const std::function<std::span<const char>()>& inPlace, const ReplaceOptions& options) {
  const TargetFacts facts = CheckWritableTarget(target, options.onlyNew);
  const fs::path real = FollowLinks(target);
  for (int round = 0; round < 3; ++round) {
    fs::path temporary;
    FileHandle file = CreateTemporaryBeside(real, target, temporary, options);
    if (!file) {
      RewriteInPlace(real, target, facts, inPlace(), options);
      RemoveLeftovers(real);
      return;
    }
    if (WriteAndRename(std::move(file), temporary, real, target, write, options, facts) ==
        Outcome::Replaced) {
      RemoveLeftovers(real);
      return;
    }
  }
  Fail(std::make_error_code(std::errc::no_such_file_or_directory), target);
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
  const std::span<const char> bytes(static_cast<const char*>(data), size);
  Replace(
      target, [&](std::FILE* out) { WriteBytes(out, bytes.data(), bytes.size(), target); },
      [&] { return bytes; }, options);
}

void ReplaceFileWithCopy(const fs::path& target, const fs::path& source,
                         const ReplaceOptions& options) {
  errno = 0;
  FileHandle in(detail::OpenFile(source, "rb"));
  if (!in) Fail(LastError(std::errc::permission_denied), source);
  const WriteAll stream = [&](std::FILE* out) {
    std::rewind(in.get());  // a second round starts over
    CopyStream(in.get(), out, source, target);
  };
  // In place, the target is changed: the whole source must have been read before.
  std::vector<char> whole;
  const auto inPlace = [&]() -> std::span<const char> {
    std::rewind(in.get());
    char chunk[1 << 16];
    for (;;) {
      errno = 0;
      const std::size_t got = std::fread(chunk, 1, sizeof chunk, in.get());
      if (got < sizeof chunk && std::ferror(in.get())) Fail(LastError(), source);
      whole.insert(whole.end(), chunk, chunk + got);
      if (got < sizeof chunk) return whole;
    }
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

void RemoveDeadTemporaries(const fs::path& folder) noexcept {
  try {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (IsTempName(it->path().filename().native())) detail::RemoveIfUnlocked(it->path());
    }
  } catch (...) {
    // As after a replacement: tidying up never fails what it follows.
  }
}

fs::path FreeName(const fs::path& folder, const fs::path& name) {
  std::error_code ec;
  for (int n = 1; n < 1000; ++n) {
    fs::path numbered = name.stem();
    numbered += "_" + std::to_string(n);
    numbered += name.extension();
    fs::path candidate = folder / (n == 1 ? name : numbered);
    if (!fs::exists(fs::symlink_status(candidate, ec))) return candidate;
  }
  Fail(std::make_error_code(std::errc::file_exists), folder);
}

}  // namespace kitrova::core
