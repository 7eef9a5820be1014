// The CSV writer and reader are each other's inverse for every row, and the reader refuses a
// row longer than its bound with the row's line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/Csv.h"

namespace kitrova::cli {
namespace {

using Fields = std::vector<std::string>;

TEST(CsvInverseTest, EveryTableOfRowsReadsBackAsWritten) {
  const std::vector<std::vector<Fields>> tables = {
      {{""}},                // one empty field: a bare line end would be no row
      {{"a"}, {""}, {"b"}},  // an empty row between others
      {{"", ""}, {""}},
      {{"\r\n"}, {"\"\""}, {""}},
  };
  for (const auto& table : tables) {
    for (char delimiter : {',', ';'}) {
      std::string text;
      for (const Fields& row : table) AppendCsvRow(text, {row.begin(), row.end()}, delimiter);
      std::vector<Fields> back;
      for (const CsvRow& row : ParseCsv(text, delimiter)) back.push_back(row.fields);
      EXPECT_EQ(back, table) << text;
    }
  }
}

TEST(CsvInverseTest, ARowPastItsBoundIsRefusedWithItsLine) {
  const struct {
    std::string text;
    std::size_t line;  // 0: read whole
  } cases[] = {
      {"Name\r\n" + std::string(64, 'x') + "\r\n", 0},
      {std::string(17, 'h') + "\r\nshort\r\n", 1},
      {"Name\r\nok\r\n" + std::string(65, 'x') + "\r\n", 3},
      {"Name\r\n\"" + std::string(40, 'q') + "\r\n" + std::string(40, 'q') + "\"\r\n", 2},
  };
  const CsvLimits limits{16, 64};
  for (const auto& c : cases) {
    try {
      ParseCsv(c.text, ',', limits);
      EXPECT_EQ(c.line, 0u) << c.text;
    } catch (const CsvSyntaxError& error) {
      EXPECT_EQ(error.line(), c.line) << c.text;
    }
  }
}

}  // namespace
}  // namespace kitrova::cli
