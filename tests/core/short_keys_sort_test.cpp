// Keys of up to eight bytes are decided by their packed prefixes and lengths alone; NUL bytes
// and keys either side of eight bytes must still sort as the selection sort sorts them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "core/Sort.h"
#include "support/Records.h"

namespace kitrova::core {
namespace {

using namespace std::string_literals;
using testing::RecordOf;

TEST(ShortKeysSortTest, NulBytesAndLengthsAroundEightSortAsTheSelectionSort) {
  const std::vector<std::string> texts = {
      ""s,         "\0"s,        "a"s,          "a\0"s,       "A\0\0"s,   "1234567"s,
      "12345678"s, "1234567\0"s, "12345678\0"s, "123456789"s, "\xFF"s,    "\xFF\0\xFF"s,
      "2005"s,     "2005 "s,     "\xE0\xE1"s,   "\xC0\xC1"s,  "12345678"s};
  for (unsigned seed : {1u, 2u, 3u}) {
    std::mt19937 random(seed);
    CatalogTable table;
    CatalogTable reference;
    for (int k = 0; k < 200; ++k) {
      const std::string& text = texts[random() % texts.size()];
      table.append(RecordOf({.year = text, .path = std::to_string(k)}));
      reference.append(table.at(k + 1));
    }
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::vector<std::int32_t> order = SortedPositions(table, RecordField::Year);
    SelectionSortByField(reference, RecordField::Year);
    for (int k = 1; k <= table.count(); ++k) {
      EXPECT_EQ(table.at(order[static_cast<std::size_t>(k - 1)]).Path.str(),
                reference.at(k).Path.str());
    }
  }
}

}  // namespace
}  // namespace kitrova::core
