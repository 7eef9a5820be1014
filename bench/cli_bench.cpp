// kitrova-cli at the capacity of 10000 records: list (table, csv, json), export and import.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "core/CatalogFile.h"

namespace {

namespace fs = std::filesystem;
using kitrova::core::CatalogState;
using kitrova::core::DistroRecord;

class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A folder with a catalog of 10000 records of mixed Latin and Cyrillic text.
class Fixture {
 public:
  Fixture()
      : folder_(fs::temp_directory_path() /
                ("kitrova-cli-bench-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(folder_);
    CatalogState state(folder_);
    std::mt19937 random(11);
    auto word = [&](bool cyrillic) {
      std::string w;
      const int length = 3 + static_cast<int>(random() % 12);
      for (int k = 0; k < length; ++k) {
        w += cyrillic ? static_cast<char>(0xE0 + random() % 32)
                      : static_cast<char>('a' + random() % 26);
      }
      return w;
    };
    for (int i = 0; i < 10000; ++i) {
      DistroRecord r{};
      r.Name.assign(word(i % 2 == 0) + " " + word(false));
      r.Type.assign(word(true));
      r.License.assign(i % 3 == 0 ? "Freeware" : "Shareware, \"trial\"");
      r.Year.assign(std::to_string(1995 + i % 30));
      r.Comment.assign(word(true) + " " + word(true) + "; " + word(false));
      r.Path.assign("C:\\Distrib\\" + word(false) + "\\setup" + std::to_string(i) + ".exe");
      state.DistroTable.append(r);
    }
    kitrova::core::SaveCatalog(state, catalog());
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  fs::path catalog() const { return folder_ / "base.krv"; }
  fs::path csv() const { return folder_ / "out.csv"; }
  fs::path empty() const { return folder_ / "empty.krv"; }

 private:
  fs::path folder_;
};

Fixture& Shared() {
  static Fixture fixture;
  return fixture;
}

int Cli(std::vector<std::string> args) {
  args.insert(args.begin(), "kitrova-cli");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  NullBuffer null;
  std::ostream out(&null);
  return kitrova::cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, out);
}

void BM_List(benchmark::State& state, const char* format) {
  const std::string catalog = Shared().catalog().string();
  for (auto _ : state) {
    if (Cli({"list", catalog, "--format", format}) != 0) state.SkipWithError("list failed");
  }
}
BENCHMARK_CAPTURE(BM_List, table, "table")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_List, csv, "csv")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_List, json, "json")->Unit(benchmark::kMillisecond);

void BM_Export(benchmark::State& state) {
  const std::string catalog = Shared().catalog().string();
  for (auto _ : state) {
    if (Cli({"export", catalog, Shared().csv().string()}) != 0) state.SkipWithError("failed");
  }
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond);

// 10000 rows into an empty catalog: parse, convert, append, sort by name, crash-safe save.
void BM_Import(benchmark::State& state) {
  Cli({"export", Shared().catalog().string(), Shared().csv().string()});
  for (auto _ : state) {
    state.PauseTiming();
    std::ofstream(Shared().empty(), std::ios::binary | std::ios::trunc).close();
    state.ResumeTiming();
    if (Cli({"import", Shared().empty().string(), Shared().csv().string()}) != 0) {
      state.SkipWithError("import failed");
    }
  }
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond);

}  // namespace
