// Bytes as a .krv file: load, sort by every field, search, save and load again.
// Input: one byte n, then n bytes of search prompt (n mod 16), then the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzFolder.h"
#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/Search.h"
#include "core/Sort.h"
#include "core/UpperCase.h"

namespace {

using namespace kitrova::core;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
  }
}

void WriteBytes(const std::filesystem::path& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Check(file != nullptr, "scratch file");
  if (size > 0) Check(std::fwrite(data, 1, size, file) == size, "scratch write");
  std::fclose(file);
}

std::string_view UpToNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

std::string_view Image(const CatalogState& state) {
  return {reinterpret_cast<const char*>(state.DistroTable.records()),
          static_cast<std::size_t>(state.DistroTable.count()) * kRecordSize};
}

// Sorts one field and compares with the reference selection sort on a copy.
void CheckSort(CatalogState& state, CatalogState& reference, RecordField field) {
  SortByField(state.DistroTable, field);
  const std::int32_t count = state.DistroTable.count();
  for (std::int32_t i = 2; i <= count; ++i) {
    Check(SortKey(state.DistroTable.at(i - 1), field) <= SortKey(state.DistroTable.at(i), field),
          "sorted order");
  }
  if (count <= 64) {
    SelectionSortByField(reference.DistroTable, field);
    Check(Image(state) == Image(reference), "same order as the selection sort");
  }
}

void CheckSearch(CatalogState& state, RecordField field) {
  SearchByField(state, field);
  const std::string prompt = UpperCaseCp1251(UpToNul(state.SearchPrompt));
  std::vector<std::int32_t> expected;
  if (!prompt.empty()) {
    for (std::int32_t i = 1; i <= state.DistroTable.count(); ++i) {
      const std::string text =
          UpperCaseCp1251(UpToNul(FieldOf(state.DistroTable.at(i), field).view()));
      if (text.find(prompt) != std::string::npos) expected.push_back(i);
    }
  }
  const SearchResultList& found = state.SearchResults;
  Check(found.found == !expected.empty(), "found flag");
  Check(found.count == static_cast<std::int32_t>(std::min<std::size_t>(expected.size(), 100)),
        "match count");
  for (std::int32_t k = 1; k < found.count; ++k) {
    Check(found.slot(k) == expected[static_cast<std::size_t>(k - 1)], "match rows");
  }
  if (found.count > 0) Check(found.last() == expected.back(), "last slot is the last match");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CatalogState state{kitrova::fuzz::Scratch() / "program"};
  static CatalogState reference{kitrova::fuzz::Scratch() / "program"};
  static CatalogState reloaded{kitrova::fuzz::Scratch() / "program"};
  if (size == 0) return 0;
  const std::size_t promptSize = std::min<std::size_t>(data[0] % 16, size - 1);
  const std::string prompt(reinterpret_cast<const char*>(data + 1), promptSize);
  const std::uint8_t* file = data + 1 + promptSize;
  const std::size_t fileSize = size - 1 - promptSize;
  if (fileSize / kRecordSize > static_cast<std::size_t>(kCatalogCapacity)) return 0;

  const auto input = kitrova::fuzz::Scratch() / "input.krv";
  const auto saved = kitrova::fuzz::Scratch() / "saved.krv";
  WriteBytes(input, file, fileSize);
  LoadCatalog(state, input);
  LoadCatalog(reference, input);
  const std::size_t records = fileSize / kRecordSize;
  Check(state.DistroTable.count() == static_cast<std::int32_t>(records), "record count");
  Check(
      Image(state) == std::string_view(reinterpret_cast<const char*>(file), records * kRecordSize),
      "records as in the file");

  for (RecordField field : {RecordField::Name, RecordField::Type, RecordField::License,
                            RecordField::Year, RecordField::Comment}) {
    CheckSort(state, reference, field);
  }
  state.SearchPrompt = prompt;
  for (RecordField field : {RecordField::Name, RecordField::Type, RecordField::Year}) {
    CheckSearch(state, field);
  }

  SaveCatalog(state, saved);
  Check(std::filesystem::file_size(saved) == records * kRecordSize, "trailing piece dropped");
  LoadCatalog(reloaded, saved);
  Check(Image(reloaded) == Image(state), "round trip");
  return 0;
}
