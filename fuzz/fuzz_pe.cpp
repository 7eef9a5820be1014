// Bytes as a Windows executable: the version-resource reader either reads it or refuses it
// with a reason; it never reads outside the bytes, loops or allocates without bound.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "describe/ByteSource.h"
#include "describe/Description.h"
#include "describe/PeVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kitrova::describe;
  MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    const VersionResource v = ReadVersionResource(source);
    if (!v.present && !v.strings.empty()) {
      std::fprintf(stderr, "strings without a version resource\n");
      std::abort();
    }
  } catch (const DescribeError& error) {
    if (*error.what() == '\0') std::abort();  // a refusal always says why
  }
  return 0;
}
