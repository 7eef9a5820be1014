// Windows-1251 upper-casing: each group of letters, and bytes that must stay.
#include <gtest/gtest.h>

#include "core/UpperCase.h"

namespace kitrova::core {
namespace {

TEST(UpperCaseTest, LatinLetters) {
  EXPECT_EQ(UpperCaseCp1251("azAZ"), "AZAZ");
  EXPECT_EQ(UpperCaseCp1251("7-zip 2.0"), "7-ZIP 2.0");
}

TEST(UpperCaseTest, RussianAlphabet) {
  EXPECT_EQ(UpperCaseCp1251("\xE0\xFF"), "\xC0\xDF");          // а я
  EXPECT_EQ(UpperCaseCp1251("\xEF\xF0\xE8"), "\xCF\xD0\xC8");  // при
  EXPECT_EQ(UpperCaseCp1251("\xB8"), "\xA8");                  // ё
}

TEST(UpperCaseTest, OtherCyrillicLetters) {
  EXPECT_EQ(UpperCp1251('\x90'), '\x80');  // ђ
  EXPECT_EQ(UpperCp1251('\x83'), '\x81');  // ѓ
  EXPECT_EQ(UpperCp1251('\x9F'), '\x8F');  // џ
  EXPECT_EQ(UpperCp1251('\xA2'), '\xA1');  // ў
  EXPECT_EQ(UpperCp1251('\xBC'), '\xA3');  // ј
  EXPECT_EQ(UpperCp1251('\xB4'), '\xA5');  // ґ
  EXPECT_EQ(UpperCp1251('\xB3'), '\xB2');  // і
  EXPECT_EQ(UpperCp1251('\xBA'), '\xAA');  // є
  EXPECT_EQ(UpperCp1251('\xBF'), '\xAF');  // ї
  EXPECT_EQ(UpperCp1251('\xBE'), '\xBD');  // ѕ
}

TEST(UpperCaseTest, EveryOtherByteStays) {
  // Capitals, digits, signs, NUL, and the code page's non-letters (µ, №, «).
  for (const char c : {'\0', 'A', '0', ' ', '_', '\xC0', '\xA8', '\x80', '\xB5', '\xB9', '\xAB'}) {
    EXPECT_EQ(UpperCp1251(c), c) << static_cast<int>(static_cast<unsigned char>(c));
  }
  int changed = 0;
  for (int c = 0; c < 256; ++c) changed += UpperTable()[c] != c;
  EXPECT_EQ(changed, 26 + 32 + 15);
}

}  // namespace
}  // namespace kitrova::core
