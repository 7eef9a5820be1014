// check maps a catalog file and reads standard input as raw bytes: both must find the same,
// in every format, and duplicates are the records whose six texts are equal.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "core/CatalogTable.h"
#include "support/Records.h"
#include "support/TempFolder.h"

namespace kitrova::cli {
namespace {

using testing::RecordFields;
using testing::RecordOf;

struct Result {
  int status;
  std::string out, err;
};

Result Check(const std::string& catalog, const std::string& format, const std::string& input) {
  const std::vector<const char*> argv = {"kitrova-cli", "check", catalog.c_str(), "--format",
                                         format.c_str()};
  std::istringstream in(input);
  std::streambuf* const kept = std::cin.rdbuf(in.rdbuf());
  std::ostringstream out, err;
  const int status = RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  std::cin.rdbuf(kept);
  return {status, out.str(), err.str()};
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(CheckReadingTest, AFileAndStandardInputGiveTheSameFindings) {
  core::DistroRecord junkBehind = RecordOf({.name = "a", .year = "2005"});
  junkBehind.Name.text[7] = 'x';  // past the length: not part of the text
  struct Case {
    const char* what;
    std::vector<core::DistroRecord> records;
    std::string tail;  // bytes after the whole records
    std::size_t duplicates, emptyNames;
  };
  const Case cases[] = {
      {"nothing", {}, "", 0, 0},
      {"equal names, other fields differ",
       {RecordOf({.name = "b", .year = "1"}), RecordOf({.name = "B", .year = "1"}),
        RecordOf({.name = "b", .year = "2"})},
       "",
       0,
       0},
      {"exact duplicates and empty names",
       {RecordOf({.name = "b", .comment = "\xC8\n"}), RecordOf({}),
        RecordOf({.name = "b", .comment = "\xC8\n"}), RecordOf({}), RecordOf({.name = "a"})},
       "",
       2,
       2},
      {"bytes behind a text do not count",
       {RecordOf({.name = "a", .year = "2005"}), junkBehind},
       "",
       1,
       0},
      {"a trailing piece", {RecordOf({.name = "a"}), RecordOf({.name = "a"})}, "xyz", 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string image(c.records.size() * core::kRecordSize, '\0');
    if (!c.records.empty()) std::memcpy(image.data(), c.records.data(), image.size());
    image += c.tail;
    testing::TempFolder folder;
    const std::string path = (folder.path() / "base.krv").string();
    testing::WriteFileBytes(folder.path() / "base.krv", image);
    for (const char* format : {"table", "csv", "json"}) {
      const Result fromFile = Check(path, format, "");
      const Result fromInput = Check("-", format, image);
      EXPECT_EQ(fromFile.status, fromInput.status);
      EXPECT_EQ(fromFile.out, fromInput.out);
      EXPECT_EQ(fromFile.err, fromInput.err);
      if (std::string(format) == "json") {
        EXPECT_EQ(Count(fromFile.out, "\"duplicate\""), c.duplicates);
        EXPECT_EQ(Count(fromFile.out, "\"empty-name\""), c.emptyNames);
        EXPECT_EQ(Count(fromFile.out, "\"structure\""), c.tail.empty() ? 0u : 1u);
      }
    }
  }
}

TEST(CheckReadingTest, MoreRecordsThanACatalogHoldsAreCountedNotNumbered) {
  const std::size_t count = core::kCatalogCapacity + 3;
  const std::string image(count * core::kRecordSize, '\0');
  testing::TempFolder folder;
  testing::WriteFileBytes(folder.path() / "big.krv", image);
  const Result fromFile = Check((folder.path() / "big.krv").string(), "json", "");
  const Result fromInput = Check("-", "json", image);
  EXPECT_EQ(fromFile.status, 1);
  EXPECT_EQ(fromFile.out, fromInput.out);
  EXPECT_NE(fromFile.out.find("\"records\": " + std::to_string(count)), std::string::npos);
  EXPECT_EQ(Count(fromFile.out, "\"empty-name\""), 0u);
}

}  // namespace
}  // namespace kitrova::cli
