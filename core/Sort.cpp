#include "core/Sort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <vector>

#include "core/UpperCase.h"

namespace kitrova::core {

std::string SortKey(const DistroRecord& record, RecordField field) {
  return UpperCaseCp1251(FieldOf(record, field).view());
}

namespace {

// Byte order of the upper-cased texts, unsigned; a prefix is the smaller. Upper-cases on
// the fly so that the reference sort needs no allocation per comparison.
bool KeyLess(const DistroField& a, const DistroField& b) {
  const auto& upper = UpperTable();
  const std::size_t n = std::min<std::size_t>(a.length, b.length);
  for (std::size_t k = 0; k < n; ++k) {
    const unsigned char x = upper[static_cast<unsigned char>(a.text[k])];
    const unsigned char y = upper[static_cast<unsigned char>(b.text[k])];
    if (x != y) return x < y;
  }
  return a.length < b.length;
}

// Upper-cased keys of positions 1..n, computed once and packed end to end. The first eight
// bytes of each key, big-endian and zero-padded, settle most comparisons in one step.
class KeyBlock {
 public:
  KeyBlock(const DistroRecord* records, std::size_t n, RecordField field)
      : offsets_(n + 1), prefixes_(n) {
    for (std::size_t i = 0; i < n; ++i) {
      offsets_[i + 1] = offsets_[i] + FieldOf(records[i], field).length;
    }
    bytes_.resize(offsets_[n]);
    const auto& upper = UpperTable();
    for (std::size_t i = 0; i < n; ++i) {
      const DistroField& f = FieldOf(records[i], field);
      unsigned char* out = bytes_.data() + offsets_[i];
      std::uint64_t prefix = 0;
      for (std::size_t k = 0; k < f.length; ++k) {
        out[k] = upper[static_cast<unsigned char>(f.text[k])];
        if (k < 8) prefix |= static_cast<std::uint64_t>(out[k]) << (56 - 8 * k);
      }
      prefixes_[i] = prefix;
    }
  }

  // A prefix that differs decides as the whole key would: padding only meets a byte that
  // is either NUL (no difference) or larger, and the shorter key is then the smaller.
  int compare(std::size_t i, std::size_t j) const {
    if (prefixes_[i] != prefixes_[j]) return prefixes_[i] < prefixes_[j] ? -1 : 1;
    const std::size_t a = offsets_[i + 1] - offsets_[i];
    const std::size_t b = offsets_[j + 1] - offsets_[j];
    // Short keys (years, licenses) lie whole in their prefixes: equal ones differ in length only.
    if (a <= 8 && b <= 8) return a < b ? -1 : (a > b ? 1 : 0);
    const std::size_t n = std::min(a, b);
    const int c =
        n == 0 ? 0 : std::memcmp(bytes_.data() + offsets_[i], bytes_.data() + offsets_[j], n);
    if (c != 0) return c;
    return a < b ? -1 : (a > b ? 1 : 0);
  }

