// The searches: case, position, text comparison, NUL ends and more than 100 matches.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Search.h"
#include "support/Records.h"

namespace kitrova::core {
namespace {

class SearchTest : public ::testing::Test {
 protected:
  CatalogState state{"/nowhere"};

  void Add(const std::string& name, const std::string& type = "", const std::string& year = "") {
    state.DistroTable.append(testing::RecordOf({.name = name, .type = type, .year = year}));
  }
  std::vector<int> Found() const {
    const SearchResultList& r = state.SearchResults;
    EXPECT_EQ(r.found, r.count > 0);
    for (int k = r.count + 1; k <= kSearchSlots; ++k) EXPECT_EQ(r.slot(k), 0) << "slot " << k;
    return std::vector<int>(r.rows.begin(), r.rows.begin() + r.count);
  }
};

TEST_F(SearchTest, EmptyTableOrEmptyPromptFindsNothing) {
  state.SearchPrompt = "a";
  SearchByName(state);
  EXPECT_TRUE(Found().empty());
  Add("abc");
  state.SearchPrompt = "";
  SearchByName(state);
  EXPECT_TRUE(Found().empty());
}

TEST_F(SearchTest, CaseDoesNotMatterForLatinAndCyrillic) {
  Add("WinRAR");
  Add("\xC0\xD0\xC1\xD3\xC7 \xA8");  // АРБУЗ Ё
  Add("other");
  state.SearchPrompt = "winrar";
  SearchByName(state);
  EXPECT_EQ(Found(), std::vector<int>{1});
  state.SearchPrompt = "\xF0\xE1\xF3\xE7 \xB8";  // рбуз ё
  SearchByName(state);
  EXPECT_EQ(Found(), std::vector<int>{2});
}

TEST_F(SearchTest, YearIsComparedAsText) {
  Add("a", "", "2004");
  Add("b", "", "04");
  state.SearchPrompt = "04";
  SearchByYear(state);
  EXPECT_EQ(Found(), (std::vector<int>{1, 2}));
  state.SearchPrompt = "2004";
  SearchByYear(state);
  EXPECT_EQ(Found(), std::vector<int>{1});
}

TEST_F(SearchTest, SpacesAndLengthMustFit) {
  Add("x", "Office suite");
  Add("y", "Office");
  state.SearchPrompt = "office ";
  SearchByType(state);
  EXPECT_EQ(Found(), std::vector<int>{1});
  state.SearchPrompt = "Office suite!";
  SearchByType(state);
  EXPECT_TRUE(Found().empty());
  state.SearchPrompt = std::string(300, 'a');
  Add(std::string(255, 'a'));
  SearchByName(state);
  EXPECT_TRUE(Found().empty());
}

TEST_F(SearchTest, NulEndsBothTexts) {
  Add(std::string("ab\0cd", 5));
  Add("xaby");
  state.SearchPrompt = "cd";
  SearchByName(state);
  EXPECT_TRUE(Found().empty());
  state.SearchPrompt = std::string("ab\0zz", 5);
  SearchByName(state);
  EXPECT_EQ(Found(), (std::vector<int>{1, 2}));
  state.SearchPrompt = std::string("\0a", 2);
  SearchByName(state);
  EXPECT_TRUE(Found().empty());
}

TEST_F(SearchTest, PositionsInTableOrderAndASecondSearchClearsTheFirst) {
  for (int k = 1; k <= 9; ++k) Add(k == 2 || k == 5 || k == 9 ? "hit" : "miss");
  state.SearchPrompt = "HIT";
  SearchByName(state);
  EXPECT_EQ(Found(), (std::vector<int>{2, 5, 9}));
  state.SearchPrompt = "mis";
  SearchByName(state);
  EXPECT_EQ(Found(), (std::vector<int>{1, 3, 4, 6, 7, 8}));
  state.SearchPrompt = "none";
  SearchByName(state);
  EXPECT_TRUE(Found().empty());
}

TEST_F(SearchTest, MoreThanHundredMatchesKeepTheFirstAndTheLast) {
  for (int k = 1; k <= 250; ++k) Add(k % 2 == 1 ? "match" : "other");
  state.SearchPrompt = "match";
  SearchByName(state);
  const SearchResultList& r = state.SearchResults;
  EXPECT_TRUE(r.found);
  EXPECT_EQ(r.count, 100);
  EXPECT_EQ(r.first(), 1);
  EXPECT_EQ(r.slot(99), 197);
  EXPECT_EQ(r.last(), 249);
}

}  // namespace
}  // namespace kitrova::core
