#pragma once
// One catalog record, laid out exactly as it is stored in a .krv file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace kitrova::core {

inline constexpr std::size_t kFieldTextSize = 255;
inline constexpr std::size_t kFieldSize = 256;
inline constexpr std::size_t kRecordSize = 1536;
inline constexpr int kFieldCount = 6;

// A length byte followed by 255 text bytes (Windows-1251). Only the first `length`
// bytes mean anything; we keep the rest zero so saved files are deterministic.
struct DistroField {
  std::uint8_t length = 0;
  char text[kFieldTextSize] = {};

  std::string_view view() const { return {text, length}; }
  std::string str() const { return std::string(view()); }
  // Stores the first 255 bytes of `value`; the bytes behind it become zero.
  void assign(std::string_view value);
  void clear() { assign({}); }
};

struct DistroRecord {
  DistroField Name;
  DistroField Type;
  DistroField License;
  DistroField Year;
  DistroField Comment;
  DistroField Path;
};

static_assert(sizeof(DistroField) == kFieldSize);
static_assert(sizeof(DistroRecord) == kRecordSize, "the record image is 1536 bytes");
static_assert(std::is_trivially_copyable_v<DistroRecord>);
static_assert(std::is_standard_layout_v<DistroRecord>);

// The fields in file order; the first five are also the grid's columns 0 to 4.
enum class RecordField { Name = 0, Type = 1, License = 2, Year = 3, Comment = 4, Path = 5 };

const DistroField& FieldOf(const DistroRecord& record, RecordField field);
DistroField& FieldOf(DistroRecord& record, RecordField field);

}  // namespace kitrova::core
