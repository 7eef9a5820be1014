#pragma once
// What an installer says about itself, read from its own bytes: an executable's version
// resource, an .msi's Property table and summary information, an archive's entries. Nothing
// is executed and nothing is extracted to disk; every read is bounded and a damaged or
// hostile file is refused with a DescribeError that says why.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kitrova::describe {

class DescribeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class FileKind { Executable, WindowsInstaller, Archive };

struct ArchiveEntry {
  std::string name;  // UTF-8 where the archive says so, bytes as stored otherwise
  std::uint64_t size = 0;
};

// Texts are UTF-8; an empty text means the file does not say.
struct Description {
  FileKind kind = FileKind::Executable;
  std::string productName;
  std::string productVersion;
  std::string fileVersion;
  std::string companyName;
  std::string fileDescription;
  std::string legalCopyright;
  // .msi summary information.
  std::string title;
  std::string subject;
  std::string author;
  std::string comments;
  std::optional<int> year;
  std::string yearSource;  // where the year comes from, for a person to check
  // Archives: the entries (the first kMaxListedEntries), how many there are in all, and the
  // entry that looks like the installer inside.
  std::vector<ArchiveEntry> entries;
  std::uint64_t entryCount = 0;
  std::string installer;
};

inline constexpr std::size_t kMaxListedEntries = 1000;

std::string_view KindName(FileKind kind);

// Reads the file at `path`; throws DescribeError (or std::bad_alloc) and nothing else.
Description DescribeFile(const std::filesystem::path& path);

// The same from bytes in memory (an installer inside an archive, the fuzz targets).
Description DescribeBytes(std::string_view bytes);

// The latest year in a copyright text that can be a release year ("1999-2023" gives 2023).
std::optional<int> CopyrightYear(std::string_view text);

}  // namespace kitrova::describe
