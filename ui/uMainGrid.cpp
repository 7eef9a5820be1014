// The mouse on the catalog grid and running the selected record's installer.

#include <QCursor>
#include <QMenu>

#include "core/Sort.h"
#include "platform/Cp1251.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"

namespace kitrova::ui {

namespace {

const QString kAddRecordText = QStringLiteral("Добавьте дистрибутив!");
const QString kChooseRecordText = QStringLiteral("Выберите дистрибутив!");

}  // namespace

void TMainForm::BaseStringGridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers,
                                        QPoint point) {
  // Every command handler is its own error boundary: nothing escapes into the event loop.
  try {
    if (button == Qt::RightButton) {
      const QPoint screenPosition = QCursor::pos();
      const TStringGrid::Cell cell = BaseStringGrid->HitTest(point);
      if (cell.row >= 1) {
        BaseStringGrid->SetRow(cell.row);
        lastPopupPosition_ = screenPosition;
        ActionPopupMenu->popup(screenPosition);
      } else {
        platform::ShowErrorText(dialogs_, this, kAddRecordText);
      }
      return;
    }
    if (button != Qt::LeftButton) return;

    const TStringGrid::Cell cell = BaseStringGrid->HitTest(point);
    if (cell.row != 0) return;
    switch (cell.column) {
      case 0:
        core::SortByName(state_.DistroTable);
        break;
      case 1:
        core::SortByType(state_.DistroTable);
        break;
      case 2:
        core::SortByLicense(state_.DistroTable);
        break;
      case 3:
        core::SortByYear(state_.DistroTable);
        break;
      case 4:
        core::SortByComment(state_.DistroTable);
        break;
      default:
        return;
    }
    FillGrid();
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

void TMainForm::BaseStringGridDblClick() {
  RunSelected();
}

void TMainForm::RunSpeedButtonClick() {
  RunSelected();
}

void TMainForm::RunSelected() {
  try {
    const int row = CurrentRow();
    // A row the table no longer holds names no record either.
    if (row <= 0 || row > state_.DistroTable.count()) {
      platform::ShowErrorText(dialogs_, this, kChooseRecordText);
      return;
    }
    // The stored path as it is: not tested, not quoted, not changed.
    dialogs_.openWithShell(platform::FromCp1251(state_.DistroTable.at(row).Path.view()));
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

}  // namespace kitrova::ui
