// The add command on a catalog at its capacity, without its dialog: the dialog's texts
// copied into the table, the sort by name, the crash-safe save and the grid refill; and
// each of those steps alone, to see which one dominates.
#include <QApplication>
#include <QSize>

#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/SilentDialogs.h"
#include "bench/Words.h"
#include "core/CatalogFile.h"
#include "core/Sort.h"
#include "platform/Dialogs.h"
#include "settings/Settings.h"
#include "ui/RecordCommands.h"
#include "ui/uMain.h"

namespace {

using namespace kitrova;
namespace fs = std::filesystem;
using kitrova::bench::Word;

// A program folder with its assets, settings and a catalog of 9999 records, and the main
// window on it; one add brings the catalog to its capacity of 10000.
struct AddFixture {
  static constexpr int kRecords = core::kCatalogCapacity - 1;

  fs::path folder =
      fs::temp_directory_path() / ("kitrova-bench-add-" + std::to_string(std::random_device{}()));
  kitrova::bench::SilentDialogs dialogs;
  std::unique_ptr<core::CatalogState> state;
  std::unique_ptr<ui::TMainForm> main;
  std::vector<core::DistroRecord> loaded;  // the table as start-up sorted it

  AddFixture() {
    fs::create_directories(folder);
    fs::copy(fs::path(KITROVA_ASSETS_DIR), folder, fs::copy_options::recursive);
    const fs::path catalog = folder / "base.krv";
    {
      core::CatalogState writer(folder);
      std::mt19937 random(1536);
      for (int k = 0; k < kRecords; ++k) {
        core::DistroRecord record{};
        const std::string name = Word(random, random() % 4 == 0) + " " +
                                 std::to_string(random() % 10) + "." +
                                 std::to_string(random() % 100);
        record.Name.assign(name);
        record.Type.assign(random() % 2 ? "\xD3\xF2\xE8\xEB\xE8\xF2\xFB" : "\xC8\xE3\xF0\xFB");
        record.License.assign(random() % 2 ? "Freeware" : "Shareware");
        record.Year.assign(std::to_string(1995 + random() % 18));
        record.Comment.assign(Word(random, true) + " " + Word(random, false));
        record.Path.assign("D:\\Distr\\" + name + ".exe");
        writer.DistroTable.append(record);
      }
      core::SaveCatalog(writer, catalog);
    }
    settings::WriteSetting(folder, settings::kLastBaseSection, settings::kPathKey,
                           catalog.string());
    settings::WriteSetting(folder, settings::kDirSection, settings::kPathKey, folder.string());
    state = std::make_unique<core::CatalogState>(folder);
    main = std::make_unique<ui::TMainForm>(*state, dialogs, QSize(1024, 768));
    main->show();
    QApplication::processEvents();
    const core::DistroRecord* first = state->DistroTable.records();
    loaded.assign(first, first + state->DistroTable.count());
  }
  ~AddFixture() {
    main.reset();
    std::error_code ec;
    fs::remove_all(folder, ec);
  }

  bool ready() const { return state->DistroTable.count() == kRecords; }

  // Back to the 9999 records start-up loaded (not timed).
  void restore() {
    std::memcpy(static_cast<void*>(state->DistroTable.records()), loaded.data(),
                loaded.size() * sizeof(core::DistroRecord));
    state->DistroTable.setCount(static_cast<std::int32_t>(loaded.size()));
  }
};

const ui::RecordTexts kTexts{QStringLiteral("Мастер установки 2.1"),
                             QStringLiteral("Утилиты"),
                             QStringLiteral("Freeware"),
                             QStringLiteral("2007"),
                             QStringLiteral("Добавлено из теста"),
                             QStringLiteral("D:\\Distr\\setup21.exe")};

// The whole command after the dialog, and the window's repaint that the user waits for.
void BM_AddCommand(benchmark::State& bench) {
  AddFixture fixture;
  if (!fixture.ready()) {
    bench.SkipWithError("the catalog did not load");
    return;
  }
  for (auto _ : bench) {
    const auto record = ui::RecordFromTexts(kTexts);
    ui::StoreNewRecord(*fixture.main, *record);
    QApplication::processEvents();
    bench.PauseTiming();
    fixture.restore();
    bench.ResumeTiming();
  }
}
BENCHMARK(BM_AddCommand)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AddCommand_AppendAndSort(benchmark::State& bench) {
  AddFixture fixture;
  const auto record = ui::RecordFromTexts(kTexts);
  for (auto _ : bench) {
    fixture.state->DistroTable.append(*record);
    core::SortByName(fixture.state->DistroTable);
    bench.PauseTiming();
    fixture.restore();
    bench.ResumeTiming();
  }
}
BENCHMARK(BM_AddCommand_AppendAndSort)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AddCommand_Save(benchmark::State& bench) {
  AddFixture fixture;
  fixture.state->DistroTable.append(*ui::RecordFromTexts(kTexts));
  for (auto _ : bench) core::SaveCatalog(*fixture.state, fixture.state->CurrentBasePath);
}
BENCHMARK(BM_AddCommand_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AddCommand_FillGrid(benchmark::State& bench) {
  AddFixture fixture;
  fixture.state->DistroTable.append(*ui::RecordFromTexts(kTexts));
  for (auto _ : bench) {
    fixture.main->FillGrid();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_AddCommand_FillGrid)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
