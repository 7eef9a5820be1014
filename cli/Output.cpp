#include "cli/Output.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string_view>
#include <system_error>

#include "cli/Csv.h"
#include "cli/Session.h"
#include "core/CatalogError.h"
#include "core/FileReplace.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {

namespace fs = std::filesystem;
using core::RecordField;

const std::map<std::string, RecordField>& SortFields() {
  static const std::map<std::string, RecordField> fields = {{"name", RecordField::Name},
                                                            {"type", RecordField::Type},
                                                            {"license", RecordField::License},
                                                            {"year", RecordField::Year},
                                                            {"comment", RecordField::Comment}};
  return fields;
}

std::string AsciiLower(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return text;
}

std::string Utf8Field(const core::DistroRecord& record, int field) {
  return platform::Cp1251ToUtf8(core::FieldOf(record, static_cast<RecordField>(field)).view());
}

namespace {

std::string SystemReason(int code) {
  return code != 0 ? std::generic_category().message(code) : "the system gave no reason";
}

std::string ReadAll(std::istream& in, std::size_t limit, const std::string& shown,
                    const std::string& what) {
  std::string text;
  std::vector<char> chunk(64 * 1024);
  for (;;) {
    errno = 0;
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > limit - text.size()) {
      throw CliError(shown + " holds more than " + std::to_string(limit) + " bytes, more than " +
                     what + " can; nothing read");
    }
    text.append(chunk.data(), got);
    if (in.bad()) throw CliError("cannot read " + shown + ": " + SystemReason(errno));
    if (!in) return text;
  }
}

// UTF-8 of every Windows-1251 byte, looked up instead of converted one field at a time.
struct Utf8Codes {
  std::array<std::array<char, 4>, 256> bytes{};  // padded: four bytes are copied at once
  std::array<std::uint8_t, 256> lengths{};
};

const Utf8Codes& Utf8OfCp1251() {
  static const Utf8Codes codes = [] {
    Utf8Codes table;
    for (int b = 0; b < 256; ++b) {
      const std::string utf8 =
          platform::Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(&b), 1));
      std::copy(utf8.begin(), utf8.end(), table.bytes[static_cast<std::size_t>(b)].begin());
      table.lengths[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(utf8.size());
    }
    return table;
  }();
  return codes;
}

void AppendUtf8(std::string& out, std::string_view cp1251) {
  const Utf8Codes& codes = Utf8OfCp1251();
  for (char c : cp1251) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      out.push_back(c);
    } else {
      out.append(codes.bytes[b].data(), codes.lengths[b]);
    }
  }
}

// A Windows-1251 text as the inside of a JSON string, escaped as nlohmann's dump() escapes
// (control characters as \u00xx in lower case, DEL and letters as they are).
void AppendJsonText(std::string& out, std::string_view cp1251) {
  const Utf8Codes& codes = Utf8OfCp1251();
  constexpr char kHex[] = "0123456789abcdef";
  for (char c : cp1251) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80) {
      out.append(codes.bytes[b].data(), codes.lengths[b]);
      continue;
    }
    switch (c) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\b':
        out.append("\\b");
        break;
      case '\f':
        out.append("\\f");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\t':
        out.append("\\t");
        break;
      default:
        if (b < 0x20) {
          const char escape[] = {'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 0xF]};
          out.append(escape, sizeof escape);
        } else {
          out.push_back(c);
        }
    }
  }
}

// A field's text by its number, inlined where a row's six fields are written.
constexpr std::array<core::DistroField core::DistroRecord::*, core::kFieldCount> kFieldMembers = {
    &core::DistroRecord::Name, &core::DistroRecord::Type,    &core::DistroRecord::License,
    &core::DistroRecord::Year, &core::DistroRecord::Comment, &core::DistroRecord::Path};

std::string_view TextOf(const core::DistroRecord& record, int field) {
  return (record.*kFieldMembers[static_cast<std::size_t>(field)]).view();
}

void AppendNumber(std::string& out, std::int32_t value) {
  char digits[16];
  const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
  out.append(digits, end);
}

// One field as AppendCsvRow writes it. The characters that call for quotes are ASCII, and
// no Windows-1251 letter turns into one in UTF-8, so the raw bytes decide.
void AppendCsvField(std::string& out, std::string_view raw, char delimiter, bool utf8) {
  bool quoted = false;
  for (char c : raw) {
    if (c == delimiter || c == '"' || c == '\r' || c == '\n') {
      quoted = true;
      break;
    }
  }
  if (!quoted) {
    if (utf8) {
      AppendUtf8(out, raw);
    } else {
      out.append(raw);
    }
    return;
  }
  out.push_back('"');
  std::size_t start = 0;
  for (std::size_t k = 0; k <= raw.size(); ++k) {
    if (k < raw.size() && raw[k] != '"') continue;
    const std::string_view piece = raw.substr(start, k + 1 - start - (k == raw.size() ? 1 : 0));
    if (utf8) {
      AppendUtf8(out, piece);
    } else {
      out.append(piece);
    }
    if (k < raw.size()) out.push_back('"');
    start = k + 1;
  }
  out.push_back('"');
}

}  // namespace