 private:
  std::vector<std::uint32_t> offsets_;
  std::vector<std::uint64_t> prefixes_;
  std::vector<unsigned char> bytes_;
};

// Dense ranks: equal keys get the same rank, a smaller key a smaller rank.
std::vector<std::uint32_t> RankKeys(const KeyBlock& keys, std::size_t n) {
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(),
            [&](std::uint32_t a, std::uint32_t b) { return keys.compare(a, b) < 0; });
  std::vector<std::uint32_t> rank(n);
  std::uint32_t r = 0;
  for (std::size_t k = 0; k < n; ++k) {
    if (k > 0 && keys.compare(order[k - 1], order[k]) != 0) ++r;
    rank[order[k]] = r;
  }
  return rank;
}

// Replays the selection sort on indices. Step i picks the lowest position holding the
// smallest key among positions i..n-1 and swaps it with i. The steps go key by key: while
// key r is placed, the record that leaves position i has a larger key, so the positions
// holding r are picked in ascending order, read once when r's turn comes. Returns
// arrangement[k] = original index of the record that ends at k.
std::vector<std::uint32_t> ReplaySelection(const std::vector<std::uint32_t>& rank) {
  const std::size_t n = rank.size();
  std::vector<std::uint32_t> arrangement(n);
  std::iota(arrangement.begin(), arrangement.end(), 0u);
  if (n < 2) return arrangement;

  // The records of each rank, by a counting sort.
  const std::uint32_t ranks = *std::max_element(rank.begin(), rank.end()) + 1;
  std::vector<std::uint32_t> start(ranks + 1, 0);
  for (std::uint32_t r : rank) ++start[r + 1];
  for (std::uint32_t r = 0; r < ranks; ++r) start[r + 1] += start[r];
  std::vector<std::uint32_t> members(n);
  {
    std::vector<std::uint32_t> fill(start.begin(), start.end() - 1);
    for (std::uint32_t e = 0; e < n; ++e) members[fill[rank[e]]++] = e;
  }
  // Keys all different: the order is simply the sorted one.
  if (ranks == n) return members;

  std::vector<std::uint32_t> where(arrangement);  // where[e]: the position of record e now
  std::vector<std::uint32_t> picks;
  std::uint32_t i = 0;
  for (std::uint32_t r = 0; r < ranks; ++r) {
    picks.clear();
    for (std::uint32_t k = start[r]; k < start[r + 1]; ++k) picks.push_back(where[members[k]]);
    std::sort(picks.begin(), picks.end());
    for (std::uint32_t m : picks) {
      if (m != i) {
        const std::uint32_t leaving = arrangement[i];
        const std::uint32_t coming = arrangement[m];
        arrangement[i] = coming;
        arrangement[m] = leaving;
        where[coming] = i;
        where[leaving] = m;
      }
      ++i;
    }
  }
  return arrangement;
}

// Puts record arrangement[k] at position k, following each cycle so that every record
// moves once, as a whole image, through one record of room.
void ApplyArrangement(DistroRecord* records, std::vector<std::uint32_t>& arrangement) {
  const std::size_t n = arrangement.size();
  DistroRecord held;
  for (std::size_t start = 0; start < n; ++start) {
    if (arrangement[start] == start) continue;
    std::memcpy(&held, &records[start], sizeof(DistroRecord));
    std::size_t k = start;
    while (arrangement[k] != start) {
      const std::size_t from = arrangement[k];
      std::memcpy(&records[k], &records[from], sizeof(DistroRecord));
      arrangement[k] = static_cast<std::uint32_t>(k);  // placed
      k = from;
    }
    std::memcpy(&records[k], &held, sizeof(DistroRecord));
    arrangement[k] = static_cast<std::uint32_t>(k);
  }
}

}  // namespace

void SortByField(CatalogTable& table, RecordField field) {
  const std::size_t n = static_cast<std::size_t>(table.count());
  if (n < 2) return;
  DistroRecord* records = table.records();
  std::vector<std::uint32_t> arrangement =
      ReplaySelection(RankKeys(KeyBlock(records, n, field), n));
  ApplyArrangement(records, arrangement);
}

std::vector<std::int32_t> SortedPositions(const CatalogTable& table, RecordField field) {
  const std::size_t n = static_cast<std::size_t>(table.count());
  std::vector<std::uint32_t> arrangement =
      ReplaySelection(RankKeys(KeyBlock(table.records(), n, field), n));
  std::vector<std::int32_t> positions(n);
  for (std::size_t k = 0; k < n; ++k) positions[k] = static_cast<std::int32_t>(arrangement[k]) + 1;
  return positions;
}

void SortByName(CatalogTable& table) {
  SortByField(table, RecordField::Name);
}
void SortByType(CatalogTable& table) {
  SortByField(table, RecordField::Type);
}
void SortByLicense(CatalogTable& table) {
  SortByField(table, RecordField::License);
}
void SortByYear(CatalogTable& table) {
  SortByField(table, RecordField::Year);
}
void SortByComment(CatalogTable& table) {
  SortByField(table, RecordField::Comment);
}

void SelectionSortByField(CatalogTable& table, RecordField field) {
  const std::int32_t n = table.count();
  if (n < 2) return;
  for (std::int32_t i = 1; i <= n - 1; ++i) {
    std::int32_t m = i;
    for (std::int32_t j = i + 1; j <= n; ++j) {
      if (KeyLess(FieldOf(table.at(j), field), FieldOf(table.at(m), field))) m = j;
    }
    if (m != i) std::swap(table.at(i), table.at(m));
  }
}

}  // namespace kitrova::core
