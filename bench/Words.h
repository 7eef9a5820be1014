#pragma once
// Words for the benchmarks' catalogs, in Windows-1251 bytes.

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "core/CatalogFile.h"
#include "core/CatalogState.h"
#include "core/Sort.h"

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

// A lower-case word of 4 to 15 letters, each Latin or Cyrillic at random.
inline std::string MixedWord(std::mt19937& random) {
  std::string word;
  const int length = 4 + static_cast<int>(random() % 12);
  for (int k = 0; k < length; ++k) {
    word += random() % 2 ? static_cast<char>('a' + random() % 26)
                         : static_cast<char>(0xE0 + random() % 32);
  }
  return word;
}

// A full catalog as the program saves it after an add: sorted by name.
inline void WriteFullCatalog(const std::filesystem::path& folder, const std::filesystem::path& path,
                             unsigned seed) {
  auto state = std::make_unique<core::CatalogState>(folder);
  std::mt19937 random(seed);
  for (int k = 0; k < core::kCatalogCapacity; ++k) {
    core::DistroRecord record{};
    const std::string name = MixedWord(random);
    record.Name.assign(name);
    record.Type.assign("\xD3\xF2\xE8\xEB\xE8\xF2\xFB");
    record.License.assign(random() % 2 ? "Freeware" : "Shareware");
    record.Year.assign(std::to_string(1995 + random() % 18));
    record.Comment.assign(MixedWord(random) + " " + MixedWord(random));
    record.Path.assign("C:\\Distr\\" + name + ".exe");
    state->DistroTable.append(record);
  }
  core::SortByName(state->DistroTable);
  core::SaveCatalog(*state, path);
}

}  // namespace kitrova::bench
