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

// What each Windows-1251 byte becomes in an output: its UTF-8, an escape, a space. Slots are
// padded so that a writer copies eight bytes a byte and moves on by the length, no branch.
struct ByteCodes {
  std::array<std::array<char, 8>, 256> bytes{};
  std::array<std::uint8_t, 256> lengths{};

  void set(std::size_t b, std::string_view code) {
    std::copy(code.begin(), code.end(), bytes[b].begin());
    lengths[b] = static_cast<std::uint8_t>(code.size());
  }
  char* write(char* to, std::string_view text) const {
    for (char c : text) {
      const auto b = static_cast<unsigned char>(c);
      std::memcpy(to, bytes[b].data(), 8);
      to += lengths[b];
    }
    return to;
  }
};
// The most bytes one byte of text becomes (\u00xx), and the slack behind the last copy.
constexpr std::size_t kMostPerByte = 6;
constexpr std::size_t kSlack = 16;
constexpr char kSpaces[kSlack + 1] = "                ";

const ByteCodes& Utf8OfCp1251() {
  static const ByteCodes codes = [] {
    ByteCodes table;
    for (int b = 0; b < 256; ++b) {
      table.set(static_cast<std::size_t>(b),
                platform::Cp1251ToUtf8(std::string_view(reinterpret_cast<const char*>(&b), 1)));
    }
    return table;
  }();
  return codes;
}

// The same bytes as their raw selves, for CSV in Windows-1251.
const ByteCodes& RawBytes() {
  static const ByteCodes codes = [] {
    ByteCodes table;
    for (int b = 0; b < 256; ++b) {
      table.set(static_cast<std::size_t>(b), std::string(1, static_cast<char>(b)));
    }
    return table;
  }();
  return codes;
}

// The inside of a JSON string as nlohmann's dump() escapes it: control characters as \u00xx
// in lower case, the named ones short, DEL and letters as they are.
const ByteCodes& JsonOfCp1251() {
  static const ByteCodes codes = [] {
    ByteCodes table = Utf8OfCp1251();
    constexpr char kHex[] = "0123456789abcdef";
    for (std::size_t b = 0; b < 0x20; ++b) {
      table.set(b, std::string{'\\', 'u', '0', '0', kHex[b >> 4], kHex[b & 0xF]});
    }
    table.set('"', "\\\"");
    table.set('\\', "\\\\");
    table.set('\b', "\\b");
    table.set('\f', "\\f");
    table.set('\n', "\\n");
    table.set('\r', "\\r");
    table.set('\t', "\\t");
    return table;
  }();
  return codes;
}

// Room for `most` more bytes behind `used`; grows the string by doubling. Returns where to
// write next.
char* Room(std::string& out, std::size_t used, std::size_t most) {
  if (out.size() - used < most) out.resize(std::max(out.size() * 2, used + most));
  return out.data() + used;
}

char* WriteText(char* to, std::string_view text) {
  std::memcpy(to, text.data(), text.size());
  return to + text.size();
}

char* WriteNumber(char* to, std::int32_t value) {
  return std::to_chars(to, to + 16, value).ptr;
}

// One field as AppendCsvRow writes it. The characters that call for quotes are ASCII, and
// no Windows-1251 letter turns into one in UTF-8, so the raw bytes decide. Written unquoted
// while looking for them, and once more quoted in the rare field that has one.
char* WriteCsvField(char* to, std::string_view raw, const std::array<bool, 256>& special,
                    const ByteCodes& codes) {
  char* const start = to;
  bool quoted = false;
  for (char c : raw) {
    const auto b = static_cast<unsigned char>(c);
    std::memcpy(to, codes.bytes[b].data(), 8);
    to += codes.lengths[b];
    quoted |= special[b];
  }
  if (!quoted) return to;
  to = start;
  *to++ = '"';
  for (char c : raw) {
    if (c == '"') *to++ = '"';
    const auto b = static_cast<unsigned char>(c);
    std::memcpy(to, codes.bytes[b].data(), 8);
    to += codes.lengths[b];
  }
  *to++ = '"';
  return to;
}

// The bytes that make a CSV field quoted.
std::array<bool, 256> CsvSpecials(char delimiter) {
  std::array<bool, 256> special{};
  for (char c : {delimiter, '"', '\r', '\n'}) special[static_cast<unsigned char>(c)] = true;
  return special;
}

// The most bytes a record's row or object can take, keys and punctuation included.
constexpr std::size_t kMostPerRecord = core::kFieldCount * (2 * 255 + 2 + 16) * 3 + 256;
static_assert(kMostPerRecord >= core::kFieldCount * (255 * kMostPerByte + 32) + 64 + kSlack);

