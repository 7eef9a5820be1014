#pragma once
// The five sorts. Each produces exactly the order of the selection sort below (equal keys
// included: it is not stable), computed in O(n log n).

#include <cstdint>
#include <string>
#include <vector>

#include "core/CatalogTable.h"
#include "core/DistroRecord.h"

namespace kitrova::core {

// The whole stored text of the field, upper-cased (a NUL byte is an ordinary byte).
std::string SortKey(const DistroRecord& record, RecordField field);

void SortByField(CatalogTable& table, RecordField field);
// The order SortByField would give, without moving a record: element k is the position
// (1-based) of the record the sort would put at position k + 1.
std::vector<std::int32_t> SortedPositions(const CatalogTable& table, RecordField field);
void SortByName(CatalogTable& table);
void SortByType(CatalogTable& table);
void SortByLicense(CatalogTable& table);
void SortByYear(CatalogTable& table);
void SortByComment(CatalogTable& table);

// The selection sort as it was first written: n(n-1)/2 comparisons, a swap per pass. Kept
// as the reference order for the tests and the baseline of the benchmarks.
void SelectionSortByField(CatalogTable& table, RecordField field);

}  // namespace kitrova::core
