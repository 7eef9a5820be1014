// CSV by RFC 4180 and the Qt-free Windows-1251 conversion the command-line tool builds on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/Csv.h"
#include "platform/Utf8Cp1251.h"

namespace kitrova::cli {
namespace {

using Fields = std::vector<std::string>;

std::vector<Fields> FieldsOf(const std::vector<CsvRow>& rows) {
  std::vector<Fields> out;
  for (const CsvRow& row : rows) out.push_back(row.fields);
  return out;
}

TEST(CsvTest, ReadsTheRfc4180Forms) {
  // Quotes doubled, delimiter and CR LF inside quotes, empty fields, no break at the end.
  const std::string text =
      "a,\"b,c\",\"say \"\"hi\"\"\"\r\n"
      ",\"two\r\nlines\",\r\n"
      "\r\n"
      "x,\"\",z";
  const std::vector<CsvRow> rows = ParseCsv(text, ',');
  EXPECT_EQ(
      FieldsOf(rows),
      (std::vector<Fields>{{"a", "b,c", "say \"hi\""}, {"", "two\r\nlines", ""}, {"x", "", "z"}}));
  EXPECT_EQ(rows[0].line, 1u);
  EXPECT_EQ(rows[1].line, 2u);
  EXPECT_EQ(rows[2].line, 5u);  // the quoted break and the empty line both count
  // Bare LF line ends and the other delimiter.
  EXPECT_EQ(FieldsOf(ParseCsv("a;b\n\"c;d\";e\n", ';')),
            (std::vector<Fields>{{"a", "b"}, {"c;d", "e"}}));
}

TEST(CsvTest, RefusesMalformedTextWithItsLine) {
  const struct {
    std::string text;
    std::size_t line;
  } cases[] = {{"a,b\r\nc,\"open\r\nstill open", 2},  // never closed: the line it opened on
               {"a,b\r\n\"x\"y,z\r\n", 2},            // text after a closing quote
               {"a,b\r\nc,d\"e\r\n", 2}};             // a quote inside an unquoted field
  for (const auto& c : cases) {
    try {
      ParseCsv(c.text, ',');
      ADD_FAILURE() << c.text;
    } catch (const CsvSyntaxError& error) {
      EXPECT_EQ(error.line(), c.line) << c.text;
    }
  }
}

TEST(CsvTest, WritesQuotesOnlyWhereNeededAndReadsItBack) {
  const Fields fields = {"plain", "with;semicolon", "with,comma", "q\"uote", "cr\rlf\n", "",
                         " sp "};
  for (char delimiter : {',', ';'}) {
    std::string out;
    AppendCsvRow(out, {fields.begin(), fields.end()}, delimiter);
    ASSERT_TRUE(out.ends_with("\r\n"));
    EXPECT_EQ(out.starts_with("plain"), true);
    EXPECT_EQ(out.find(delimiter == ',' ? "\"with;semicolon\"" : "\"with,comma\""),
              std::string::npos);
    EXPECT_EQ(FieldsOf(ParseCsv(out, delimiter)), std::vector<Fields>{fields});
  }
}

TEST(Utf8Cp1251Test, EveryByteRoundTripsAndForeignTextIsRefused) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = platform::Cp1251ToUtf8(all);
  EXPECT_TRUE(platform::IsValidUtf8(utf8));
  EXPECT_EQ(platform::Utf8ToCp1251(utf8), all);
  EXPECT_EQ(platform::Utf8ToCp1251("Ёлка €"), std::string("\xA8\xEB\xEA\xE0 \x88"));

  const struct {
    std::string text;
    std::size_t offset;
  } refused[] = {{"ab\u2713", 2},      // a character the code page lacks
                 {"a\U0001F600", 1},   // outside the Basic Multilingual Plane
                 {"ab\xC0\x80", 2},    // overlong NUL
                 {"\xED\xA0\x80", 0},  // a surrogate
                 {"abc\xD0", 3}};      // cut short
  for (const auto& r : refused) {
    std::size_t offset = 99;
    EXPECT_FALSE(platform::Utf8ToCp1251(r.text, &offset)) << r.text;
    EXPECT_EQ(offset, r.offset) << r.text;
  }
}

}  // namespace
}  // namespace kitrova::cli
