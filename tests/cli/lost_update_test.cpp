// Several kitrova-cli writers on one catalog at once, as real processes: every record whose
// writer reported success is in the file, and a writer refused for the lock leaves the file
// as it was, byte for byte and in its time.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/CatalogFile.h"
#include "core/CatalogState.h"
#include "core/FileLock.h"
#include "support/Processes.h"
#include "support/Records.h"
#include "support/TempFolder.h"

namespace kitrova::testing {
namespace {

namespace fs = std::filesystem;

std::set<std::string> NamesIn(const fs::path& catalog) {
  core::CatalogState state(catalog.parent_path());
  core::LoadCatalog(state, catalog, core::LoadFor::Reading);
  std::set<std::string> names;
  for (std::int32_t i = 1; i <= state.DistroTable.count(); ++i) {
    names.insert(state.DistroTable.at(i).Name.str());
  }
  return names;
}

void WriteBaseCatalog(const fs::path& catalog, int records) {
  std::vector<core::DistroRecord> rows;
  std::vector<std::string> names;
  for (int i = 0; i < records; ++i) names.push_back("Base" + std::to_string(i));
  for (const std::string& name : names) rows.push_back(RecordOf({.name = name, .year = "2005"}));
  WriteFileBytes(catalog, CatalogImage(rows));
}

// One writer of a round: an import of a CSV file or a scan of a folder of installers.
struct Writer {
  std::vector<std::string> names;
  std::vector<std::string> args;
  pid_t pid = -1;
};

Writer MakeWriter(const TempFolder& folder, const fs::path& catalog, int round, int index,
                  std::mt19937& random, int waitSeconds) {
  Writer writer;
  const int count = std::uniform_int_distribution<int>(1, 5)(random);
  const bool scan = std::uniform_int_distribution<int>(0, 1)(random) == 1;
  const std::string tag = "R" + std::to_string(round) + "W" + std::to_string(index);
  for (int k = 0; k < count; ++k) writer.names.push_back(tag + "N" + std::to_string(k));
  if (scan) {
    const fs::path dir = folder / (tag + "-files");
    fs::create_directory(dir);
    for (const std::string& name : writer.names) WriteFileBytes(dir / (name + ".exe"), "MZ");
    writer.args = {"scan", catalog.string(), dir.string()};
  } else {
    std::string csv = "Name,Year\n";
    for (const std::string& name : writer.names) csv += name + ",2024\n";
    const fs::path file = folder / (tag + ".csv");
    WriteFileBytes(file, csv);
    writer.args = {"import", catalog.string(), file.string()};
  }
  writer.args.insert(writer.args.end(), {"--wait", std::to_string(waitSeconds)});
  return writer;
}

TEST(LostUpdateTest, TwoWritersAtOnceNeverLoseARecordTheyReported) {
  struct Case {
    const char* name;
    int records;
    int rounds;
    int waitSeconds;  // 0: a writer that finds the lock held is refused
  };
  const Case cases[] = {
      {"200 records, waiting", 200, 25, 20},
      {"5000 records, waiting", 5000, 8, 20},
      {"200 records, no wait", 200, 25, 0},
  };
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const fs::path catalog = folder / "base.krv";
    WriteBaseCatalog(catalog, c.records);
    std::set<std::string> expected = NamesIn(catalog);
    for (int round = 0; round < c.rounds; ++round) {
      std::vector<Writer> writers;
      for (int w = 0; w < 2; ++w) {
        writers.push_back(MakeWriter(folder, catalog, round, w, random, c.waitSeconds));
      }
      const int gapMs = std::uniform_int_distribution<int>(0, 10)(random);
      for (Writer& writer : writers) {
        writer.pid = StartProgram(KITROVA_CLI_EXE, writer.args);
        ASSERT_GT(writer.pid, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
      }
      for (const Writer& writer : writers) {
        const int status = WaitForProgram(writer.pid);
        SCOPED_TRACE("round " + std::to_string(round) + ": " + writer.args[0]);
        if (status == 0) {
          expected.insert(writer.names.begin(), writer.names.end());
        } else {
          EXPECT_EQ(status, 2);
          EXPECT_EQ(c.waitSeconds, 0) << "a waiting writer is never refused";
        }
      }
      ASSERT_EQ(NamesIn(catalog), expected) << "round " << round;
    }
  }
}

TEST(LostUpdateTest, AWriterRefusedForTheLockLeavesTheCatalogAsItWas) {
  TempFolder folder;
  const fs::path catalog = folder / "base.krv";
  WriteBaseCatalog(catalog, 20);
  fs::last_write_time(catalog, fs::last_write_time(catalog) - std::chrono::hours(1));
  const std::string bytes = ReadFileBytes(catalog);
  const auto time = fs::last_write_time(catalog);
  WriteFileBytes(folder / "more.csv", "Name\nNew\n");
  fs::create_directory(folder / "files");
  WriteFileBytes(folder / "files" / "setup.exe", "MZ");

  const core::FileLock window = core::LockCatalog(catalog, core::kProgramLockHolder);
  const std::vector<std::vector<std::string>> commands = {
      {"import", catalog.string(), (folder / "more.csv").string()},
      {"import", catalog.string(), (folder / "more.csv").string(), "--backup", "--wait", "1"},
      {"scan", catalog.string(), (folder / "files").string()},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(args[0] + " " + args.back());
    const fs::path errors = folder / "errors.txt";
    EXPECT_EQ(RunProgram(KITROVA_CLI_EXE, args, errors.string()), 2);
    EXPECT_NE(ReadFileBytes(errors).find("open in Kitrova, process " +
                                         std::to_string(core::CurrentProcessId())),
              std::string::npos)
        << ReadFileBytes(errors);
    EXPECT_EQ(ReadFileBytes(catalog), bytes);
    EXPECT_EQ(fs::last_write_time(catalog), time);
    EXPECT_FALSE(fs::exists(folder / "Backup"));
  }
  // A dry run only reads, and reading never needs the lock.
  EXPECT_EQ(RunProgram(KITROVA_CLI_EXE,
                       {"import", catalog.string(), (folder / "more.csv").string(), "--dry-run"}),
            0);
  EXPECT_EQ(RunProgram(KITROVA_CLI_EXE, {"list", catalog.string()}), 0);
}

}  // namespace
}  // namespace kitrova::testing
