#pragma once
// A small INI-file service of our own (standard library only). Every call opens the file,
// does one operation and lets it go; nothing is cached.
//
// Rules:
// - A missing file, section or key reads as the empty string; reading never fails.
// - Section and key names match without regard to ASCII letter case.
// - Lines are "[section]" or "key=value". Blanks around names and values are ignored when
//   reading; values are written without surrounding blanks. Lines starting with ';' or '#'
//   are comments. A line ends at LF, CR LF or a lone CR; a write keeps the line ending the
//   file uses (CRLF for a new file, as the platform's own service writes it). A UTF-8
//   byte-order mark at the start is skipped when reading and kept when writing.
// - A value in a matching pair of double or single quotes reads without them, as the
//   platform's service documents it. A value reads back as at most 2047 bytes.
// - A write creates the file and the section when missing, replaces only that key's value
//   and leaves every other line as it was. The file is replaced through the core's
//   crash-safe replacement (flushed, links and permission bits kept, rewritten in place
//   where its folder takes no new file), so a failed write never leaves it half written.

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kitrova::platform {

inline constexpr std::size_t kIniValueLimit = 2047;

class IniWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string ReadIniValue(const std::filesystem::path& file, std::string_view section,
                         std::string_view key);

// Throws IniWriteError when the system refuses the write.
void WriteIniValue(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, std::string_view value);

}  // namespace kitrova::platform
