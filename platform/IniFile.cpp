#include "platform/IniFile.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

#include "core/CatalogError.h"
#include "core/FileReplace.h"

namespace kitrova::platform {

namespace fs = std::filesystem;

namespace {

// One line of the file with its own terminator ("\n", "\r\n" or none at the very end),
// so that lines we do not touch are written back byte for byte.
struct Line {
  std::string text;
  std::string eol;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

// A line ends at CR LF, at LF or at a lone CR, as the platform's own service reads it.
std::vector<Line> SplitLines(std::string_view content) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back({std::string(content.substr(start)), ""});
      break;
    }
    const bool crlf = content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n';
    const std::size_t next = end + (crlf ? 2 : 1);
    lines.push_back({std::string(content.substr(start, end - start)),
                     std::string(content.substr(end, next - end))});
    start = next;
  }
  return lines;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// A value in a matching pair of quotes reads without them, as the platform's service
// documents it.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

enum class Kind { Other, Section, Key };

struct Parsed {
  Kind kind = Kind::Other;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // key lines only, trimmed
  std::size_t equals = 0;  // position of '=' in a key line
};

// Comments start with ';' or '#'. A line without '=' that is not a section is kept and
// otherwise ignored.
Parsed ParseLine(std::string_view text) {
  Parsed p;
  const std::string_view t = Trim(text);
  if (t.empty() || t.front() == ';' || t.front() == '#') return p;
  if (t.front() == '[') {
    const std::size_t close = t.find(']');
    if (close != std::string_view::npos) {
      p.kind = Kind::Section;
      p.name = Trim(t.substr(1, close - 1));
    }
    return p;
  }
  const std::size_t eq = text.find('=');
  if (eq == std::string_view::npos) return p;
  p.kind = Kind::Key;
  p.name = Trim(text.substr(0, eq));
  p.value = Trim(text.substr(eq + 1));
  p.equals = eq;
  return p;
}

// The whole file, or nullopt when it cannot be read.
std::optional<std::string> ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return content;
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\r\n") != std::string_view::npos;
}

void CheckName(std::string_view what, std::string_view name, std::string_view forbidden) {
  if (Trim(name).size() != name.size() || name.empty() || HasLineBreak(name) ||
      name.find_first_of(forbidden) != std::string_view::npos) {
    throw IniWriteError("invalid " + std::string(what) + " name \"" + std::string(name) + "\"");
  }
}

// For messages only; u8string never throws for a name the system's code page lacks.
std::string Describe(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// The core's crash-safe replacement: flushed, permission bits and links kept, rewritten in
// place where the folder takes no new file.
void ReplaceFile(const fs::path& file, const std::string& content) {
  try {
    core::ReplaceFileContents(file, content.data(), content.size());
  } catch (const core::CatalogError& error) {
    throw IniWriteError(error.what());
  }
}

}  // namespace

std::string ReadIniValue(const fs::path& file, std::string_view section, std::string_view key) {
  try {
    const std::optional<std::string> content = ReadAll(file);
    if (!content) return {};
    std::string_view text = *content;
    if (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());
    bool inSection = false;
    for (const Line& line : SplitLines(text)) {
      const Parsed p = ParseLine(line.text);
      if (p.kind == Kind::Section) {
        inSection = SameName(p.name, section);
      } else if (p.kind == Kind::Key && inSection && SameName(p.name, key)) {
        return std::string(Unquote(p.value).substr(0, kIniValueLimit));
      }
    }
  } catch (...) {
    // Reading never fails; whatever went wrong reads as a missing value.
  }
  return {};
}

void WriteIniValue(const fs::path& file, std::string_view section, std::string_view key,
                   std::string_view value) {
  CheckName("section", section, "]");
  CheckName("key", key, "=;#[");
  // A line break would smuggle extra lines into the file.
  if (HasLineBreak(value)) throw IniWriteError("a value cannot hold a line break");

  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  std::string content;
  if (fs::exists(status)) {
    // Never replace a file we could not read: that would throw its other lines away.
    if (!fs::is_regular_file(status)) throw IniWriteError(Describe(file) + " is not a file");
    std::optional<std::string> existing = ReadAll(file);
    if (!existing) throw IniWriteError("cannot read " + Describe(file));
    // The rename below would replace even a read-only file; the system's refusal to open
    // it for writing is the answer the caller must see.
    if (!std::ofstream(file, std::ios::binary | std::ios::in | std::ios::out)) {
      throw IniWriteError("cannot write " + Describe(file));
    }
    content = std::move(*existing);
  }

  // A byte-order mark stays where it is and hides nothing.
  const bool marked = std::string_view(content).starts_with(kUtf8Mark);
  std::vector<Line> lines =
      SplitLines(std::string_view(content).substr(marked ? kUtf8Mark.size() : 0));
  std::string eol = "\r\n";
  for (const Line& line : lines) {
    if (!line.eol.empty()) {
      eol = line.eol;
      break;
    }
  }
  const std::string keyLine = std::string(key) + "=" + std::string(value);

  // The key is looked up as ReadIniValue finds it (its first line in any section of that
  // name); a new key goes at the end of the first such section.
  std::optional<std::size_t> keyAt;
  std::optional<std::size_t> insertAfter;  // last header or key line of the first section
  bool inSection = false;
  bool inFirstSection = false;
  for (std::size_t i = 0; i < lines.size() && !keyAt; ++i) {
    const Parsed p = ParseLine(lines[i].text);
    if (p.kind == Kind::Section) {
      inSection = SameName(p.name, section);
      inFirstSection = inSection && !insertAfter;
      if (inFirstSection) insertAfter = i;
    } else if (p.kind == Kind::Key && inSection) {
      if (SameName(p.name, key)) {
        keyAt = i;
      } else if (inFirstSection) {
        insertAfter = i;
      }
    }
  }

  if (keyAt) {
    Line& line = lines[*keyAt];
    // Keep the key as it is spelled in the file; only the value changes.
    line.text = line.text.substr(0, ParseLine(line.text).equals) + "=" + std::string(value);
  } else if (insertAfter) {
    if (lines[*insertAfter].eol.empty()) lines[*insertAfter].eol = eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*insertAfter + 1), {keyLine, eol});
  } else {
    if (!lines.empty() && lines.back().eol.empty()) lines.back().eol = eol;
    lines.push_back({"[" + std::string(section) + "]", eol});
    lines.push_back({keyLine, eol});
  }

  std::string out(marked ? kUtf8Mark : std::string_view());
  out.reserve(content.size() + keyLine.size() + section.size() + 8);
  for (const Line& line : lines) {
    out += line.text;
    out += line.eol;
  }
  ReplaceFile(file, out);
}

}  // namespace kitrova::platform
