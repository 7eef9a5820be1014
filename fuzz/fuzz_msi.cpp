// Bytes as an .msi: our compound-file reader, the string pool, the Property table and the
// summary information, or a refusal with a reason; never a read outside the bytes or a loop.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "describe/ByteSource.h"
#include "describe/Description.h"
#include "describe/MsiReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kitrova::describe;
  MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    ReadMsi(source);
  } catch (const DescribeError& error) {
    if (*error.what() == '\0') std::abort();  // a refusal always says why
  }
  return 0;
}
