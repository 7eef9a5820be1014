// The order of a sort as positions: the records the sort would put at 1, 2, ... , read
// where they are, match the table the selection sort leaves, equal keys included.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "core/Sort.h"
#include "support/Records.h"

namespace kitrova::core {
namespace {

using testing::RecordOf;

TEST(SortedPositionsTest, ReadsTheSelectionSortsOrderWithoutMovingARecord) {
  // Few distinct keys, so that most comparisons are ties and the unstable order shows.
  const char* const texts[] = {"b", "B", "a", "", "\xB8", "\xA8", "7", "ab"};
  for (int count : {0, 1, 2, 3, 50, 301}) {
    std::mt19937 random(static_cast<unsigned>(count));
    CatalogTable table;
    CatalogTable reference;
    for (int k = 0; k < count; ++k) {
      const std::string id = std::to_string(k);
      DistroRecord record = RecordOf({.name = texts[random() % 8],
                                      .type = texts[random() % 8],
                                      .license = texts[random() % 8],
                                      .year = texts[random() % 8],
                                      .comment = texts[random() % 8],
                                      .path = id});
      table.append(record);
    }
    for (int f = 0; f < 5; ++f) {
      SCOPED_TRACE(std::to_string(count) + " records, field " + std::to_string(f));
      const RecordField field = static_cast<RecordField>(f);
      const std::vector<std::int32_t> order = SortedPositions(table, field);
      reference.clear();
      for (int k = 1; k <= count; ++k) reference.append(table.at(k));
      SelectionSortByField(reference, field);
      ASSERT_EQ(order.size(), static_cast<std::size_t>(count));
      for (int k = 1; k <= count; ++k) {
        EXPECT_EQ(table.at(order[static_cast<std::size_t>(k - 1)]).Path.str(),
                  reference.at(k).Path.str());
      }
      // The table itself is as it was.
      for (int k = 1; k <= count; ++k) EXPECT_EQ(table.at(k).Path.str(), std::to_string(k - 1));
    }
  }
}

}  // namespace
}  // namespace kitrova::core
