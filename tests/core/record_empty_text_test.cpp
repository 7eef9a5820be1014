// Emptying a field with an empty text, whatever pointer the empty view carries (the
// undefined-behaviour sanitizer catches a null pointer handed to the byte copy).
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/DistroRecord.h"

namespace kitrova::core {
namespace {

TEST(RecordEmptyTextTest, EmptyTextsClearTheField) {
  DistroField field;
  for (const std::string_view empty : {std::string_view(), std::string_view("", 0)}) {
    field.assign("something");
    field.assign(empty);
    EXPECT_EQ(field.length, 0);
    EXPECT_EQ(std::string(field.text, kFieldTextSize), std::string(kFieldTextSize, '\0'));
  }
  field.assign("x");
  field.clear();
  EXPECT_EQ(field.str(), "");
}

}  // namespace
}  // namespace kitrova::core
