// The sorts: the selection sort's exact order, ties included, on the documented examples
// and on many generated tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/Sort.h"

namespace kitrova::core {
namespace {

constexpr RecordField kSortFields[] = {RecordField::Name, RecordField::Type, RecordField::License,
                                       RecordField::Year, RecordField::Comment};

void Put(CatalogTable& table, RecordField field, const std::string& key, const std::string& id) {
  DistroRecord record{};
  FieldOf(record, field).assign(key);
  record.Path.assign(id);
  table.append(record);
}

std::vector<std::string> Ids(const CatalogTable& table) {
  std::vector<std::string> ids;
  for (int k = 1; k <= table.count(); ++k) ids.push_back(table.at(k).Path.str());
  return ids;
}

// The steps as documented, with the key built afresh for every comparison.
bool DocumentedLess(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t k = 0; k < n; ++k) {
    const auto x = static_cast<unsigned char>(a[k]);
    const auto y = static_cast<unsigned char>(b[k]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

void DocumentedSort(CatalogTable& table, RecordField field) {
  const int n = table.count();
  for (int i = 1; i <= n - 1; ++i) {
    int m = i;
    for (int j = i + 1; j <= n; ++j) {
      if (DocumentedLess(SortKey(table.at(j), field), SortKey(table.at(m), field))) m = j;
    }
    std::swap(table.at(i), table.at(m));
  }
}

TEST(SortKeyTest, WholeStoredTextUpperCased) {
  DistroRecord record{};
  record.Name.assign(std::string("alpha\0beta", 10));
  EXPECT_EQ(SortKey(record, RecordField::Name), std::string("ALPHA\0BETA", 10));
  EXPECT_EQ(record.Name.str(), std::string("alpha\0beta", 10));  // the field stays as stored
}

TEST(SortTest, EmptyAndSingleTablesStay) {
  CatalogTable table;
  SortByName(table);
  EXPECT_EQ(table.count(), 0);
  Put(table, RecordField::Name, "x", "1");
  SortByName(table);
  EXPECT_EQ(Ids(table), std::vector<std::string>{"1"});
}

TEST(SortTest, EqualKeysChangeTheirOrderAsTheSelectionSortDoes) {
  CatalogTable table;
  Put(table, RecordField::Name, "B", "X");
  Put(table, RecordField::Name, "B", "Y");
  Put(table, RecordField::Name, "A", "Z");
  SortByName(table);
  EXPECT_EQ(Ids(table), (std::vector<std::string>{"Z", "Y", "X"}));
}

TEST(SortTest, CodePageOrderOfUpperCasedText) {
  CatalogTable table;
  Put(table, RecordField::Type, "\xE0\xF0\xE1\xF3\xE7", "arbuz");  // арбуз
  Put(table, RecordField::Type, "\xB8\xEB\xEA\xE0", "yolka");      // ёлка
  Put(table, RecordField::Type, "\xC0\xF0\xF5\xE8\xE2\xE0\xF2\xEE\xF0", "arkhivator");
  Put(table, RecordField::Type, "Zip", "zip");
  Put(table, RecordField::Type, "Adobe", "adobe");
  Put(table, RecordField::Type, "7-Zip", "7zip");
  Put(table, RecordField::Type, "ALPHA", "ALPHA");
  Put(table, RecordField::Type, "ALP", "ALP");
  Put(table, RecordField::Type, "", "empty");
  SortByType(table);
  EXPECT_EQ(Ids(table), (std::vector<std::string>{"empty", "7zip", "adobe", "ALP", "ALPHA", "zip",
                                                  "yolka", "arbuz", "arkhivator"}));
}

TEST(SortTest, YearsSortAsText) {
  CatalogTable table;
  Put(table, RecordField::Year, "999", "999");
  Put(table, RecordField::Year, "2005", "2005");
  Put(table, RecordField::Year, "", "none");
  SortByYear(table);
  EXPECT_EQ(Ids(table), (std::vector<std::string>{"none", "2005", "999"}));
}

TEST(SortTest, ReferenceSortFollowsTheDocumentedSteps) {
  std::mt19937 random(7);
  for (int round = 0; round < 20; ++round) {
    CatalogTable a;
    CatalogTable b;
    for (int k = 0; k < 60; ++k) {
      std::string key(random() % 3, 'a');
      for (char& c : key) c = "aAbB\xE0\xC0\xB8\xA8\0"[random() % 9];
      Put(a, RecordField::Comment, key, std::to_string(k));
      Put(b, RecordField::Comment, key, std::to_string(k));
    }
    SelectionSortByField(a, RecordField::Comment);
    DocumentedSort(b, RecordField::Comment);
    ASSERT_EQ(Ids(a), Ids(b)) << "round " << round;
  }
}

// Keys drawn from a few texts so that ties abound: Latin, Cyrillic, empty, NUL bytes,
// texts that differ only in case or after their eighth byte, prefixes, and 255-byte texts.
std::string RandomKey(std::mt19937& random, int variety) {
  static const std::string kPool[] = {"",
                                      "a",
                                      "A",
                                      "ab",
                                      "AB",
                                      "b",
                                      "7-Zip",
                                      "\xB8",
                                      "\xA8",
                                      "\xE0\xE1",
                                      "\xC0\xC1",
                                      "\xFF",
                                      std::string("\0", 1),
                                      std::string("a\0", 2),
                                      std::string("A\0b", 3),
                                      "Adobe Reader 9",
                                      "ADOBE READER 10",
                                      std::string("Adobe Re\0", 9),
                                      std::string(255, 'z'),
                                      std::string(254, 'Z')};
  constexpr int kPoolSize = static_cast<int>(std::size(kPool));
  if (static_cast<int>(random() % 4) != 0) return kPool[random() % std::min(variety, kPoolSize)];
  std::string key(random() % 5, ' ');
  for (char& c : key) c = static_cast<char>(random() % 256);
  return key;
}

void ExpectFastEqualsReference(CatalogTable& fast, CatalogTable& reference, int size, int variety,
                               std::mt19937& random) {
  const RecordField field = kSortFields[random() % 5];
  fast.clear();
  reference.clear();
  for (int k = 0; k < size; ++k) {
    DistroRecord record{};
    for (RecordField f : kSortFields) FieldOf(record, f).assign(RandomKey(random, variety));
    record.Path.assign(std::to_string(k));
    fast.append(record);
    reference.append(record);
  }
  SortByField(fast, field);
  SelectionSortByField(reference, field);
  ASSERT_EQ(fast.count(), size);
  ASSERT_EQ(std::memcmp(fast.records(), reference.records(), size * sizeof(DistroRecord)), 0)
      << "size " << size << ", variety " << variety << ", field " << static_cast<int>(field);
}

TEST(SortTest, FastSortEqualsTheSelectionSortOnGeneratedTables) {
  std::mt19937 random(20050307);
  CatalogTable fast;  // reused: each table is a 30 MB block
  CatalogTable reference;
  for (int round = 0; round < 300; ++round) {
    const int size = static_cast<int>(random() % 120);
    ExpectFastEqualsReference(fast, reference, size, 1 + static_cast<int>(random() % 20), random);
  }
  for (const int size : {2, 3, 1000, 3000}) {
    ExpectFastEqualsReference(fast, reference, size, 4, random);
    ExpectFastEqualsReference(fast, reference, size, 20, random);
  }
}

TEST(SortTest, SortingASortedTableChangesNothing) {
  CatalogTable table;
  std::vector<std::string> ids;
  for (int k = 0; k < 200; ++k) {
    Put(table, RecordField::License, std::string(1, static_cast<char>('a' + k / 40)),
        std::to_string(k));
    ids.push_back(std::to_string(k));
  }
  SortByLicense(table);
  EXPECT_EQ(Ids(table), ids);
}

}  // namespace
}  // namespace kitrova::core
