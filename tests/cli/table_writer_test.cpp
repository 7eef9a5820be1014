// The table of list and search is written straight into UTF-8 lines; it must give the bytes
// of the table built in Windows-1251 and converted afterwards, cut or not, in any order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Output.h"
#include "core/CatalogTable.h"
#include "platform/Utf8Cp1251.h"
#include "support/Records.h"

namespace kitrova::cli {
namespace {

using core::RecordField;
using testing::RecordOf;

// One line at a time in Windows-1251: cut with the ellipsis byte, control bytes as spaces,
// trailing spaces dropped, then converted.
std::string ConvertedTable(const core::CatalogTable& table,
                           const std::vector<std::int32_t>& positions, std::size_t width,
                           bool numberRows) {
  const std::array<std::string, 6> header = {"#", "Name", "Type", "License", "Year", "Comment"};
  std::vector<std::array<std::string, 6>> rows;
  std::int32_t row = 0;
  for (std::int32_t position : positions) {
    std::array<std::string, 6> cells;
    cells[0] = std::to_string(numberRows ? ++row : position);
    for (int c = 1; c < 6; ++c)
      cells[c] = core::FieldOf(table.at(position), static_cast<RecordField>(c - 1)).str();
    rows.push_back(cells);
  }
  std::vector<std::size_t> widths(6);
  for (std::size_t c = 0; c < 6; ++c) {
    widths[c] = header[c].size();
    for (const auto& cells : rows) widths[c] = std::max(widths[c], cells[c].size());
  }
  FitToTerminal(widths, width, 1, 4);
  std::string text;
  const auto line = [&](const std::array<std::string, 6>& cells) {
    std::string bytes;
    for (std::size_t c = 0; c < 6; ++c) {
      std::string cell = cells[c];
      if (cell.size() > widths[c]) cell = cell.substr(0, widths[c] - 1) + '\x85';
      for (char& ch : cell) {
        if (static_cast<unsigned char>(ch) < 0x20 || ch == '\x7F') ch = ' ';
      }
      bytes += cell;
      if (c + 1 < 6) bytes += std::string(widths[c] + 2 - cell.size(), ' ');
    }
    while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
    text += platform::Cp1251ToUtf8(bytes) + "\n";
  };
  line(header);
  for (const auto& cells : rows) line(cells);
  return text;
}

TEST(TableWriterTest, WritesTheBytesOfTheConvertedTable) {
  core::CatalogTable table;
  // Every byte value, long fields to cut, and enough rows to pass a 64 KiB block.
  std::mt19937 random(1536);
  for (int k = 0; k < 700; ++k) {
    std::string bytes;
    for (int b = 0; b < 100; ++b) bytes.push_back(static_cast<char>((k * 37 + b) % 256));
    const std::size_t cut = random() % 100;
    const std::string name = bytes.substr(0, cut % 40);
    const std::string comment = bytes.substr(cut);
    table.append(RecordOf({.name = name,
                           .type = k % 3 ? "\xD3\xF2\xE8\xEB\xE8\xF2\xFB" : "",
                           .license = "Freeware",
                           .year = std::to_string(1995 + k % 18),
                           .comment = comment}));
  }
  std::vector<std::int32_t> all = AllPositions(table);
  std::vector<std::int32_t> shuffled = all;
  std::shuffle(shuffled.begin(), shuffled.end(), random);
  const std::vector<std::int32_t> some = {700, 3, 41};
  struct Case {
    const char* what;
    const std::vector<std::int32_t>* positions;
    std::size_t width;
    bool numberRows;
  };
  const Case cases[] = {
      {"all, not cut", &all, 0, false},
      {"shuffled, numbered", &shuffled, 0, true},
      {"shuffled, cut to 80", &shuffled, 80, true},
      {"a few, cut to 30", &some, 30, false},
      {"a few, wide", &some, 500, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::ostringstream out;
    PrintTable(out, table, *c.positions, c.width, c.numberRows);
    EXPECT_EQ(out.str(), ConvertedTable(table, *c.positions, c.width, c.numberRows));
  }
}

}  // namespace
}  // namespace kitrova::cli
