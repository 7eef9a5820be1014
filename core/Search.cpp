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

template <typename OnMatch>
void ForEachMatch(const CatalogTable& table, RecordField field, std::string_view prompt,
                  OnMatch onMatch) {
  const std::string upperPrompt = UpperCaseCp1251(UpToNul(prompt));
  if (upperPrompt.empty() || upperPrompt.size() > kFieldTextSize) return;

  std::array<char, kFieldTextSize> upper{};
  for (std::int32_t i = 1; i <= table.count(); ++i) {
    const std::string_view text = UpToNul(FieldOf(table.at(i), field).view());
    if (text.size() < upperPrompt.size()) continue;
    for (std::size_t k = 0; k < text.size(); ++k) upper[k] = UpperCp1251(text[k]);
    if (std::string_view(upper.data(), text.size()).find(upperPrompt) != std::string_view::npos) {
      onMatch(i);
    }
  }
}

}  // namespace

void SearchByField(CatalogState& state, RecordField field) {
  SearchResultList& results = state.SearchResults;
  results = SearchResultList{};
  ForEachMatch(state.DistroTable, field, state.SearchPrompt,
               [&](std::int32_t position) { Record(results, position); });
}

std::vector<std::int32_t> MatchingPositions(const CatalogTable& table, RecordField field,
                                            std::string_view prompt) {
  std::vector<std::int32_t> positions;
  ForEachMatch(table, field, prompt, [&](std::int32_t position) { positions.push_back(position); });
  return positions;
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
