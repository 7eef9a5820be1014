// The catalog core at its capacity of 10000 records: load, save, the sorts and a search.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/Words.h"
#include "core/CatalogFile.h"
#include "core/Search.h"
#include "core/Sort.h"

namespace {

using namespace kitrova::core;
namespace fs = std::filesystem;
using kitrova::bench::Word;

// Windows-1251 words: Утилиты, Игры, Графика, Мультимедиа, Интернет, Офис, Система.
const char* const kTypes[] = {"\xD3\xF2\xE8\xEB\xE8\xF2\xFB",
                              "\xC8\xE3\xF0\xFB",
                              "\xC3\xF0\xE0\xF4\xE8\xEA\xE0",
                              "\xCC\xF3\xEB\xFC\xF2\xE8\xEC\xE5\xE4\xE8\xE0",
                              "\xC8\xED\xF2\xE5\xF0\xED\xE5\xF2",
                              "\xCE\xF4\xE8\xF1",
                              "\xD1\xE8\xF1\xF2\xE5\xEC\xE0",
                              "Drivers",
                              "Codecs",
                              "Development"};
const char* const kLicences[] = {"Freeware", "Shareware", "Trial", "Open Source", "Commercial"};

// A catalog as users keep them: many equal types and licences, few equal names.
void FillRealistic(CatalogTable& table) {
  std::mt19937 random(1536);
  table.clear();
  std::string previous;
  for (int k = 0; k < kCatalogCapacity; ++k) {
    DistroRecord record{};
    std::string name = random() % 50 == 0 && !previous.empty()
                           ? previous
                           : Word(random, random() % 4 == 0) + " " + std::to_string(random() % 10) +
                                 "." + std::to_string(random() % 100);
    record.Name.assign(name);
    record.Type.assign(kTypes[random() % std::size(kTypes)]);
    record.License.assign(kLicences[random() % std::size(kLicences)]);
    record.Year.assign(std::to_string(1995 + random() % 18));
    record.Comment.assign(random() % 3 == 0 ? std::string()
                                            : Word(random, true) + " " + Word(random, false));
    record.Path.assign("D:\\Distr\\" + name + ".exe");
    table.append(record);
    previous = name;
  }
}

struct Folder {
  fs::path path =
      fs::temp_directory_path() / ("kitrova-bench-" + std::to_string(std::random_device{}()));
  Folder() { fs::create_directories(path); }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

void BM_LoadCatalog(benchmark::State& bench) {
  Folder folder;
  auto state = std::make_unique<CatalogState>(folder.path);
  FillRealistic(state->DistroTable);
  const fs::path catalog = folder.path / "base.krv";
  SaveCatalog(*state, catalog);
  for (auto _ : bench) {
    LoadCatalog(*state, catalog);
    benchmark::DoNotOptimize(state->DistroTable.records());
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) * kCatalogCapacity *
                          kRecordSize);
}
BENCHMARK(BM_LoadCatalog)->Unit(benchmark::kMillisecond);

// Crash-safe: temporary file, flushed to the disk, renamed over the catalog.
void BM_SaveCatalog(benchmark::State& bench) {
  Folder folder;
  auto state = std::make_unique<CatalogState>(folder.path);
  FillRealistic(state->DistroTable);
  const fs::path catalog = folder.path / "base.krv";
  for (auto _ : bench) SaveCatalog(*state, catalog);
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) * kCatalogCapacity *
                          kRecordSize);
}
BENCHMARK(BM_SaveCatalog)->Unit(benchmark::kMillisecond)->UseRealTime();

// Each iteration sorts the same unsorted table; restoring it is not timed.
template <void (*Sort)(CatalogTable&)>
void BM_Sort(benchmark::State& bench) {
  auto table = std::make_unique<CatalogTable>();
  FillRealistic(*table);
  const std::size_t bytes = kCatalogCapacity * sizeof(DistroRecord);
  std::vector<char> unsorted(bytes);
  std::memcpy(unsorted.data(), table->records(), bytes);
  for (auto _ : bench) {
    bench.PauseTiming();
    std::memcpy(static_cast<void*>(table->records()), unsorted.data(), bytes);
    bench.ResumeTiming();
    Sort(*table);
    benchmark::ClobberMemory();
  }
}
void SelectionSortByName(CatalogTable& table) {
  SelectionSortByField(table, RecordField::Name);
}

BENCHMARK(BM_Sort<SortByName>)->Name("BM_SortByName")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<SortByType>)->Name("BM_SortByType")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<SortByLicense>)->Name("BM_SortByLicense")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<SortByYear>)->Name("BM_SortByYear")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sort<SortByComment>)->Name("BM_SortByComment")->Unit(benchmark::kMillisecond);
// The selection sort as first written, the baseline: one run is enough.
BENCHMARK(BM_Sort<SelectionSortByName>)
    ->Name("BM_SelectionSortByName_Literal")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_SearchByName(benchmark::State& bench) {
  auto state = std::make_unique<CatalogState>(fs::path("/nowhere"));
  FillRealistic(state->DistroTable);
  SortByName(state->DistroTable);
  state->SearchPrompt = "ra";  // a common pair of letters: many matches, the slots fill up
  for (auto _ : bench) {
    SearchByName(*state);
    benchmark::DoNotOptimize(state->SearchResults.count);
  }
  bench.counters["matches"] = state->SearchResults.count;
}
BENCHMARK(BM_SearchByName)->Unit(benchmark::kMicrosecond);

}  // namespace
