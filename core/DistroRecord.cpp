#include "core/DistroRecord.h"

#include <algorithm>
#include <cstring>

namespace kitrova::core {

void DistroField::assign(std::string_view value) {
  const std::size_t n = std::min(value.size(), kFieldTextSize);
  // memmove: the value may be a view into this very field. An empty view may hold a null
  // pointer, which memmove must never get, even for no bytes.
  if (n > 0) std::memmove(text, value.data(), n);
  std::memset(text + n, 0, kFieldTextSize - n);
  length = static_cast<std::uint8_t>(n);
}

const DistroField& FieldOf(const DistroRecord& record, RecordField field) {
  switch (field) {
    case RecordField::Name:
      return record.Name;
    case RecordField::Type:
      return record.Type;
    case RecordField::License:
      return record.License;
    case RecordField::Year:
      return record.Year;
    case RecordField::Comment:
      return record.Comment;
    case RecordField::Path:
      return record.Path;
  }
  return record.Name;
}

DistroField& FieldOf(DistroRecord& record, RecordField field) {
  return const_cast<DistroField&>(FieldOf(static_cast<const DistroRecord&>(record), field));
}

}  // namespace kitrova::core
