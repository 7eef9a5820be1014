#pragma once
// The three searches: records whose field contains SearchPrompt, without regard to case.
// Both texts are compared up to their first NUL. More than 100 matches: slots 1..99 hold
// the first 99, slot 100 the last one, the count stays 100.

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/CatalogState.h"
#include "core/DistroRecord.h"

namespace kitrova::core {

void SearchByField(CatalogState& state, RecordField field);
// Every position 1..count whose field matches `prompt` by the same rules, without the limit
// of 100 slots (the command-line tool lists them all).
std::vector<std::int32_t> MatchingPositions(const CatalogTable& table, RecordField field,
                                            std::string_view prompt);
void SearchByName(CatalogState& state);
void SearchByType(CatalogState& state);
void SearchByYear(CatalogState& state);

}  // namespace kitrova::core
