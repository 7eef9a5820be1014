#include "core/CatalogTable.h"

#include <new>
#include <stdexcept>
#include <string>

#include "core/CatalogError.h"
#include "core/PageMemory.h"

namespace kitrova::core {

namespace {

void CheckPosition(std::int32_t position, const char* what) {
  if (position < 1 || position > kCatalogCapacity) {
    throw std::out_of_range(std::string(what) + " position " + std::to_string(position) +
                            " outside 1.." + std::to_string(kCatalogCapacity));
  }
}

constexpr std::size_t kStorageBytes = kStorageCapacity * sizeof(DistroRecord);

}  // namespace

// Zeroed memory is a valid image of every record (all fields empty), and the system hands
// it out without touching 30 MB up front.
CatalogTable::CatalogTable()
    : storage_(static_cast<DistroRecord*>(detail::MapPages(kStorageBytes))) {
  if (!storage_) throw std::bad_alloc();
}

void CatalogTable::FreeStorage::operator()(DistroRecord* records) const noexcept {
  detail::UnmapPages(records, kStorageBytes);
}

void CatalogTable::discardScratch() noexcept {
  detail::DiscardPages(scratchRecords(), kCatalogCapacity * sizeof(DistroRecord));
}

void CatalogTable::setCount(std::int32_t count) {
  if (count < 0 || count > kCatalogCapacity) {
    throw std::out_of_range("record count " + std::to_string(count) + " outside 0.." +
                            std::to_string(kCatalogCapacity));
  }
  count_ = count;
}

DistroRecord& CatalogTable::at(std::int32_t position) {
  CheckPosition(position, "catalog");
  return records()[position - 1];
}

const DistroRecord& CatalogTable::at(std::int32_t position) const {
  CheckPosition(position, "catalog");
  return records()[position - 1];
}

DistroRecord& CatalogTable::scratch(std::int32_t position) {
  CheckPosition(position, "scratch");
  return scratchRecords()[position - 1];
}

void CatalogTable::adoptScratch(std::int32_t count) {
  setCount(count);
  front_ = back();
  discardScratch();
}

void CatalogTable::append(const DistroRecord& record) {
  if (full()) {
    throw CatalogError("В базе уже 10000 записей — больше добавить нельзя.", {},
                       std::make_error_code(std::errc::no_space_on_device));
  }
  records()[count_] = record;
  ++count_;
}

}  // namespace kitrova::core