// A field's text by its number, inlined where a row's six fields are written.
constexpr std::array<core::DistroField core::DistroRecord::*, core::kFieldCount> kFieldMembers = {
    &core::DistroRecord::Name, &core::DistroRecord::Type,    &core::DistroRecord::License,
    &core::DistroRecord::Year, &core::DistroRecord::Comment, &core::DistroRecord::Path};

std::string_view TextOf(const core::DistroRecord& record, int field) {
  return (record.*kFieldMembers[static_cast<std::size_t>(field)]).view();
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

namespace {

// Where the writers put their bytes: one string, or a stream a block at a time, so that a
// document of megabytes never has to be held whole on its way to standard output.
class Sink {
 public:
  Sink(std::string& out, std::ostream* stream, std::size_t expected)
      : out_(out), stream_(stream), used_(out.size()) {
    out_.resize(used_ + (stream ? kBlock : expected) + kMostPerRecord);
  }
  // Room for one record's bytes.
  char* room() { return Room(out_, used_, kMostPerRecord); }
  void done(char* to) {
    used_ = static_cast<std::size_t>(to - out_.data());
    if (stream_ && used_ >= kBlock) {
      stream_->write(out_.data(), static_cast<std::streamsize>(used_));
      used_ = 0;
    }
  }
  void finish() {
    out_.resize(used_);
    if (stream_) {
      stream_->write(out_.data(), static_cast<std::streamsize>(used_));
      out_.clear();
    }
  }

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  std::string& out_;
  std::ostream* stream_;
  std::size_t used_;
};

void WriteCsvOf(std::string& out, std::ostream* stream, const core::CatalogTable& table,
                const std::vector<std::int32_t>& positions) {
  std::vector<std::string_view> header{"Position"};
  header.insert(header.end(), std::begin(kFieldNames), std::end(kFieldNames));
  AppendCsvRow(out, header, ',');
  Sink sink(out, stream, positions.size() * 160);
  const ByteCodes& codes = Utf8OfCp1251();
  const std::array<bool, 256> special = CsvSpecials(',');
  for (std::int32_t position : positions) {
    const core::DistroRecord& record = table.at(position);
    char* to = WriteNumber(sink.room(), position);
    for (int f = 0; f < core::kFieldCount; ++f) {
      *to++ = ',';
      to = WriteCsvField(to, TextOf(record, f), special, codes);
    }
    sink.done(WriteText(to, "\r\n"));
  }
  sink.finish();
}

// Written directly rather than through a JSON tree: 10000 records would cost a tree of
// 70000 nodes. The bytes are those of nlohmann's dump(2), escaping included.
void WriteJsonOf(std::string& out, std::ostream* stream, const core::CatalogTable& table,
                 const std::vector<std::int32_t>& positions, bool numberRows) {
  out += "{\n  \"schema\": \"" + std::string(kRecordsSchema) +
         "\",\n  \"version\": " + std::to_string(kJsonVersion) + ",\n  \"records\": ";
  out += positions.empty() ? "[]\n}\n" : "[";
  Sink sink(out, stream, positions.size() * 300);
  const ByteCodes& codes = JsonOfCp1251();
  std::int32_t row = 0;
  for (std::int32_t position : positions) {
    const core::DistroRecord& record = table.at(position);
    char* to = sink.room();
    if (row > 0) *to++ = ',';
    ++row;
    to = WriteNumber(WriteText(to, "\n    {\n      \"position\": "), numberRows ? row : position);
    for (int f = 0; f < core::kFieldCount; ++f) {
      to = WriteText(to, ",\n      \"");
      to = WriteText(to, kFieldNames[static_cast<std::size_t>(f)]);
      to = codes.write(WriteText(to, "\": \""), TextOf(record, f));
      *to++ = '"';
    }
    sink.done(WriteText(to, "\n    }"));
  }
  if (!positions.empty()) sink.done(WriteText(sink.room(), "\n  ]\n}\n"));
  sink.finish();
}

void WriteCsvOf(std::string& out, std::ostream* stream, const core::CatalogTable& table,
                char delimiter, bool utf8, const std::vector<std::int32_t>* order) {
  AppendCsvRow(out, {std::begin(kFieldNames), std::end(kFieldNames)}, delimiter);
  Sink sink(out, stream, static_cast<std::size_t>(table.count()) * 160);
  const ByteCodes& codes = utf8 ? Utf8OfCp1251() : RawBytes();
  const std::array<bool, 256> special = CsvSpecials(delimiter);
  for (std::int32_t i = 1; i <= table.count(); ++i) {
    const std::int32_t position = order ? (*order)[static_cast<std::size_t>(i - 1)] : i;
    const core::DistroRecord& record = table.at(position);
    char* to = sink.room();
    for (int f = 0; f < core::kFieldCount; ++f) {
      if (f > 0) *to++ = delimiter;
      to = WriteCsvField(to, TextOf(record, f), special, codes);
    }
    sink.done(WriteText(to, "\r\n"));
  }
  sink.finish();
}

}  // namespace

std::string CsvOf(const core::CatalogTable& table, const std::vector<std::int32_t>& positions) {
  std::string out;
  WriteCsvOf(out, nullptr, table, positions);
  return out;
}

void PrintCsv(std::ostream& out, const core::CatalogTable& table,
              const std::vector<std::int32_t>& positions) {
  std::string block;
  WriteCsvOf(block, &out, table, positions);
}

std::string JsonOf(const core::CatalogTable& table, const std::vector<std::int32_t>& positions,
                   bool numberRows) {
  std::string out;
  WriteJsonOf(out, nullptr, table, positions, numberRows);
  return out;
}

void PrintJson(std::ostream& out, const core::CatalogTable& table,
               const std::vector<std::int32_t>& positions, bool numberRows) {
  std::string block;
  WriteJsonOf(block, &out, table, positions, numberRows);
}

std::string CsvOf(const core::CatalogTable& table, char delimiter, bool utf8,
                  const std::vector<std::int32_t>* order) {
  std::string out;
  WriteCsvOf(out, nullptr, table, delimiter, utf8, order);
  return out;
}

void PrintCsv(std::ostream& out, const core::CatalogTable& table, char delimiter, bool utf8,
              const std::vector<std::int32_t>* order) {
  std::string block;
  WriteCsvOf(block, &out, table, delimiter, utf8, order);
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
  // The widths do not depend on the order: read the records as they lie in memory, not in
  // a sort's order that jumps through 15 MB.
  std::vector<bool> listed(static_cast<std::size_t>(table.count()) + 1, false);
  for (std::int32_t position : positions) listed[static_cast<std::size_t>(position)] = true;
  for (std::int32_t position = 1; position <= table.count(); ++position) {
    if (!listed[static_cast<std::size_t>(position)]) continue;
    if (!numberRows) largest = position;
    const core::DistroRecord& record = table.records()[position - 1];
    for (std::size_t c = 1; c < kColumns; ++c) {
      widths[c] = std::max(widths[c], TextOf(record, static_cast<int>(c - 1)).size());
    }
  }
  if (!positions.empty()) widths[0] = std::max(widths[0], std::to_string(largest).size());
  FitToTerminal(widths, width, 1, 4);

  // Control bytes show as spaces; the rest as their UTF-8.
  static const ByteCodes shown = [] {
    ByteCodes codes = Utf8OfCp1251();
    for (std::size_t b = 0; b < 0x20; ++b) codes.set(b, " ");
    codes.set(0x7F, " ");
    return codes;
  }();
  // A line takes at most three bytes a character, plus the slack of the last copy.
  std::size_t longest = 1;
  for (std::size_t c = 0; c < kColumns; ++c) longest += 3 * (widths[c] + 2);
  constexpr std::size_t kFlushAt = 65536;
  std::string block(kFlushAt + longest + kSlack, '\0');
  char* const begin = block.data();
  char* at = begin;
  const auto line = [&](const auto& text) {
    char* const start = at;
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::string_view value = text(c);
      std::size_t characters = value.size();
      if (value.size() > widths[c]) {
        at = shown.write(at, value.substr(0, widths[c] - 1));
        std::memcpy(at, "\u2026", 3);
        at += 3;
        characters = widths[c];
      } else {
        at = shown.write(at, value);
      }
      if (c + 1 < kColumns) {
        const std::size_t pad = widths[c] + 2 - characters;
        for (std::size_t k = 0; k < pad; k += kSlack) std::memcpy(at + k, kSpaces, kSlack);
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
#if defined(__GNUC__)
    // In a sort's order the records lie anywhere in 15 MB: ask for the fields of a row a
    // few rows ahead, so that they are in the cache when it is written.
    if (k + 8 < rows.size()) {
      for (std::size_t f = 0; f + 1 < kFieldMembers.size(); ++f) {
        __builtin_prefetch(&(rows[k + 8]->*kFieldMembers[f]));
      }
    }
#endif
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
  // A terminal narrower than 40 columns still gets that much: it wraps.
  if (width == 0) return;
  const std::size_t gaps = 2 * (widths.size() - 1);
  const std::size_t room = std::max<std::size_t>(width, 40) - gaps;
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
