// A process killed in the middle of a save or a copy leaves every file either as it was
// before that operation or as it is after it, and leaves at most one stray file per
// target, which the next successful operation on that target removes. Backup copies get a
// name of their own each time: a killed one is missing or whole, and the next backup copy
// removes what it left in "Backup".
//
// POSIX only: it needs fork() and SIGKILL. Windows has no way to stop a process at an
// arbitrary instruction that leaves the file system as a crash would (TerminateProcess
// runs no code of ours either, but there is no fork to start the saver cheaply), so the
// Windows build compiles this test out.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/CatalogFile.h"

namespace kitrova::core {
namespace {

namespace fs = std::filesystem;

constexpr int kKills = 100;

// Each backup copy is taken at a moment of its own, also when a killed one is tried again
// (as the clock has moved on by then): operation k of round r.
Moment BackupMoment(int k, int round) {
  const int n = k / 3 * 1000 + round;
  return {2000 + n / 31104000, 1 + n / 2592000 % 12, 1 + n / 86400 % 30,
          n / 3600 % 24,       n / 60 % 60,          n % 60};
}

// Generation g of the catalog: up to 10000 records whose text and count change with g.
// The records are made once; a generation only stamps its number into each name.
void Fill(CatalogState& state, int g) {
  static const std::vector<DistroRecord> base = [] {
    std::vector<DistroRecord> records(kCatalogCapacity);
    for (std::size_t i = 0; i < records.size(); ++i) {
      DistroRecord& r = records[i];
      r.Name.assign("record " + std::to_string(i + 1) + " of generation ");
      r.Type.assign(i % 2 ? "Утилиты" : "Игры");
      r.License.assign("Freeware");
      r.Year.assign(std::to_string(1990 + i % 35));
      r.Comment.assign(std::string((i * 7) % 200, 'c'));
      r.Path.assign("C:\\dist\\setup" + std::to_string(i) + ".exe");
    }
    return records;
  }();
  const int count = kCatalogCapacity - (g % 5) * 37;
  const std::string stamp = std::to_string(g);
  DistroRecord* records = state.DistroTable.records();
  std::memcpy(static_cast<void*>(records), base.data(), count * kRecordSize);
  for (int i = 0; i < count; ++i) {
    DistroField& name = records[i].Name;
    std::memcpy(name.text + name.length, stamp.data(), stamp.size());
    name.length = static_cast<std::uint8_t>(name.length + stamp.size());
  }
  state.DistroTable.setCount(count);
}

// The file image of generation g; the last few are kept, as each kill asks for the same ones.
class Images {
 public:
  const std::string& of(int g) {
    for (const auto& [gen, bytes] : cache_) {
      if (gen == g) return bytes;
    }
    Fill(scratch_, g);
    const auto* bytes = reinterpret_cast<const char*>(scratch_.DistroTable.records());
    auto& slot = cache_[next_++ % cache_.size()];
    slot = {g, std::string(bytes,
                           static_cast<std::size_t>(scratch_.DistroTable.count()) * kRecordSize)};
    return slot.second;
  }

 private:
  CatalogState scratch_{fs::path()};
  std::array<std::pair<int, std::string>, 4> cache_{};
  std::size_t next_ = 0;
};

std::string ReadAll(const fs::path& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return "<missing>";
  char chunk[1 << 16];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
    bytes.append(chunk, got);
  }
  std::fclose(file);
  return bytes;
}

// Temporary files of replacements, whatever their target.
int Temporaries(const fs::path& folder) {
  int found = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind(".~", 0) == 0) ++found;
  }
  return found;
}

int StrayFiles(const fs::path& folder, const fs::path& expected) {
  int stray = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path() != expected) ++stray;
  }
  return stray;
}

// A SIGKILL leaves the page cache alone, so a memory file system shows the same outcomes as
// a disk, many times faster.
fs::path FastTempRoot() {
  std::error_code ec;
  if (fs::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return fs::temp_directory_path();
}

class KilledSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    root = FastTempRoot() /
           ("kitrova-killed-" + std::to_string(getpid()) + "-" + std::to_string(stamp));
    fs::create_directories(root / "program" / "Backup");
    fs::create_directories(root / "catalogs");
    state = std::make_unique<CatalogState>(root / "program");
    state->CurrentBasePath = root / "catalogs" / "catalog.krv";
    state->BackupEnabled = true;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root, ec);
  }

  // Operation k (0-based) of the saver: save generation k/3+1, then the two copies of it.
  void RunOperation(int k) {
    switch (k % 3) {
      case 0:
        Fill(*state, k / 3 + 1);
        SaveCatalog(*state, state->CurrentBasePath);
        break;
      case 1:
        TakeWorkingCopy(*state);
        break;
      default:
        TakeBackupCopy(*state, BackupMoment(k, round));
        break;
    }
  }

  // The file operation k writes; target t is operation k's when k % 3 == t.
  fs::path Target(int k) const {
    switch (k % 3) {
      case 0:
        return state->CurrentBasePath;
      case 1:
        return WorkingCopyPath(state->ProgramFolder);
      default:
        const auto finished = finishedIn.find(k);
        return BackupFolderPath(state->ProgramFolder) /
               BackupFileName(
                   BackupMoment(k, finished != finishedIn.end() ? finished->second : round));
    }
  }

  // Leftovers beside target t: any other file beside the catalog and the working copy; in
  // "Backup", which keeps every copy, the temporary files.
  int Stray(int t, int lastOperation) const {
    const fs::path target = Target(lastOperation);
    return t == 2 ? Temporaries(target.parent_path()) : StrayFiles(target.parent_path(), target);
  }

  // The backup copies but the latest, so the memory file system does not fill up.
  void DropOldBackups(int done) const {
    int latest = done - 1;
    while (latest % 3 != 2) --latest;
    for (const auto& entry : fs::directory_iterator(BackupFolderPath(state->ProgramFolder))) {
      if (entry.path().filename().string().rfind("backup", 0) == 0 &&
          entry.path() != Target(latest)) {
        fs::remove(entry.path());
      }
    }
  }

  // Runs operation k as part of the current round and records that it finished.
  void Finish(int k) {
    RunOperation(k);
    finishedIn[k] = round;
  }

  fs::path root;
  std::unique_ptr<CatalogState> state;
  int round = 0;                  // 0: before the first kill
  std::map<int, int> finishedIn;  // operation -> the round it finished in
};

