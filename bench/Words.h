#pragma once
// Words for the benchmarks' catalogs, in Windows-1251 bytes.

#include <random>
#include <string>

namespace kitrova::bench {

// A capitalised word of 3 to 10 letters, Cyrillic or Latin.
inline std::string Word(std::mt19937& random, bool cyrillic) {
  std::string word;
  const int length = 3 + static_cast<int>(random() % 8);
  for (int k = 0; k < length; ++k) {
    word +=
        cyrillic ? static_cast<char>(0xE0 + random() % 32) : static_cast<char>('a' + random() % 26);
  }
  word[0] = static_cast<char>(word[0] - 0x20);  // the capital, in both alphabets
  return word;
}

}  // namespace kitrova::bench
