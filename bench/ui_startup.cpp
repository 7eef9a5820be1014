// Start-up as a user meets it, in a fresh process each time (kitrova_startup_probe): from
// the end of the splash until the main window is shown with a 10000-record catalog, the
// resident memory then, and the open command on another catalog of 10000 records.
// Wall time is the benchmark's time; CPU times come along because other work on the
// machine can stretch the wall time. Set KITROVA_STARTUP_PROBE_BEFORE to the probe of
// another build to measure both in one run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>

#include "bench/Words.h"
#include "core/CatalogFile.h"
#include "core/Sort.h"

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

namespace {

using namespace kitrova;
namespace fs = std::filesystem;

struct StartupFolder {
  fs::path path = fs::temp_directory_path() /
                  ("kitrova-bench-startup-" + std::to_string(std::random_device{}()));
  StartupFolder() {
    fs::create_directories(path);
    fs::copy(fs::path(KITROVA_ASSETS_DIR), path, fs::copy_options::recursive);
    bench::WriteFullCatalog(path, path / "base.krv", 1536);
    bench::WriteFullCatalog(path, path / "other.krv", 2048);
  }
  ~StartupFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  // Every start finds base.krv as the last catalog and no working copy.
  void Reset() const {
    std::ofstream ini(path / "settings.ini", std::ios::binary | std::ios::trunc);
    ini << "[lastbase]\r\npath=" << (path / "base.krv").string()
        << "\r\n[dir]\r\npath=" << path.string() << "/\r\n";
    std::error_code ignored;
    fs::remove(core::WorkingCopyPath(path), ignored);
  }
};

// "key=value key=value ..." from the probe's one line.
std::map<std::string, double> RunProbe(const std::string& probe, const fs::path& folder) {
  std::map<std::string, double> figures;
  const std::string command = "\"" + probe + "\" \"" + folder.string() + "\"";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return figures;
  std::string output;
  char chunk[512];
  while (std::fgets(chunk, sizeof chunk, pipe)) output += chunk;
  if (pclose(pipe) != 0) return {};
  std::istringstream words(output);
  std::string word;
  while (words >> word) {
    const std::size_t equals = word.find('=');
    if (equals != std::string::npos) {
      figures[word.substr(0, equals)] = std::atof(word.c_str() + equals + 1);
    }
  }
  return figures;
}

void BM_FreshStartup10000(benchmark::State& bench, const std::string& probe) {
  StartupFolder folder;
  std::map<std::string, double> sums;
  for (auto _ : bench) {
    folder.Reset();
    std::map<std::string, double> figures = RunProbe(probe, folder.path);
    if (figures["shown"] != 1 || figures["records"] != core::kCatalogCapacity ||
        figures["opened"] != core::kCatalogCapacity) {
      bench.SkipWithError(("the probe did not start and open as expected: " + probe).c_str());
      break;
    }
    bench.SetIterationTime(figures["startup_s"]);
    for (const auto& [key, value] : figures) sums[key] += value;
  }
  using benchmark::Counter;
  bench.counters["startup_cpu_ms"] = Counter(sums["startup_cpu_s"] * 1000, Counter::kAvgIterations);
  bench.counters["rss_MB"] = Counter(sums["rss_mb"], Counter::kAvgIterations);
  bench.counters["open_ms"] = Counter(sums["open_s"] * 1000, Counter::kAvgIterations);
  bench.counters["open_cpu_ms"] = Counter(sums["open_cpu_s"] * 1000, Counter::kAvgIterations);
  bench.counters["rss_after_open_MB"] = Counter(sums["rss_after_open_mb"], Counter::kAvgIterations);
  // The open's steps, each alone.
  for (const std::string step : {"load", "sort", "working_copy", "ini_write"}) {
    bench.counters[step + "_ms"] = Counter(sums[step + "_s"] * 1000, Counter::kAvgIterations);
    bench.counters[step + "_cpu_ms"] =
        Counter(sums[step + "_cpu_s"] * 1000, Counter::kAvgIterations);
  }
}

const bool kRegistered = [] {
  const char* probe = std::getenv("KITROVA_STARTUP_PROBE");
  const std::string ours = probe ? probe : KITROVA_STARTUP_PROBE;
  if (const char* before = std::getenv("KITROVA_STARTUP_PROBE_BEFORE")) {
    benchmark::RegisterBenchmark("BM_FreshStartup10000/before", BM_FreshStartup10000,
                                 std::string(before))
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
  }
  benchmark::RegisterBenchmark("BM_FreshStartup10000", BM_FreshStartup10000, ours)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(5);
  return true;
}();

}  // namespace
