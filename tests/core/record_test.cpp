// The record image, field cutting, the table's bounds and the error texts.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "core/CatalogError.h"
#include "core/CatalogState.h"
#include "core/CatalogTable.h"
#include "core/DistroRecord.h"

namespace kitrova::core {
namespace {

TEST(DistroRecordTest, FieldsLieAtTheirFileOffsets) {
  DistroRecord record{};
  record.Type.assign("T");
  record.Path.assign("P");
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  EXPECT_EQ(bytes[256], 1);
  EXPECT_EQ(bytes[257], 'T');
  EXPECT_EQ(bytes[1280], 1);
  EXPECT_EQ(bytes[1281], 'P');
}

TEST(DistroRecordTest, LongTextIsCutTo255AndTheRestIsZero) {
  DistroRecord record{};
  record.Name.assign(std::string(300, 'x'));
  EXPECT_EQ(record.Name.length, 255);
  EXPECT_EQ(record.Name.str(), std::string(255, 'x'));

  record.Name.assign("ab");
  EXPECT_EQ(record.Name.str(), "ab");
  for (std::size_t k = 2; k < kFieldTextSize; ++k) ASSERT_EQ(record.Name.text[k], 0) << k;
}

TEST(DistroRecordTest, AssigningAPartOfItselfKeepsTheText) {
  DistroField field;
  field.assign("abcdef");
  field.assign(field.view().substr(2));
  EXPECT_EQ(field.str(), "cdef");
}

TEST(CatalogTableTest, StartsEmptyAndZeroed) {
  CatalogTable table;
  EXPECT_EQ(table.count(), 0);
  const DistroRecord zero{};
  EXPECT_EQ(std::memcmp(&table.at(kCatalogCapacity), &zero, sizeof zero), 0);
  EXPECT_EQ(std::memcmp(&table.scratch(kCatalogCapacity), &zero, sizeof zero), 0);
}

TEST(CatalogTableTest, PositionsOutsideTheStorageAreRefused) {
  CatalogTable table;
  EXPECT_THROW(table.at(0), std::out_of_range);
  EXPECT_THROW(table.at(kCatalogCapacity + 1), std::out_of_range);
  EXPECT_THROW(table.scratch(0), std::out_of_range);
  EXPECT_THROW(table.scratch(kCatalogCapacity + 1), std::out_of_range);
  EXPECT_THROW(table.setCount(-1), std::out_of_range);
  EXPECT_THROW(table.setCount(kCatalogCapacity + 1), std::out_of_range);
}

TEST(CatalogTableTest, ScratchIsTheSecondHalfOfTheBlock) {
  CatalogTable table;
  EXPECT_EQ(&table.scratch(1), table.records() + kCatalogCapacity);
  table.scratch(1).Name.assign("scratch");
  EXPECT_EQ(table.at(kCatalogCapacity).Name.length, 0);
}

TEST(CatalogTableTest, AppendToAFullTableIsRefused) {
  CatalogTable table;
  DistroRecord record{};
  record.Name.assign("first");
  table.append(record);
  EXPECT_EQ(table.count(), 1);
  EXPECT_EQ(table.at(1).Name.str(), "first");

  table.setCount(kCatalogCapacity);
  record.Name.assign("one too many");
  try {
    table.append(record);
    FAIL() << "a full table took another record";
  } catch (const CatalogError& error) {
    EXPECT_NE(std::string(error.what()).find("10000"), std::string::npos);
  }
  EXPECT_EQ(table.count(), kCatalogCapacity);
  EXPECT_EQ(table.scratch(1).Name.length, 0);
}

TEST(SearchResultListTest, SlotsAreOneBasedAndChecked) {
  SearchResultList results;
  results.rows[0] = 7;
  results.rows[99] = 9;
  results.count = 100;
  EXPECT_EQ(results.first(), 7);
  EXPECT_EQ(results.last(), 9);
  EXPECT_THROW(results.slot(0), std::out_of_range);
  EXPECT_THROW(results.slot(101), std::out_of_range);
}

TEST(CatalogErrorTest, MessageIsThePlatformTextAndThePath) {
  const auto code = std::make_error_code(std::errc::no_such_file_or_directory);
  const CatalogError error = CatalogError::FromCode(code, "/x/base.krv");
  EXPECT_EQ(std::string(error.what()), code.message() + ": /x/base.krv");
  EXPECT_EQ(error.path(), "/x/base.krv");
  EXPECT_EQ(error.code(), code);
}

}  // namespace
}  // namespace kitrova::core