TEST_F(KilledSaveTest, EveryFileIsBeforeOrAfterAndStrayFilesGoAway) {
  Images images;
  int done = 0;  // operations finished since the start
  const auto cycleStart = std::chrono::steady_clock::now();
  for (int k = 0; k < 3; ++k) Finish(done++);
  const auto cycle = std::chrono::steady_clock::now() - cycleStart;
  const auto cycleMicros = std::chrono::duration_cast<std::chrono::microseconds>(cycle).count();

  std::mt19937 random(12345);
  int kept = 0, replaced = 0, idle = 0, wrong = 0, tooManyStray = 0, strayAfterSave = 0;
  int maxStray = 0;
  for (int kill = 0; kill < kKills; ++kill) {
    round = 2 * kill + 1;
    // The saver starts with each kind of operation in turn, so backup copies are killed too.
    while (done % 3 != kill % 3) Finish(done++);
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(channel[0]);
      const char ready = 'r';
      if (write(channel[1], &ready, 1) != 1) _exit(2);
      try {
        for (int k = done;; ++k) {
          RunOperation(k);
          const char finished = 'f';
          if (write(channel[1], &finished, 1) != 1) _exit(2);
        }
      } catch (...) {
        _exit(3);
      }
    }
    close(channel[1]);
    char byte = 0;
    ASSERT_EQ(read(channel[0], &byte, 1), 1);
    // Up to one operation's time: the saver starts each round with the next target.
    std::uniform_int_distribution<long long> delay(0, cycleMicros / 3);
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ::kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the saver stopped on its own, status " << status;
    int finished = 0;
    while (read(channel[0], &byte, 1) == 1) ++finished;
    close(channel[0]);
    for (int k = done; k < done + finished; ++k) finishedIn[k] = round;
    done += finished;

    // Finished operations hold their generation; the one under way may hold either.
    const int running = done;
    bool runningReplaced = false;
    const auto lastOn = [&](int t) {  // the last finished operation on target t
      int last = t;
      while (last + 3 < done) last += 3;
      return last;
    };
    for (int t = 0; t < 3; ++t) {
      const int last = lastOn(t);
      const bool runningHere = running % 3 == t;
      if (t == 2 && runningHere) {
        // The backup copy under way has a name of its own: missing or whole.
        const std::string fresh = ReadAll(Target(running));
        if (fresh == images.of(running / 3 + 1)) {
          runningReplaced = true;
        } else if (fresh != "<missing>") {
          ++wrong;
          ADD_FAILURE() << "after kill " << kill << " " << Target(running).filename()
                        << " is a partial backup copy";
        }
      }
      const std::string now = ReadAll(Target(last));
      if (now == images.of(last / 3 + 1)) continue;
      if (runningHere && t != 2 && now == images.of(running / 3 + 1)) {
        runningReplaced = true;
        continue;
      }
      ++wrong;
      ADD_FAILURE() << "after kill " << kill << " " << Target(last).filename()
                    << " is neither the content before nor after its operation";
    }
    if (finished == 0 && !runningReplaced) ++idle;
    runningReplaced ? ++replaced : ++kept;
    // The saver adopted the new content but did not report it: count it as done.
    if (runningReplaced) finishedIn[done++] = round;

    int strayNow = 0;
    for (int t = 0; t < 3; ++t) {
      const int stray = Stray(t, lastOn(t));
      strayNow += stray;
      if (stray > 1) ++tooManyStray;
    }
    maxStray = std::max(maxStray, strayNow);

    // One more operation on each target: its success removes that target's leftovers,
    // whichever operation the kill interrupted (it may have finished all but its clean-up).
    // Later, as the clock has moved on: a backup copy tried again gets another name.
    ++round;
    for (int t = 0; t < 3; ++t) Finish(done++);
    for (int t = 0; t < 3; ++t) {
      if (Stray(t, lastOn(t)) != 0) ++strayAfterSave;
    }
    DropOldBackups(done);
  }

  std::printf(
      "kills: %d (one operation takes about %lld us); the operation under way: kept the old "
      "content %d times (%d of them before any operation finished), had the new content %d "
      "times; wrong content: %d; kills leaving more than "
      "one stray file beside a target: %d "
      "(most stray files at once: %d); targets with stray files after the next save: %d\n",
      kKills, static_cast<long long>(cycleMicros / 3), kept, idle, replaced, wrong, tooManyStray,
      maxStray, strayAfterSave);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(tooManyStray, 0);
  EXPECT_EQ(strayAfterSave, 0);
}

}  // namespace
}  // namespace kitrova::core

#endif  // _WIN32
