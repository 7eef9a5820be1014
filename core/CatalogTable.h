#pragma once
// The catalog in memory: one block of 20000 records allocated once for the whole run.
// One half holds the catalog (positions 1..10000), the other is the scratch table of the
// delete command. Loading reads a file into the scratch half and then lets the halves
// change roles, so a failed load leaves the catalog whole and a good one copies nothing.
// All access is 1-based and checked, so nothing writes past the storage.
// The block is zero pages from the system: only the records written ever take memory, and
// the half a load leaves behind is given back, so the process holds one catalog, not two.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/DistroRecord.h"

namespace kitrova::core {

inline constexpr std::int32_t kCatalogCapacity = 10000;
inline constexpr std::int32_t kStorageCapacity = 2 * kCatalogCapacity;

class CatalogTable {
 public:
  CatalogTable();
  CatalogTable(const CatalogTable&) = delete;
  CatalogTable& operator=(const CatalogTable&) = delete;

  std::int32_t count() const noexcept { return count_; }
  bool full() const noexcept { return count_ >= kCatalogCapacity; }
  // 0..kCatalogCapacity; anything else throws std::out_of_range.
  void setCount(std::int32_t count);
  void clear() noexcept { count_ = 0; }

  // Catalog position 1..kCatalogCapacity (not limited to count: the delete command and
  // loading write the position before the count grows). Throws std::out_of_range.
  DistroRecord& at(std::int32_t position);
  const DistroRecord& at(std::int32_t position) const;
  // Scratch position 1..kCatalogCapacity. Throws std::out_of_range.
  DistroRecord& scratch(std::int32_t position);

  // Copies `record` to position count + 1 and grows the count. A full table is refused
  // with CatalogError and stays as it was.
  void append(const DistroRecord& record);

  // Positions 1..count as a contiguous array (index 0 is position 1).
  DistroRecord* records() noexcept { return storage_.get() + front_; }
  const DistroRecord* records() const noexcept { return storage_.get() + front_; }

  // The scratch half as one array of kCatalogCapacity records, to load into.
  DistroRecord* scratchRecords() noexcept { return storage_.get() + back(); }
  // The scratch half becomes the catalog with `count` records (0..kCatalogCapacity, else
  // std::out_of_range and nothing changes); the catalog half becomes the scratch, all zero
  // and holding no memory.
  void adoptScratch(std::int32_t count);

 private:
  std::size_t back() const noexcept { return front_ == 0 ? kCatalogCapacity : 0; }

  struct FreeStorage {
    void operator()(DistroRecord* records) const noexcept;
  };
  // The scratch half reads zero again and holds no memory.
  void discardScratch() noexcept;
  std::unique_ptr<DistroRecord[], FreeStorage> storage_;
  std::int32_t count_ = 0;
  std::size_t front_ = 0;  // where the catalog half starts in the block
};

}  // namespace kitrova::core