std::string ReadInput(const std::string& name, std::size_t limit, const std::string& what) {
  if (name == "-") return ReadAll(std::cin, limit, "standard input", what);
  const fs::path path = PathFromUtf8(name);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec) throw CliError("cannot read " + name + ": " + ec.message());
  if (fs::is_directory(status)) throw CliError(name + " is a folder, not " + what);
  errno = 0;
  std::ifstream file(path, std::ios::binary);
  if (!file) throw CliError("cannot read " + name + ": " + SystemReason(errno));
  return ReadAll(file, limit, name, what);
}

void WriteOutput(const std::string& name, const std::string& bytes, std::ostream& out) {
  if (name == "-") {
    out << bytes;
    return;
  }
  try {
    core::ReplaceFileContents(PathFromUtf8(name), bytes.data(), bytes.size());
  } catch (const core::CatalogError& error) {
    throw CliError("cannot write " + name + ": " +
                   (error.code() ? error.code().message() : std::string(error.what())));
  }
}

std::string Excerpt(std::string_view text) {
  constexpr std::size_t kMost = 40;
  if (text.size() <= kMost) return std::string(text);
  std::size_t cut = kMost;
  // Never split a UTF-8 character.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return std::string(text.substr(0, cut)) + "\u2026";
}

std::string CsvOf(const core::CatalogTable& table, const std::vector<std::int32_t>& positions) {
  std::string out;
  out.reserve(positions.size() * 160 + 64);
  std::vector<std::string_view> header{"Position"};
  header.insert(header.end(), std::begin(kFieldNames), std::end(kFieldNames));
  AppendCsvRow(out, header, ',');
  for (std::int32_t position : positions) {
    AppendNumber(out, position);
    const core::DistroRecord& record = table.at(position);
    for (int f = 0; f < core::kFieldCount; ++f) {
      out.push_back(',');
      AppendCsvField(out, TextOf(record, f), ',', true);
    }
    out.append("\r\n");
  }
  return out;
}

// Written directly rather than through a JSON tree: 10000 records would cost a tree of
// 70000 nodes. The bytes are those of nlohmann's dump(2), escaping included.
std::string JsonOf(const core::CatalogTable& table, const std::vector<std::int32_t>& positions,
                   bool numberRows) {
  std::string out;
  out.reserve(positions.size() * 256 + 96);
  out.append("{\n  \"schema\": \"");
  AppendJsonText(out, kRecordsSchema);
  out.append("\",\n  \"version\": ");
  out.append(std::to_string(kJsonVersion));
  out.append(",\n  \"records\": ");
  if (positions.empty()) {
    out.append("[]\n}\n");
    return out;
  }
  out.append("[");
  std::int32_t row = 0;
  for (std::int32_t position : positions) {
    out.append(row == 0 ? "\n    {\n      \"position\": " : ",\n    {\n      \"position\": ");
    ++row;
    AppendNumber(out, numberRows ? row : position);
    const core::DistroRecord& record = table.at(position);
    for (int f = 0; f < core::kFieldCount; ++f) {
      out.append(",\n      \"");
      out.append(kFieldNames[f]);
      out.append("\": \"");
      AppendJsonText(out, TextOf(record, f));
      out.push_back('"');
    }
    out.append("\n    }");
  }
  out.append("\n  ]\n}\n");
  return out;
}

std::string CsvOf(const core::CatalogTable& table, char delimiter, bool utf8,
                  const std::vector<std::int32_t>* order) {
  std::string out;
  out.reserve(static_cast<std::size_t>(table.count()) * 160 + 64);
  AppendCsvRow(out, {std::begin(kFieldNames), std::end(kFieldNames)}, delimiter);
  for (std::int32_t i = 1; i <= table.count(); ++i) {
    const std::int32_t position = order ? (*order)[static_cast<std::size_t>(i - 1)] : i;
    const core::DistroRecord& record = table.at(position);
    for (int f = 0; f < core::kFieldCount; ++f) {
      if (f > 0) out.push_back(delimiter);
      AppendCsvField(out, TextOf(record, f), delimiter, utf8);
    }
    out.append("\r\n");
  }
  return out;
}

