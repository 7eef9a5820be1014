#pragma once
// A program folder with the program's own files, a scripted stand-in for every dialog, and
// the main window started on them.

#include <QSize>
#include <QString>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/CatalogState.h"
#include "support/RecordTexts.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"

namespace kitrova::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    folder.installAssets();
    state = std::make_unique<core::CatalogState>(folder.path());
  }

  std::filesystem::path catalogPath() const { return folder / "base.krv"; }

  // settings.ini naming `catalog` (when not empty) and an installer folder.
  void writeSettings(const std::filesystem::path& catalog, bool withFolder = true) {
    std::string text;
    if (!catalog.empty()) text += "[lastbase]\r\npath=" + catalog.string() + "\r\n";
    if (withFolder) text += "[dir]\r\npath=" + folder.path().string() + "/\r\n";
    WriteFileBytes(folder / "settings.ini", text);
  }

  void writeCatalog(const std::vector<RecordTexts>& records) {
    WriteFileBytes(catalogPath(), CatalogBytes(records));
  }

  ui::TMainForm& start(QSize screen = QSize(1024, 768)) {
    form = std::make_unique<ui::TMainForm>(*state, dialogs, screen);
    return *form;
  }

  ui::TMainForm& startShown() {
    start();
    form->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    return *form;
  }

  QString cell(int row, int column) const {
    return form->GridModel->data(form->GridModel->index(row, column)).toString();
  }

  QStringList column(int c) const {
    QStringList out;
    for (int row = 1; row < form->GridModel->rowCount(); ++row) out << cell(row, c);
    return out;
  }

  std::vector<int> selectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : form->BaseStringGrid->selectionModel()->selectedRows()) {
      rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
  }

  TempFolder folder;
  ScriptedDialogs dialogs;
  std::unique_ptr<core::CatalogState> state;
  std::unique_ptr<ui::TMainForm> form;  // destroyed first: it refers to the state
};

}  // namespace kitrova::testing
