// Windows-1251 conversion: bytes -> text -> bytes is the identity; text -> bytes refuses
// exactly the characters the code page lacks.
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/Cp1251.h"

namespace {

using kitrova::platform::FirstUnencodable;
using kitrova::platform::FromCp1251;
using kitrova::platform::ToCp1251;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

// The characters of the code page, taken from the byte -> text direction.
const std::set<char16_t>& Repertoire() {
  static const std::set<char16_t> units = [] {
    std::set<char16_t> all;
    for (int b = 0; b < 256; ++b) {
      const std::string byte(1, static_cast<char>(b));
      const QString text = FromCp1251(byte);
      Check(text.size() == 1, "one character per byte");
      Check(all.insert(text[0].unicode()).second, "no two bytes share a character");
    }
    return all;
  }();
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const QString text = FromCp1251(bytes);
  Check(text.size() == static_cast<qsizetype>(size), "length kept");
  const std::optional<std::string> back = ToCp1251(text);
  Check(back && *back == bytes, "bytes -> text -> bytes");

  // The same bytes read as UTF-16 units.
  QString units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.append(QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8))));
  }
  bool encodable = true;
  for (QChar c : units) encodable = encodable && Repertoire().count(c.unicode()) == 1;
  const std::optional<std::string> encoded = ToCp1251(units);
  Check(encoded.has_value() == encodable, "refuses exactly what the code page lacks");
  Check(FirstUnencodable(units).isEmpty() == encodable, "first unencodable character");
  if (encoded) Check(FromCp1251(*encoded) == units, "text -> bytes -> text");
  return 0;
}
