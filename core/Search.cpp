#include "core/Search.h"

#include <array>
#include <string>
#include <string_view>

#include "core/UpperCase.h"

namespace kitrova::core {

namespace {

// Both texts end at their first NUL for the comparison.
std::string_view UpToNul(std::string_view text) {
  const std::size_t nul = text.find('\0');
  return nul == std::string_view::npos ? text : text.substr(0, nul);
}

void Record(SearchResultList& results, std::int32_t position) {
  results.found = true;
  if (results.count < kSearchSlots) {
    ++results.count;
    results.rows[static_cast<std::size_t>(results.count - 1)] = position;
  } else {
    // Full: slot 100 follows the latest match so the last slot stays the last match.
    results.rows[kSearchSlots - 1] = position;
  }
}

}  // namespace

void SearchByField(CatalogState& state, RecordField field) {
  SearchResultList& results = state.SearchResults;
  results = SearchResultList{};

  const std::string prompt = UpperCaseCp1251(UpToNul(state.SearchPrompt));
  if (prompt.empty() || prompt.size() > kFieldTextSize) return;

  const CatalogTable& table = state.DistroTable;
  std::array<char, kFieldTextSize> upper{};
  for (std::int32_t i = 1; i <= table.count(); ++i) {
    const std::string_view text = UpToNul(FieldOf(table.at(i), field).view());
    if (text.size() < prompt.size()) continue;
    for (std::size_t k = 0; k < text.size(); ++k) upper[k] = UpperCp1251(text[k]);
    if (std::string_view(upper.data(), text.size()).find(prompt) != std::string_view::npos) {
      Record(results, i);
    }
  }
}

void SearchByName(CatalogState& state) {
  SearchByField(state, RecordField::Name);
}
void SearchByType(CatalogState& state) {
  SearchByField(state, RecordField::Type);
}
void SearchByYear(CatalogState& state) {
  SearchByField(state, RecordField::Year);
}

}  // namespace kitrova::core
