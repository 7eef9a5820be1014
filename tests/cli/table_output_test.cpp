// The table that list and search print: columns as wide as their widest cell, cut with an
// ellipsis to the terminal's width, control bytes shown as spaces, text in UTF-8.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Output.h"
#include "core/CatalogTable.h"
#include "support/Records.h"

namespace kitrova::cli {
namespace {

using testing::RecordFields;
using testing::RecordOf;

TEST(TableOutputTest, PrintsRowsAsTheTerminalShowsThem) {
  struct Case {
    const char* what;
    std::size_t columns;
    std::vector<RecordFields> records;
    std::vector<std::int32_t> positions;
    std::string expected;
  };
  const std::string longComment(50, 'c');
  const Case cases[] = {
      {"fits",
       100,
       {{.name = "7-Zip", .type = "Utility", .license = "Freeware", .year = "2005"}},
       {1},
       "#  Name   Type     License   Year  Comment\n"
       "1  7-Zip  Utility  Freeware  2005\n"},
      {"control bytes are spaces, Windows-1251 becomes UTF-8",
       100,
       {{.name = "a\tb\x7F", .type = "\xC8\xE3\xF0\xFB"}},
       {1},
       "#  Name  Type  License  Year  Comment\n"
       "1  a b   Игры\n"},
      {"cut to the terminal with an ellipsis",
       40,
       {{.name = "n", .comment = longComment}},
       {1},
       "#  Name  Type  License  Year  Comment\n"
       "1  n" +
           std::string(26, ' ') + "ccccccccc…\n"},
      {"positions as given, in their order",
       100,
       {{.name = "a"}, {.name = "b"}, {.name = "c"}},
       {3, 1},
       "#  Name  Type  License  Year  Comment\n"
       "3  c\n"
       "1  a\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    core::CatalogTable table;
    for (const RecordFields& fields : c.records) table.append(RecordOf(fields));
    std::ostringstream out;
    PrintTable(out, table, c.positions, c.columns);
    EXPECT_EQ(out.str(), c.expected);
  }
}

}  // namespace
}  // namespace kitrova::cli
