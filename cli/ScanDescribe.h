#pragma once
// scan --describe: a new record's Name, Year and Comment from what the installer says about
// itself, in Windows-1251 and cut to the field.

#include <filesystem>
#include <optional>
#include <string>

#include "core/DistroRecord.h"

namespace kitrova::cli {

struct DescribedRecord {
  std::optional<core::DistroRecord> record;  // none: refused, `message` says why
  std::string message;                       // for standard error; empty when all went well
};

// `plain` is the record scan makes without --describe (name from the file, year from its
// modification time); what the installer does not say is kept from it. A text that
// Windows-1251 cannot hold refuses the record rather than being changed.
DescribedRecord DescribeRecord(const std::filesystem::path& file, const core::DistroRecord& plain);

}  // namespace kitrova::cli
