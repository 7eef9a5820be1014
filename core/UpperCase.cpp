#include "core/UpperCase.h"

#include <cstdint>
#include <utility>

namespace kitrova::core {

namespace {

// Windows-1251 small letters outside the two contiguous alphabets, with their capitals.
constexpr std::pair<std::uint8_t, std::uint8_t> kOtherCyrillic[] = {
    {0xB8, 0xA8},  // ё Ё
    {0x90, 0x80},  // ђ Ђ
    {0x83, 0x81},  // ѓ Ѓ
    {0x9A, 0x8A},  // љ Љ
    {0x9C, 0x8C},  // њ Њ
    {0x9D, 0x8D},  // ќ Ќ
    {0x9E, 0x8E},  // ћ Ћ
    {0x9F, 0x8F},  // џ Џ
    {0xA2, 0xA1},  // ў Ў
    {0xBC, 0xA3},  // ј Ј
    {0xB4, 0xA5},  // ґ Ґ
    {0xB3, 0xB2},  // і І
    {0xBA, 0xAA},  // є Є
    {0xBF, 0xAF},  // ї Ї
    {0xBE, 0xBD},  // ѕ Ѕ
};

constexpr std::array<unsigned char, 256> BuildUpperTable() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<unsigned char>(c);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<unsigned char>(c - 'a' + 'A');
  for (int c = 0xE0; c <= 0xFF; ++c) table[c] = static_cast<unsigned char>(c - 0x20);  // а-я
  for (const auto& [small, capital] : kOtherCyrillic) table[small] = capital;
  return table;
}

constexpr std::array<unsigned char, 256> kUpperTable = BuildUpperTable();

}  // namespace

const std::array<unsigned char, 256>& UpperTable() {
  return kUpperTable;
}

std::string UpperCaseCp1251(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperCp1251(c);
  return result;
}

}  // namespace kitrova::core
