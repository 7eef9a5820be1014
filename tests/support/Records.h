#pragma once
// Records and catalog files as the tests build them, in Windows-1251 bytes (no toolkit).

#include <string>
#include <string_view>
#include <vector>

#include "core/DistroRecord.h"

namespace kitrova::testing {

// The six fields' bytes, in file order; fields left out stay empty.
struct RecordFields {
  std::string_view name = {}, type = {}, license = {}, year = {}, comment = {}, path = {};
};

inline core::DistroRecord RecordOf(const RecordFields& f) {
  core::DistroRecord r{};
  r.Name.assign(f.name);
  r.Type.assign(f.type);
  r.License.assign(f.license);
  r.Year.assign(f.year);
  r.Comment.assign(f.comment);
  r.Path.assign(f.path);
  return r;
}

// The 1536 bytes a catalog file holds for `record`.
inline std::string RecordImage(const core::DistroRecord& record) {
  return std::string(reinterpret_cast<const char*>(&record), sizeof record);
}

// A catalog file's bytes: the records one after another.
inline std::string CatalogImage(const std::vector<core::DistroRecord>& records) {
  std::string bytes;
  for (const core::DistroRecord& r : records) bytes += RecordImage(r);
  return bytes;
}

}  // namespace kitrova::testing
