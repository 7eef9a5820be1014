// The grid at the catalog's capacity: refilling it from the table, and the main window's
// creation (FormCreate) until the window is on the screen.
#include <QApplication>
#include <QSize>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "bench/SilentDialogs.h"
#include "bench/Words.h"
#include "core/CatalogState.h"
#include "core/Sort.h"
#include "platform/Dialogs.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"

namespace {

using namespace kitrova;
namespace fs = std::filesystem;

core::DistroRecord SampleRecord(std::mt19937& random) {
  core::DistroRecord record{};
  // Half Latin, half Cyrillic.
  const std::string name = bench::Word(random, random() % 2 == 0);
  record.Name.assign(name);
  record.Type.assign("\xD3\xF2\xE8\xEB\xE8\xF2\xFB");
  record.License.assign(random() % 2 ? "Freeware" : "Shareware");
  record.Year.assign(std::to_string(1995 + random() % 18));
  record.Comment.assign(name + " " + name);
  record.Path.assign("C:\\Distr\\" + name + ".exe");
  return record;
}

void FillTable(core::CatalogTable& table, int count) {
  std::mt19937 random(1536);
  table.clear();
  for (int k = 0; k < count; ++k) table.append(SampleRecord(random));
}

// FillGrid on a shown main window's grid with 10000 records: model reset plus row 0 made
// current, and the repaint that follows.
void BM_GridRefill10000(benchmark::State& bench) {
  core::CatalogTable table;
  FillTable(table, core::kCatalogCapacity);
  ui::DistroGridModel model(table);
  model.setHeaderTexts(ui::TMainForm::StartupHeaderTexts());
  ui::TStringGrid grid;
  grid.setModel(&model);
  grid.resize(813, 450);
  grid.show();
  QApplication::processEvents();
  for (auto _ : bench) {
    model.refill();
    grid.SetRow(0);
    QApplication::processEvents();  // the repaint of the visible rows
  }
  bench.counters["rows"] = model.rowCount();
}
BENCHMARK(BM_GridRefill10000)->Unit(benchmark::kMillisecond);

// The model reset alone, without painting.
void BM_GridModelReset10000(benchmark::State& bench) {
  core::CatalogTable table;
  FillTable(table, core::kCatalogCapacity);
  ui::DistroGridModel model(table);
  ui::TStringGrid grid;
  grid.setModel(&model);
  for (auto _ : bench) model.refill();
}
BENCHMARK(BM_GridModelReset10000)->Unit(benchmark::kMicrosecond);

// A program folder with its pictures, settings and a 10000-record catalog.
struct ProgramFolder {
  fs::path path =
      fs::temp_directory_path() / ("kitrova-bench-grid-" + std::to_string(std::random_device{}()));

  ProgramFolder() {
    fs::create_directories(path);
    fs::copy(fs::path(KITROVA_ASSETS_DIR), path, fs::copy_options::recursive);
    core::CatalogTable table;
    FillTable(table, core::kCatalogCapacity);
    std::ofstream catalog(path / "base.krv", std::ios::binary);
    catalog.write(reinterpret_cast<const char*>(table.records()),
                  static_cast<std::streamsize>(sizeof(core::DistroRecord)) * table.count());
    std::ofstream ini(path / "settings.ini", std::ios::binary);
    ini << "[lastbase]\r\npath=" << (path / "base.krv").string()
        << "\r\n[dir]\r\npath=" << path.string() << "/\r\n";
  }
  ~ProgramFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

// From the start of the window's creation (which runs FormCreate: pictures, settings,
// load, sort, grid, working copy) until it has been shown and painted.
void BM_FormCreateToShown10000(benchmark::State& bench) {
  ProgramFolder folder;
  kitrova::bench::SilentDialogs dialogs;
  for (auto _ : bench) {
    core::CatalogState state(folder.path);
    const auto start = std::chrono::steady_clock::now();
    auto form = std::make_unique<ui::TMainForm>(state, dialogs, QSize(1024, 768));
    form->show();
    QApplication::processEvents();
    const auto end = std::chrono::steady_clock::now();
    bench.SetIterationTime(std::chrono::duration<double>(end - start).count());
    if (state.DistroTable.count() != core::kCatalogCapacity) bench.SkipWithError("not loaded");
    form.reset();
  }
}
BENCHMARK(BM_FormCreateToShown10000)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
