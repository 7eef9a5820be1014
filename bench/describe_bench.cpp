// scan --describe against plain scan over 10000 installers of realistic sizes (1 to 200 MB,
// sparse files: only the headers and resources hold data, as only they are read). Each
// iteration runs both and reports their times and the ratio.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace {

namespace fs = std::filesystem;

constexpr int kInstallers = 10000;

class NullBuffer : public std::streambuf {
 protected:
  int_type overflow(int_type c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

bool Run(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Fixture {
 public:
  Fixture()
      : folder_(fs::temp_directory_path() /
                ("kitrova-describe-bench-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(folder_ / "distrib");
    std::ofstream(folder_ / "base.krv").flush();
    // One executable with a version resource, made by MinGW-w64's windres and ld; every
    // installer is a copy with a sparse tail, as a real one carries its payload after the
    // sections.
    const fs::path rc = folder_ / "v.rc";
    std::ofstream(rc) << "1 VERSIONINFO\nFILEVERSION 1,2,3,4\nBEGIN\n BLOCK \"StringFileInfo\"\n"
                         " BEGIN\n  BLOCK \"040904b0\"\n  BEGIN\n   VALUE \"ProductName\", "
                         "\"Bench Tool\"\n   VALUE \"ProductVersion\", \"1.2\"\n   VALUE "
                         "\"CompanyName\", \"Bench Co\"\n   VALUE \"LegalCopyright\", \"(C) "
                         "2001-2020\"\n  END\n END\nEND\n";
    const std::string dir = folder_.string();
    ok_ = Run("x86_64-w64-mingw32-windres '" + rc.string() + "' -O coff -o '" + dir +
              "/v.o' && x86_64-w64-mingw32-ld --entry=0 '" + dir + "/v.o' -o '" + dir + "/v.exe'");
    if (!ok_) return;
    const std::string exe = Read(folder_ / "v.exe");
    std::mt19937 random(5);
    for (int i = 0; i < kInstallers; ++i) {
      const fs::path file = folder_ / "distrib" / ("tool" + std::to_string(i) + "_setup.exe");
      std::ofstream(file, std::ios::binary)
          .write(exe.data(), static_cast<std::streamsize>(exe.size()));
      const std::uintmax_t megabytes = 1 + random() % 200;
      fs::resize_file(file, megabytes << 20);
    }
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }

  bool ok() const { return ok_; }
  std::vector<std::string> scan(bool describe) const {
    std::vector<std::string> args = {"kitrova-cli", "scan", (folder_ / "base.krv").string(),
                                     (folder_ / "distrib").string(), "--dry-run"};
    if (describe) args.push_back("--describe");
    return args;
  }

 private:
  fs::path folder_;
  bool ok_ = false;
};

double Seconds(const std::vector<std::string>& args) {
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  NullBuffer sink;
  std::ostream out(&sink), err(&sink);
  const auto start = std::chrono::steady_clock::now();
  kitrova::cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_ScanDescribeOverScan(benchmark::State& state) {
  static const Fixture fixture;
  if (!fixture.ok()) {
    state.SkipWithError("windres could not make the installer");
    return;
  }
  double plain = 0, described = 0;
  for (auto _ : state) {
    plain += Seconds(fixture.scan(false));
    described += Seconds(fixture.scan(true));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["scan_ms"] = plain / n * 1000;
  state.counters["describe_ms"] = described / n * 1000;
  state.counters["ratio"] = described / plain;
  state.counters["installers"] = kInstallers;
}
BENCHMARK(BM_ScanDescribeOverScan)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
