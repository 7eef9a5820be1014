#pragma once
// Locale-aware upper-casing of Windows-1251 text, as the platform does it: every small
// letter of the code page that has a capital there becomes that capital.

#include <array>
#include <string>
#include <string_view>

namespace kitrova::core {

const std::array<unsigned char, 256>& UpperTable();
inline char UpperCp1251(char c) {
  return static_cast<char>(UpperTable()[static_cast<unsigned char>(c)]);
}
std::string UpperCaseCp1251(std::string_view text);

}  // namespace kitrova::core
