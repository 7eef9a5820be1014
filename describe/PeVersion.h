#pragma once
// The version resource of a Windows executable (PE32 or PE32+), read from the headers, the
// section table and the resource directory alone: a few kilobytes whatever the file's size.

#include <map>
#include <string>

#include "describe/ByteSource.h"

namespace kitrova::describe {

struct VersionResource {
  bool present = false;                        // false: a sound executable without one
  std::map<std::string, std::string> strings;  // first string table, key -> value (UTF-8)
  std::string fileVersionNumber;               // from the fixed part, "1.2.3.4"
  std::string productVersionNumber;
};

// Throws DescribeError when the file is not a sound executable or its resources are damaged.
VersionResource ReadVersionResource(ByteSource& source);

// Little-endian UTF-16 to UTF-8, up to the first NUL; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes);

}  // namespace kitrova::describe