// Written straight into a block of UTF-8 lines: widths come from the lengths alone (one
// Windows-1251 byte is one character), and 10000 rows cost no string of their own.
void PrintTable(std::ostream& out, const core::CatalogTable& table,
                const std::vector<std::int32_t>& positions, std::size_t width, bool numberRows) {
  constexpr std::size_t kColumns = 6;
  const std::array<std::string_view, kColumns> header = {"#",       "Name", "Type",
                                                         "License", "Year", "Comment"};
  // Column c > 0 shows field c - 1; column 0 the position.
  // Each position looked up once (and checked there), not once a cell.
  std::vector<const core::DistroRecord*> rows;
  rows.reserve(positions.size());
  for (std::int32_t position : positions) rows.push_back(&table.at(position));
  const auto cell = [&](std::size_t k, std::size_t c) {
    return TextOf(*rows[k], static_cast<int>(c - 1));
  };
  std::vector<std::size_t> widths(kColumns, 0);
  for (std::size_t c = 0; c < kColumns; ++c) widths[c] = header[c].size();
  std::int32_t largest = numberRows ? static_cast<std::int32_t>(positions.size()) : 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    if (!numberRows) largest = std::max(largest, positions[k]);
    for (std::size_t c = 1; c < kColumns; ++c) widths[c] = std::max(widths[c], cell(k, c).size());
  }
  if (!positions.empty()) widths[0] = std::max(widths[0], std::to_string(largest).size());
  FitToTerminal(widths, width, 1, 4);

  // Control bytes show as spaces; the rest as their UTF-8.
  static const Utf8Codes shown = [] {
    Utf8Codes codes = Utf8OfCp1251();
    for (int b = 0; b < 256; ++b) {
      if (b < 0x20 || b == 0x7F) {
        codes.bytes[static_cast<std::size_t>(b)][0] = ' ';
        codes.lengths[static_cast<std::size_t>(b)] = 1;
      }
    }
    return codes;
  }();
  // Each byte copies its four-byte slot and moves on by its length: no branch per byte.
  const auto writeShown = [&](char* to, std::string_view text) {
    for (char c : text) {
      const auto b = static_cast<unsigned char>(c);
      std::memcpy(to, shown.bytes[b].data(), 4);
      to += shown.lengths[b];
    }
    return to;
  };

  // A line takes at most three bytes a character, plus the slack of the last copy.
  std::size_t longest = 1;
  for (std::size_t c = 0; c < kColumns; ++c) longest += 3 * (widths[c] + 2);
  constexpr std::size_t kFlushAt = 65536;
  std::string block(kFlushAt + longest + 4, '\0');
  char* const begin = block.data();
  char* at = begin;
  const auto line = [&](const auto& text) {
    char* const start = at;
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::string_view value = text(c);
      std::size_t characters = value.size();
      if (value.size() > widths[c]) {
        at = writeShown(at, value.substr(0, widths[c] - 1));
        std::memcpy(at, "\u2026", 3);
        at += 3;
        characters = widths[c];
      } else {
        at = writeShown(at, value);
      }
      if (c + 1 < kColumns) {
        const std::size_t pad = widths[c] + 2 - characters;
        std::memset(at, ' ', pad);
        at += pad;
      }
    }
    while (at > start && at[-1] == ' ') --at;
    *at++ = '\n';
    if (static_cast<std::size_t>(at - begin) > kFlushAt) {
      out.write(begin, at - begin);
      at = begin;
    }
  };
  line([&](std::size_t c) { return header[c]; });
  char digits[16];
  std::int32_t row = 0;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::int32_t number = numberRows ? ++row : positions[k];
    const std::string_view text(
        digits, static_cast<std::size_t>(std::to_chars(digits, digits + 16, number).ptr - digits));
    line([&](std::size_t c) { return c == 0 ? text : cell(k, c); });
  }
  out.write(begin, at - begin);
}

std::vector<std::int32_t> AllPositions(const core::CatalogTable& table) {
  std::vector<std::int32_t> positions(static_cast<std::size_t>(table.count()));
  for (std::int32_t i = 1; i <= table.count(); ++i) positions[static_cast<std::size_t>(i - 1)] = i;
  return positions;
}

std::string ToCp1251OrFail(const std::string& utf8, const std::string& what) {
  std::size_t bad = 0;
  if (auto bytes = platform::Utf8ToCp1251(utf8, &bad)) return *bytes;
  throw CliError(what + " holds a character that Windows-1251 cannot hold (at byte " +
                 std::to_string(bad + 1) + ")");
}

void FitToTerminal(std::vector<std::size_t>& widths, std::size_t width, std::size_t first,
                   std::size_t floor) {
  // A terminal narrower than the columns' smallest still gets them: it wraps.
  if (width == 0) return;
  const std::size_t gaps = 2 * (widths.size() - 1);
  const std::size_t room = std::max(width, gaps + 40) - gaps;
  auto total = [&] {
    std::size_t sum = 0;
    for (std::size_t w : widths) sum += w;
    return sum;
  };
  while (total() > room) {
    const auto widest =
        std::max_element(widths.begin() + static_cast<std::ptrdiff_t>(first), widths.end());
    if (*widest <= floor) break;
    --*widest;
  }
}

}  // namespace kitrova::cli
