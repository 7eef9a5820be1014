#include "core/CatalogState.h"

#include <stdexcept>
#include <string>

namespace kitrova::core {

std::int32_t SearchResultList::slot(int k) const {
  if (k < 1 || k > kSearchSlots) {
    throw std::out_of_range("search slot " + std::to_string(k) + " outside 1..100");
  }
  return rows[static_cast<std::size_t>(k - 1)];
}

}  // namespace kitrova::core
