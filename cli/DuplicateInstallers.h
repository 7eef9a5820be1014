#pragma once
// check --duplicates: records whose installers are the same file under two paths.

#include <cstdint>
#include <string>
#include <vector>

#include "core/CatalogTable.h"

namespace kitrova::cli {

struct SameInstaller {
  std::int32_t position = 0;  // the later record, in the table's order
  std::string message;        // names the earlier record, the size, the hash and the path
};

// One finding per record whose installer has the size and SHA-256 of an earlier record's
// installer at another path. Paths that name no readable file here are left to --installers.
std::vector<SameInstaller> DuplicateInstallers(const core::CatalogTable& table);

}  // namespace kitrova::cli
