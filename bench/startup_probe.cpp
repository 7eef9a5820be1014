// A fresh process that starts as the program does, with the program folder given as its
// argument: the splash, then (from the moment the splash's time is up) the main window and
// every dialog until the main window is shown, then the open command on "other.krv". It
// prints one line of figures for the startup benchmark.
#include <QApplication>
#include <QSize>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench/SilentDialogs.h"
#include "core/CatalogFile.h"
#include "core/CatalogState.h"
#include "core/Sort.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"
#include "ui/ProgramWindows.h"
#include "ui/uMain.h"
#include "ui/uSplash.h"

using namespace kitrova;

namespace {

// The open dialog answers with one fixed catalog; every box with its first button.
class OpenOneCatalog final : public platform::Dialogs {
 public:
  explicit OpenOneCatalog(QString path) : path_(std::move(path)) {}
  platform::MessageAnswer message(QWidget* parent, platform::MessageKind kind, const QString& text,
                                  platform::MessageButtons buttons) override {
    return silent_.message(parent, kind, text, buttons);
  }
  QString chooseFolder(QWidget*, const QString&) override { return {}; }
  QString openFile(QWidget*, const platform::FileDialogOptions&) override { return path_; }
  void openWithShell(const QString&) override {}

 private:
  QString path_;
  bench::SilentDialogs silent_;
};

double CpuSeconds() {
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Resident memory in MB where the system tells it (Linux), else 0.
double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word) {
    if (word == "VmRSS:") {
      double kilobytes = 0;
      status >> kilobytes;
      return kilobytes / 1024.0;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PROGRAM_FOLDER\n", argv[0]);
    return 2;
  }
  using Clock = std::chrono::steady_clock;
  QApplication app(argc, argv);
  QApplication::setApplicationName(platform::kApplicationTitle);
  const std::filesystem::path programFolder = argv[1];
  core::CatalogState state(programFolder);
  OpenOneCatalog dialogs(platform::PathToQString(programFolder / "other.krv"));

  auto splash = std::make_unique<ui::TForm1>(programFolder, dialogs);
  splash->show();
  splash->repaint();
  QApplication::processEvents();
  splash->Timer1->stop();  // its two seconds are idle time; their end is where we start

  const auto start = Clock::now();
  const double startCpu = CpuSeconds();
  ui::ProgramWindows windows(state, dialogs, QSize(1024, 768));
  ui::TMainForm& mainForm = windows.mainForm;
  splash->hide();
  splash.reset();
  mainForm.show();
  QApplication::processEvents();
  const bool shown = mainForm.windowHandle() && mainForm.windowHandle()->isExposed();
  const double startupSeconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double startupCpu = CpuSeconds() - startCpu;
  const double resident = ResidentMegabytes();
  const int records = state.DistroTable.count();

  const auto openStart = Clock::now();
  const double openCpuStart = CpuSeconds();
  mainForm.OpenSpeedButtonClick();
  QApplication::processEvents();
  const double openSeconds = std::chrono::duration<double>(Clock::now() - openStart).count();
  const double openCpu = CpuSeconds() - openCpuStart;

  const double residentAfterOpen = ResidentMegabytes();

  // The open's core steps once more, each alone, to see where its time goes: wall and CPU.
  std::string steps;
  const auto timed = [&](const char* name, auto&& step) {
    const auto begin = Clock::now();
    const double cpu = CpuSeconds();
    step();
    const double wall = std::chrono::duration<double>(Clock::now() - begin).count();
    steps += " " + std::string(name) + "_s=" + std::to_string(wall) + " " + name +
             "_cpu_s=" + std::to_string(CpuSeconds() - cpu);
  };
  timed("load", [&] { core::LoadCatalog(state, programFolder / "base.krv"); });
  timed("sort", [&] { core::SortByName(state.DistroTable); });
  state.CurrentBasePath = programFolder / "base.krv";
  timed("working_copy", [&] { core::TakeWorkingCopy(state); });
  timed("ini_write",
        [&] { platform::WriteIniValue(programFolder / "settings.ini", "lastbase", "path", "x"); });

  std::printf(
      "shown=%d records=%d opened=%d startup_s=%.6f startup_cpu_s=%.6f rss_mb=%.2f "
      "open_s=%.6f open_cpu_s=%.6f rss_after_open_mb=%.2f%s\n",
      shown ? 1 : 0, records, state.DistroTable.count(), startupSeconds, startupCpu, resident,
      openSeconds, openCpu, residentAfterOpen, steps.c_str());
  return 0;
}
