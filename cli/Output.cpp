#include "cli/Output.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>

#include "cli/Csv.h"
#include "cli/Session.h"
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

std::string ReadTextFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw CliError("cannot open " + Utf8Path(path));
  // One read of the whole size where the size is known; a byte at a time costs 15 MB of calls.
  std::string text;
  file.seekg(0, std::ios::end);
  const std::streamoff size = file.tellg();
  file.seekg(0, std::ios::beg);
  if (size > 0 && file) {
    text.resize(static_cast<std::size_t>(size));
    file.read(text.data(), size);
    text.resize(static_cast<std::size_t>(file.gcount()));
  }
  if (file.bad()) throw CliError("cannot read " + Utf8Path(path));
  // Whatever grew after the size was taken, or a stream without one.
  file.clear();
  text.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (file.bad()) throw CliError("cannot read " + Utf8Path(path));
  return text;
}

void WriteTextFile(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (file) file.close();
  if (!file) throw CliError("cannot write " + Utf8Path(path));
}

std::string CsvOf(const core::CatalogTable& table, char delimiter, bool utf8,
                  const std::vector<std::int32_t>* order) {
  std::string out;
  out.reserve(static_cast<std::size_t>(table.count()) * 128 + 64);
  AppendCsvRow(out, {std::begin(kFieldNames), std::end(kFieldNames)}, delimiter);
  std::vector<std::string> texts(core::kFieldCount);
  std::vector<std::string_view> views(core::kFieldCount);
  for (std::int32_t i = 1; i <= table.count(); ++i) {
    const std::int32_t position = order ? (*order)[static_cast<std::size_t>(i - 1)] : i;
    for (int f = 0; f < core::kFieldCount; ++f) {
      const std::string_view raw =
          core::FieldOf(table.at(position), static_cast<RecordField>(f)).view();
      texts[f] = utf8 ? platform::Cp1251ToUtf8(raw) : std::string(raw);
      views[f] = texts[f];
    }
    AppendCsvRow(out, views, delimiter);
  }
  return out;
}

// Built in Windows-1251, where every character is one byte and the ellipsis has a code, then
// turned into UTF-8 a block of lines at a time. Widths come from the lengths alone, and the
// cells are written straight into the block: 10000 rows cost no string of their own.
void PrintTable(std::ostream& out, const core::CatalogTable& table,
                const std::vector<std::int32_t>& positions, bool numberRows) {
  int width = 100;
  if (const char* columns = std::getenv("COLUMNS")) width = std::max(40, std::atoi(columns));
  constexpr std::size_t kColumns = 6;
  const std::array<std::string_view, kColumns> header = {"#",       "Name", "Type",
                                                         "License", "Year", "Comment"};
  // Column c > 0 shows field c - 1; column 0 the position.
  const auto cell = [&](std::int32_t position, std::size_t c) {
    return core::FieldOf(table.at(position), static_cast<RecordField>(c - 1)).view();
  };
  std::array<std::size_t, kColumns> widths{};
  for (std::size_t c = 0; c < kColumns; ++c) widths[c] = header[c].size();
  std::int32_t row = 0;
  const auto number = [&](std::int32_t position) { return numberRows ? ++row : position; };
  for (std::int32_t position : positions) {
    widths[0] = std::max(widths[0], std::to_string(number(position)).size());
    for (std::size_t c = 1; c < kColumns; ++c)
      widths[c] = std::max(widths[c], cell(position, c).size());
  }
  const std::size_t room = static_cast<std::size_t>(width) - 2 * (kColumns - 1);
  auto total = [&] {
    std::size_t sum = 0;
    for (std::size_t w : widths) sum += w;
    return sum;
  };
  while (total() > room) {
    const auto widest = std::max_element(widths.begin() + 1, widths.end());
    if (*widest <= 4) break;
    --*widest;
  }

  std::string block;
  const auto flush = [&] {
    out << platform::Cp1251ToUtf8(block);
    block.clear();
  };
  const auto line = [&](const auto& text) {
    const std::size_t start = block.size();
    for (std::size_t c = 0; c < kColumns; ++c) {
      const std::string_view value = text(c);
      const std::size_t at = block.size();
      if (value.size() > widths[c]) {
        block.append(value.substr(0, widths[c] - 1));
        block.push_back('\x85');
      } else {
        block.append(value);
      }
      for (std::size_t k = at; k < block.size(); ++k) {
        const auto byte = static_cast<unsigned char>(block[k]);
        if (byte < 0x20 || byte == 0x7F) block[k] = ' ';
      }
      if (c + 1 < kColumns) block.append(widths[c] + 2 - (block.size() - at), ' ');
    }
    while (block.size() > start && block.back() == ' ') block.pop_back();
    block.push_back('\n');
    if (block.size() > 65536) flush();
  };
  line([&](std::size_t c) { return header[c]; });
  std::string shown;
  row = 0;
  for (std::int32_t position : positions) {
    shown = std::to_string(number(position));
    line([&](std::size_t c) { return c == 0 ? std::string_view(shown) : cell(position, c); });
  }
  flush();
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

}  // namespace kitrova::cli
