// CSV and JSON of records are written straight into one buffer; they must give the very
// bytes that a JSON tree dumped by nlohmann and rows built with AppendCsvRow give.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Csv.h"
#include "cli/Output.h"
#include "core/CatalogTable.h"
#include "platform/Utf8Cp1251.h"
#include "support/Records.h"

namespace kitrova::cli {
namespace {

using core::RecordField;
using testing::RecordFields;
using testing::RecordOf;

std::string Utf8(const core::DistroRecord& record, int f) {
  return platform::Cp1251ToUtf8(core::FieldOf(record, static_cast<RecordField>(f)).view());
}

std::string TreeJson(const core::CatalogTable& table, const std::vector<std::int32_t>& positions,
                     bool numberRows) {
  nlohmann::ordered_json records = nlohmann::ordered_json::array();
  std::int32_t row = 0;
  for (std::int32_t position : positions) {
    nlohmann::ordered_json record;
    record["position"] = numberRows ? ++row : position;
    for (int f = 0; f < core::kFieldCount; ++f)
      record[kFieldNames[f]] = Utf8(table.at(position), f);
    records.push_back(std::move(record));
  }
  nlohmann::ordered_json document;
  document["schema"] = kRecordsSchema;
  document["version"] = kJsonVersion;
  document["records"] = std::move(records);
  return document.dump(2) + "\n";
}

std::string RowsCsv(const core::CatalogTable& table, const std::vector<std::int32_t>& positions,
                    char delimiter, bool utf8, bool withPosition) {
  std::string out;
  std::vector<std::string> texts;
  if (withPosition) texts.push_back("Position");
  texts.insert(texts.end(), std::begin(kFieldNames), std::end(kFieldNames));
  AppendCsvRow(out, {texts.begin(), texts.end()}, delimiter);
  for (std::int32_t position : positions) {
    texts.clear();
    if (withPosition) texts.push_back(std::to_string(position));
    for (int f = 0; f < core::kFieldCount; ++f) {
      texts.push_back(utf8 ? Utf8(table.at(position), f)
                           : core::FieldOf(table.at(position), static_cast<RecordField>(f)).str());
    }
    AppendCsvRow(out, {texts.begin(), texts.end()}, delimiter);
  }
  return out;
}

// Every byte value, in runs that put each one beside quotes, delimiters and line breaks.
std::vector<RecordFields> EveryByte(std::vector<std::string>& keep) {
  std::vector<RecordFields> records;
  for (int start = 0; start < 256; start += 16) {
    std::string run;
    for (int b = start; b < start + 16; ++b) run.push_back(static_cast<char>(b));
    keep.push_back(run);
    keep.push_back("\"" + run + ";,\r");
    records.push_back({.name = keep[keep.size() - 2], .comment = keep.back()});
  }
  return records;
}

// Enough long records to pass the 64 KiB block that standard output gets at a time.
std::vector<RecordFields> MoreThanABlock(std::vector<std::string>& keep) {
  std::vector<RecordFields> records;
  for (int k = 0; k < 300; ++k) {
    keep.push_back(std::string(250, static_cast<char>(0xC0 + k % 64)) + "\"\n");
    records.push_back({.name = keep.back(), .year = "2005", .comment = keep.back()});
  }
  return records;
}

TEST(RecordsWritersTest, WriteTheBytesOfTheTreeAndTheRowWriter) {
  std::vector<std::string> keep;
  keep.reserve(400);
  struct Case {
    const char* what;
    std::vector<RecordFields> records;
    std::vector<std::int32_t> positions;  // empty: every record in file order
  };
  const Case cases[] = {
      {"no records", {}, {}},
      {"empty fields", {{}, {.name = "a"}, {.path = "p"}}, {}},
      {"Cyrillic and symbols",
       {{.name = "\xC8\xE3\xF0\xFB", .type = "\x85\x98\xB9\xFF", .year = "2005"},
        {.name = "7-Zip", .license = "Freeware", .comment = "tab\there"}},
       {2, 1}},
      {"quotes, delimiters and line breaks",
       {{.name = "\"", .type = ",", .license = ";", .year = "\r", .comment = "\n", .path = "\"\""},
        {.name = "a\"b\"", .type = "x,y;z", .comment = "l1\r\nl2", .path = "\\"}},
       {}},
      {"the same record twice", {{.name = "dup"}, {.name = "dup"}}, {2, 2, 1}},
      {"every byte value", EveryByte(keep), {}},
      {"more than a block", MoreThanABlock(keep), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core::CatalogTable table;
    for (const RecordFields& fields : c.records) table.append(RecordOf(fields));
    std::vector<std::int32_t> positions = c.positions;
    if (positions.empty()) positions = AllPositions(table);
    for (bool numberRows : {false, true}) {
      const std::string json = TreeJson(table, positions, numberRows);
      EXPECT_EQ(JsonOf(table, positions, numberRows), json);
      std::ostringstream printed;
      PrintJson(printed, table, positions, numberRows);
      EXPECT_EQ(printed.str(), json);
    }
    EXPECT_EQ(CsvOf(table, positions), RowsCsv(table, positions, ',', true, true));
    std::ostringstream printedCsv;
    PrintCsv(printedCsv, table, positions);
    EXPECT_EQ(printedCsv.str(), RowsCsv(table, positions, ',', true, true));
    const std::vector<std::int32_t> reversed(positions.rbegin(), positions.rend());
    for (char delimiter : {',', ';'}) {
      for (bool utf8 : {true, false}) {
        if (c.positions.empty()) {
          EXPECT_EQ(CsvOf(table, delimiter, utf8),
                    RowsCsv(table, positions, delimiter, utf8, false));
        }
        if (static_cast<std::int32_t>(reversed.size()) == table.count()) {
          const std::string csv = RowsCsv(table, reversed, delimiter, utf8, false);
          EXPECT_EQ(CsvOf(table, delimiter, utf8, &reversed), csv);
          std::ostringstream printed;
          PrintCsv(printed, table, delimiter, utf8, &reversed);
          EXPECT_EQ(printed.str(), csv);
        }
      }
    }
  }
}

}  // namespace
}  // namespace kitrova::cli
