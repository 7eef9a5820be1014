#pragma once
// What kitrova-cli makes of an installer's own description: the texts of a new record, and
// the SHA-256 that tells two copies of one installer apart from two installers.

#include <filesystem>
#include <optional>
#include <string>

#include "describe/Description.h"

namespace kitrova::cli {

// Record texts in UTF-8, before conversion and cutting: Name from product name and version,
// Comment from description and maker, the year when the installer justifies one.
struct DescribedTexts {
  std::string name;
  std::string comment;
  std::optional<int> year;
};
DescribedTexts RecordTextsOf(const describe::Description& d);

// Hex SHA-256 of the whole file (nettle); throws CliError when unreadable.
std::string Sha256Of(const std::filesystem::path& file);

}  // namespace kitrova::cli
