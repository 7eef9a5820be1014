// Bytes as a .zip or .rar archive through libarchive and our reading of it: entries, the
// installer inside and its version resource, or a refusal with a reason.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "describe/ArchiveReader.h"
#include "describe/Description.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kitrova::describe;
  try {
    const Description d = ReadArchive(std::string_view(reinterpret_cast<const char*>(data), size));
    if (d.entries.size() > kMaxListedEntries || d.entries.size() > d.entryCount) std::abort();
  } catch (const DescribeError& error) {
    if (*error.what() == '\0') std::abort();
  }
  return 0;
}
