// What a person waits for, measured from outside: each figure is a fresh process (fork and
// exec, CPU from wait4's rusage), so it pays what every start pays: loading, fresh memory,
// writing its output (to /dev/null). Printed beside its goal and beside what the machine
// itself needs in the same run for the same 10000-record file (cat, a read, a write and
// flush), as minimum and median of several interleaved rounds.
//
//   kitrova_bench_fresh [ROUNDS]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/Words.h"
#include "core/CatalogFile.h"
#include "core/CatalogState.h"
#include "core/Sort.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#endif

namespace {

using namespace kitrova;
namespace fs = std::filesystem;

#ifndef _WIN32

struct Run {
  double wallMs = 0;
  double cpuMs = 0;
  double peakMb = 0;  // VmHWM, from ru_maxrss
  std::string output;
  bool ok = false;
};

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Ms(const timeval& t) {
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
}

// Runs `args` as a fresh process; its standard output goes to /dev/null unless `capture`.
Run Spawn(const std::vector<std::string>& args, bool capture = false) {
  int pipeFds[2] = {-1, -1};
  if (capture && pipe(pipeFds) != 0) return {};
  const double start = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(capture ? pipeFds[1] : devNull, STDOUT_FILENO);
    if (capture) {
      close(pipeFds[0]);
      close(pipeFds[1]);
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Run run;
  if (capture) {
    close(pipeFds[1]);
    char chunk[4096];
    ssize_t got = 0;
    while ((got = read(pipeFds[0], chunk, sizeof chunk)) > 0) {
      run.output.append(chunk, static_cast<std::size_t>(got));
    }
    close(pipeFds[0]);
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return {};
  run.wallMs = Now() - start;
  run.cpuMs = Ms(usage.ru_utime) + Ms(usage.ru_stime);
  run.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// CPU and wall of `step` run in this process.
Run Inside(const std::function<void()>& step) {
  rusage before{};
  rusage after{};
  getrusage(RUSAGE_SELF, &before);
  const double start = Now();
  step();
  Run run;
  run.wallMs = Now() - start;
  getrusage(RUSAGE_SELF, &after);
  run.cpuMs = Ms(after.ru_utime) + Ms(after.ru_stime) - Ms(before.ru_utime) - Ms(before.ru_stime);
  run.ok = true;
  return run;
}

// "key=value ..." from one line of the start-up probe.
std::map<std::string, double> Figures(const std::string& line) {
  std::map<std::string, double> figures;
  std::istringstream words(line);
  std::string word;
  while (words >> word) {
    const std::size_t equals = word.find('=');
    if (equals != std::string::npos) {
      figures[word.substr(0, equals)] = std::atof(word.c_str() + equals + 1);
    }
  }
  return figures;
}

struct Series {
  std::vector<double> values;
  void add(double v) { values.push_back(v); }
  double min() const {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
  }
  double median() const {
    if (values.empty()) return 0;
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
  }
};

int Measure(int rounds) {
  const fs::path folder =
      fs::temp_directory_path() / ("kitrova-bench-fresh-" + std::to_string(std::random_device{}()));
  fs::create_directories(folder);
  fs::copy(fs::path(KITROVA_ASSETS_DIR), folder, fs::copy_options::recursive);
  const fs::path base = folder / "base.krv";
  bench::WriteFullCatalog(folder, base, 1536);
  bench::WriteFullCatalog(folder, folder / "other.krv", 2048);
  const std::string cli = KITROVA_CLI;
  const std::string probe = KITROVA_STARTUP_PROBE;
  const std::string csv = (folder / "out.csv").string();
  const std::vector<std::pair<std::string, std::vector<std::string>>> commands = {
      {"cli list", {cli, "list", base.string()}},
      {"cli list --sort year", {cli, "list", base.string(), "--sort", "year"}},
      {"cli list --format csv", {cli, "list", base.string(), "--format", "csv"}},
      {"cli list --format json", {cli, "list", base.string(), "--format", "json"}},
      {"cli search --name a", {cli, "search", base.string(), "--name", "a"}},
      {"cli export", {cli, "export", base.string(), csv}},
      {"cli check", {cli, "check", base.string()}},
  };

  std::map<std::string, Series> cpu;
  std::map<std::string, Series> wall;
  std::map<std::string, Series> memory;
  std::vector<char> buffer(static_cast<std::size_t>(fs::file_size(base)));
  for (int round = 0; round < rounds; ++round) {
    // The machine's own cost for the same file, in the same round.
    const Run cat = Spawn({"/bin/cat", base.string()});
    cpu["cat"].add(cat.cpuMs);
    wall["cat"].add(cat.wallMs);
    const Run read = Inside([&] {
      std::FILE* file = std::fopen(base.c_str(), "rb");
      if (file == nullptr) return;
      if (std::fread(buffer.data(), 1, buffer.size(), file) != buffer.size()) std::perror("read");
      std::fclose(file);
    });
    cpu["read"].add(read.cpuMs);
    wall["read"].add(read.wallMs);
    const Run write = Inside([&] {
      const int fd = open((folder / "write.krv").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0) return;
      if (::write(fd, buffer.data(), buffer.size()) != static_cast<ssize_t>(buffer.size()) ||
          fsync(fd) != 0) {
        std::perror("write");
      }
      close(fd);
    });
    cpu["write+flush"].add(write.cpuMs);
    wall["write+flush"].add(write.wallMs);

    for (const auto& [name, args] : commands) {
      const Run run = Spawn(args);
      if (!run.ok) {
        std::fprintf(stderr, "%s failed\n", name.c_str());
        continue;
      }
      cpu[name].add(run.cpuMs);
      wall[name].add(run.wallMs);
      memory[name].add(run.peakMb);
    }

    // Start-up as the probe sees it; settings name base.krv, no working copy is left.
    {
      std::ofstream ini(folder / "settings.ini", std::ios::binary | std::ios::trunc);
      ini << "[lastbase]\r\npath=" << base.string() << "\r\n[dir]\r\npath=" << folder.string()
          << "/\r\n";
    }
    std::error_code ignored;
    fs::remove(core::WorkingCopyPath(folder), ignored);
    const Run start = Spawn({probe, folder.string()}, true);
    std::map<std::string, double> f = Figures(start.output);
    if (!start.ok || f["opened"] != core::kCatalogCapacity) {
      std::fprintf(stderr, "the start-up probe failed: %s\n", start.output.c_str());
      continue;
    }
    cpu["start-up"].add(f["startup_cpu_s"] * 1e3);
    wall["start-up"].add(f["startup_s"] * 1e3);
    cpu["first open"].add(f["open_cpu_s"] * 1e3);
    wall["first open"].add(f["open_s"] * 1e3);
    memory["after start-up"].add(f["rss_mb"]);
    memory["after an open"].add(f["rss_after_open_mb"]);
    memory["start-up peak"].add(start.peakMb);
  }

  const double catCpu = cpu["cat"].median();
  const double catWall = wall["cat"].median();
  std::printf("\nFresh processes, %d rounds, 10000 records (%.1f MB): min / median\n", rounds,
              static_cast<double>(buffer.size()) / 1e6);
  std::printf("%-24s %17s %17s  %s\n", "", "CPU ms", "wall ms", "goal; ratio of medians");
  for (const char* limit : {"cat", "read", "write+flush"}) {
    std::printf("%-24s %8.2f %8.2f %8.2f %8.2f  limit\n", limit, cpu[limit].min(),
                cpu[limit].median(), wall[limit].min(), wall[limit].median());
  }
  for (const auto& [name, args] : commands) {
    std::printf("%-24s %8.2f %8.2f %8.2f %8.2f  <= 3x cat; %.1fx cat CPU, %.1fx cat wall\n",
                name.c_str(), cpu[name].min(), cpu[name].median(), wall[name].min(),
                wall[name].median(), cpu[name].median() / catCpu, wall[name].median() / catWall);
  }
  std::printf("%-24s %8.2f %8.2f %8.2f %8.2f  (splash end to window shown)\n", "start-up",
              cpu["start-up"].min(), cpu["start-up"].median(), wall["start-up"].min(),
              wall["start-up"].median());
  std::printf("%-24s %8.2f %8.2f %8.2f %8.2f  <= 25 ms CPU; %.1fx read, %.1fx write+flush\n",
              "first open", cpu["first open"].min(), cpu["first open"].median(),
              wall["first open"].min(), wall["first open"].median(),
              cpu["first open"].median() / cpu["read"].median(),
              wall["first open"].median() / wall["write+flush"].median());
  std::printf("%-24s %17s\n", "resident memory", "MB");
  for (const char* name : {"after start-up", "after an open"}) {
    std::printf("%-24s %8.2f %8.2f  <= 50 MB\n", name, memory[name].min(), memory[name].median());
  }
  std::printf("%-24s %8.2f %8.2f  (VmHWM)\n", "start-up peak", memory["start-up peak"].min(),
              memory["start-up peak"].median());
  std::printf("%-24s %8.2f %8.2f  (VmHWM; the file is %.1f MB)\n", "cli list peak",
              memory["cli list"].min(), memory["cli list"].median(),
              static_cast<double>(buffer.size()) / 1e6);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return 0;
}

#endif

}  // namespace

int main(int argc, char** argv) {
  int rounds = 7;
  for (int i = 1; i < argc; ++i) {
    // Google Benchmark's options, as `make bench` passes them to every benchmark, mean nothing
    // here.
    if (std::string(argv[i]).rfind("--", 0) != 0) rounds = std::max(1, std::atoi(argv[i]));
  }
#ifdef _WIN32
  (void)rounds;
  std::printf("fresh-process figures are measured on Linux only\n");
  return 0;
#else
  return Measure(rounds);
#endif
}
