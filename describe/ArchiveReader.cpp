#include "describe/ArchiveReader.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <memory>

namespace kitrova::describe {

namespace {

constexpr std::uint64_t kMaxEntries = 1000000;
// The installer inside is read into memory only up to this size.
constexpr std::uint64_t kMaxInnerInstaller = 64ULL << 20;

struct ArchiveFree {
  void operator()(archive* a) const { archive_read_free(a); }
};
using Archive = std::unique_ptr<archive, ArchiveFree>;

using Opener = std::function<int(archive*)>;

Archive Open(const Opener& open) {
  Archive a(archive_read_new());
  if (!a) throw std::bad_alloc();
  archive_read_support_format_zip(a.get());
  archive_read_support_format_rar(a.get());
  archive_read_support_format_rar5(a.get());
  if (open(a.get()) != ARCHIVE_OK) {
    const char* why = archive_error_string(a.get());
    throw DescribeError(std::string("not a readable .zip or .rar archive") +
                        (why ? std::string(": ") + why : ""));
  }
  return a;
}

[[noreturn]] void Refuse(archive* a) {
  const char* why = archive_error_string(a);
  throw DescribeError(std::string("damaged archive: ") + (why ? why : "unreadable entry"));
}

std::string EntryName(archive_entry* entry) {
  if (const char* utf8 = archive_entry_pathname_utf8(entry)) return utf8;
  if (const char* raw = archive_entry_pathname(entry)) return raw;
  return {};
}

int LocalYear(std::time_t t) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  return local.tm_year + 1900;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Reads the installer entry into memory and describes it when it is an executable or an .msi.
void DescribeInside(const Opener& open, Description& d) {
  if (d.installer.empty()) return;
  Archive a = Open(open);
  archive_entry* entry = nullptr;
  while (archive_read_next_header(a.get(), &entry) == ARCHIVE_OK) {
    if (EntryName(entry) != d.installer) continue;
    if (!archive_entry_size_is_set(entry) || archive_entry_size(entry) < 0 ||
        static_cast<std::uint64_t>(archive_entry_size(entry)) > kMaxInnerInstaller) {
      return;
    }
    std::string bytes(static_cast<std::size_t>(archive_entry_size(entry)), '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      const la_ssize_t got =
          archive_read_data(a.get(), bytes.data() + filled, bytes.size() - filled);
      if (got < 0) Refuse(a.get());
      if (got == 0) break;
      filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    // Only an executable or an .msi: an archive inside is listed, never opened in turn.
    if (!bytes.starts_with("MZ") && !bytes.starts_with("\xD0\xCF\x11\xE0")) return;
    Description inner;
    try {
      inner = DescribeBytes(bytes);
    } catch (const DescribeError&) {
      return;  // the archive itself is sound; only the program inside says nothing
    }
    d.productName = inner.productName;
    d.productVersion = inner.productVersion;
    d.fileVersion = inner.fileVersion;
    d.companyName = inner.companyName;
    d.fileDescription = inner.fileDescription;
    d.legalCopyright = inner.legalCopyright;
    d.title = inner.title;
    d.subject = inner.subject;
    d.author = inner.author;
    d.comments = inner.comments;
    if (inner.year) {
      d.year = inner.year;
      d.yearSource = "the installer inside: " + inner.yearSource;
    }
    return;
  }
}

Description Read(const Opener& open) {
  Description d;
  d.kind = FileKind::Archive;
  Archive a = Open(open);
  archive_entry* entry = nullptr;
  std::optional<std::time_t> newest;
  for (;;) {
    const int r = archive_read_next_header(a.get(), &entry);
    if (r == ARCHIVE_EOF) break;
    if (r < ARCHIVE_WARN) Refuse(a.get());
    if (++d.entryCount > kMaxEntries) throw DescribeError("the archive has too many entries");
    if (archive_entry_filetype(entry) == AE_IFREG) {
      if (d.entries.size() < kMaxListedEntries) {
        const la_int64_t size = archive_entry_size(entry);
        d.entries.push_back({EntryName(entry), size > 0 ? static_cast<std::uint64_t>(size) : 0});
      }
      if (archive_entry_mtime_is_set(entry)) {
        newest = std::max(newest.value_or(archive_entry_mtime(entry)), archive_entry_mtime(entry));
      }
    }
    if (archive_read_data_skip(a.get()) < ARCHIVE_WARN) Refuse(a.get());
  }
  if (newest) {
    d.year = LocalYear(*newest);
    d.yearSource = "the newest entry's date";
  }
  d.installer = ChooseInstaller(d.entries);
  DescribeInside(open, d);
  return d;
}

}  // namespace

std::string ChooseInstaller(const std::vector<ArchiveEntry>& entries) {
  const ArchiveEntry* best = nullptr;
  std::pair<std::ptrdiff_t, int> bestRank{};
  for (const ArchiveEntry& entry : entries) {
    const std::string name = Lower(entry.name);
    if (!name.ends_with(".exe") && !name.ends_with(".msi")) continue;
    const std::string base = name.substr(name.find_last_of('/') + 1);
    const bool setup = base.starts_with("setup") || base.starts_with("install");
    const std::pair<std::ptrdiff_t, int> rank{std::count(name.begin(), name.end(), '/'),
                                              setup ? 0 : 1};
    if (!best || rank < bestRank) {
      best = &entry;
      bestRank = rank;
    }
  }
  return best ? best->name : std::string();
}

Description ReadArchive(const std::filesystem::path& path) {
  const std::string name = path.string();
  return Read([name](archive* a) { return archive_read_open_filename(a, name.c_str(), 65536); });
}

Description ReadArchive(std::string_view bytes) {
  return Read(
      [bytes](archive* a) { return archive_read_open_memory(a, bytes.data(), bytes.size()); });
}

}  // namespace kitrova::describe
