// One Kitrova per program folder, with the real program started as a process: a second
// start raises the first and takes nothing, the running window holds its catalog against
// kitrova-cli, and a killed program refuses neither the next start nor the next writer.

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <utility>

#include "app/SingleInstance.h"
#include "core/FileLock.h"
#include "support/Processes.h"
#include "support/RecordTexts.h"
#include "support/TempFolder.h"

namespace kitrova::app {
namespace {

namespace fs = std::filesystem;
using testing::WriteFileBytes;

// A program folder holding a copy of the built program, so the folder is its own.
struct ProgramCopy {
  ProgramCopy() {
    folder.installAssets();
    fs::copy_file(KITROVA_EXE, program());
  }
  fs::path program() const { return folder / "kitrova"; }
  testing::TempFolder folder;
};

// Waits for `pid` while this process answers its own socket; -1 when it did not end in time.
int WaitAnswering(pid_t pid, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QCoreApplication::processEvents();
    QThread::msleep(10);
  }
  testing::KillProgram(pid);
  return -1;
}

TEST(SecondStartTest, ASecondStartRaisesTheRunningProgramAndTakesNothing) {
  ProgramCopy copy;
  SingleInstance running(copy.folder.path());
  ASSERT_TRUE(running.IsFirst());
  int raised = 0;
  QObject::connect(&running, &SingleInstance::RaiseRequested, [&raised] { ++raised; });

  const pid_t second = testing::StartProgram(copy.program().string(), {});
  ASSERT_GT(second, 0);
  EXPECT_EQ(WaitAnswering(second, std::chrono::seconds(20)), 0);
  EXPECT_EQ(raised, 1);
  for (const char* name : {"_tmp.krv", "settings.ini", "base.krv"}) {
    EXPECT_FALSE(fs::exists(copy.folder / name)) << name;
  }

  // Where the running program cannot be reached, the later start learns so.
  testing::TempFolder bare;
  const auto lock = core::TryLockFile(SingleInstance::LockPath(bare.path()), "Kitrova");
  ASSERT_TRUE(lock.has_value());
  const SingleInstance later(bare.path());
  EXPECT_FALSE(later.IsFirst());
  EXPECT_FALSE(later.AskRunningToRaise(200));
}

TEST(SecondStartTest, AKilledProgramRefusesNeitherTheNextStartNorTheNextWriter) {
  ProgramCopy copy;
  const fs::path catalog = copy.folder / "base.krv";
  WriteFileBytes(catalog, testing::CatalogBytes({testing::Rec("Alpha")}));
  WriteFileBytes(copy.folder / "settings.ini",
                 "[lastbase]\r\npath=" + catalog.string() +
                     "\r\n[dir]\r\npath=" + copy.folder.path().string() + "/\r\n");
  WriteFileBytes(copy.folder / "more.csv", "Name\nBeta\n");
  const std::vector<std::string> import = {"import", catalog.string(),
                                           (copy.folder / "more.csv").string()};

  // Killed at the end whatever happens, so a failed check never leaves it running.
  struct Running {
    ~Running() {
      if (pid > 0) testing::KillProgram(pid);
    }
    pid_t pid;
  } first{testing::StartProgram(copy.program().string(), {})};
  ASSERT_GT(first.pid, 0);
  // The window holds its catalog once it has started (after the splash). Only the lock
  // file is read: taking the lock to look would refuse the window its catalog.
  const std::string holder = std::to_string(first.pid) + "\nKitrova\n";
  bool held = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!held && std::chrono::steady_clock::now() < deadline) {
    QThread::msleep(50);
    std::error_code ec;
    held = fs::exists(core::CatalogLockPath(catalog), ec) &&
           testing::ReadFileBytes(core::CatalogLockPath(catalog)) == holder;
  }
  ASSERT_TRUE(held);
  const std::string bytes = testing::ReadFileBytes(catalog);
  EXPECT_EQ(testing::RunProgram(KITROVA_CLI_EXE, import), 2);
  EXPECT_EQ(testing::ReadFileBytes(catalog), bytes);
  EXPECT_FALSE(SingleInstance(copy.folder.path()).IsFirst());
  EXPECT_EQ(testing::RunProgram(copy.program().string(), {}), 0);

  testing::KillProgram(std::exchange(first.pid, -1));
  EXPECT_TRUE(SingleInstance(copy.folder.path()).IsFirst());
  EXPECT_EQ(testing::RunProgram(KITROVA_CLI_EXE, import), 0);
  EXPECT_NE(testing::ReadFileBytes(catalog), bytes);
}

}  // namespace
}  // namespace kitrova::app
