#pragma once
// check --duplicates: records whose installers are the same file under two paths.

#include <string>
#include <vector>

#include "core/DistroRecord.h"

namespace kitrova::cli {

// One finding per record whose installer has the size and SHA-256 of an earlier record's
// installer at another path, naming both positions (1-based, in file order). Paths that name
// no readable file here are left to --installers.
std::vector<std::string> DuplicateInstallers(const std::vector<core::DistroRecord>& records);

}  // namespace kitrova::cli
