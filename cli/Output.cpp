#include "cli/Output.h"

#include <algorithm>
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
  std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw CliError("cannot read " + Utf8Path(path));
  return text;
}

void WriteTextFile(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (file) file.write(text.data(), static_cast<std::streamsize>(text.size()));
  if (file) file.close();
  if (!file) throw CliError("cannot write " + Utf8Path(path));
}

std::string CsvOf(const core::CatalogTable& table, char delimiter, bool utf8) {
  std::string out;
  out.reserve(static_cast<std::size_t>(table.count()) * 128 + 64);
  AppendCsvRow(out, {std::begin(kFieldNames), std::end(kFieldNames)}, delimiter);
  std::vector<std::string> texts(core::kFieldCount);
  std::vector<std::string_view> views(core::kFieldCount);
  for (std::int32_t i = 1; i <= table.count(); ++i) {
    for (int f = 0; f < core::kFieldCount; ++f) {
      const std::string_view raw = core::FieldOf(table.at(i), static_cast<RecordField>(f)).view();
      texts[f] = utf8 ? platform::Cp1251ToUtf8(raw) : std::string(raw);
      views[f] = texts[f];
    }
    AppendCsvRow(out, views, delimiter);
  }
  return out;
}

// Built in Windows-1251, where every character is one byte and the ellipsis has a code, then
// turned into UTF-8 as a whole.
void PrintTable(std::ostream& out, const core::CatalogTable& table,
                const std::vector<std::int32_t>& positions) {
  int width = 100;
  if (const char* columns = std::getenv("COLUMNS")) width = std::max(40, std::atoi(columns));
  std::vector<std::vector<std::string>> cells;
  cells.push_back({"#", "Name", "Type", "License", "Year", "Comment"});
  for (std::int32_t position : positions) {
    std::vector<std::string> row{std::to_string(position)};
    for (int f = 0; f < 5; ++f) {
      std::string text(core::FieldOf(table.at(position), static_cast<RecordField>(f)).view());
      for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
      }
      row.push_back(std::move(text));
    }
    cells.push_back(std::move(row));
  }
  std::vector<std::size_t> widths(6, 0);
  for (const auto& row : cells) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  const std::size_t room = static_cast<std::size_t>(width) - 2 * (widths.size() - 1);
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
  for (const auto& row : cells) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      std::string text = row[c];
      if (text.size() > widths[c]) text = text.substr(0, widths[c] - 1) + "\x85";
      if (c + 1 < row.size()) text.resize(widths[c] + 2, ' ');
      line += text;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << platform::Cp1251ToUtf8(line) << '\n';
  }
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
