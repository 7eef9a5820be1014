#pragma once
// The three searches: records whose field contains SearchPrompt, without regard to case.
// Both texts are compared up to their first NUL. More than 100 matches: slots 1..99 hold
// the first 99, slot 100 the last one, the count stays 100.

#include "core/CatalogState.h"
#include "core/DistroRecord.h"

namespace kitrova::core {

void SearchByField(CatalogState& state, RecordField field);
void SearchByName(CatalogState& state);
void SearchByType(CatalogState& state);
void SearchByYear(CatalogState& state);

}  // namespace kitrova::core
