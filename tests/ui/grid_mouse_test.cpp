// The mouse on the main window's grid: header clicks sort, the right button opens the
// pop-up menu, a double-click or the run button hands the installer to the shell.

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

#include "main_test_support.h"

namespace kitrova::testing {
namespace {

namespace fs = std::filesystem;
using platform::MessageKind;

const QString kAddRecord = QStringLiteral("Добавьте дистрибутив!");
const QString kChooseRecord = QStringLiteral("Выберите дистрибутив!");

class GridMouseTest : public MainWindowTest {
 protected:
  void startWith(const std::vector<RecordTexts>& records, bool backups = false) {
    writeSettings(catalogPath());
    if (backups) {
      WriteFileBytes(folder / "settings.ini",
                     ReadFileBytes(folder / "settings.ini") + "[backup]\r\ndo=yes\r\n");
    }
    writeCatalog(records);
    startShown();
    ASSERT_TRUE(dialogs.messages.empty());
    onDisk = ReadFileBytes(catalogPath());
  }

  QWidget* viewport() const { return form->BaseStringGrid->viewport(); }

  // A point inside the visible part of a cell.
  QPoint at(int row, int column) const {
    const QRect r = form->BaseStringGrid->visualRect(form->GridModel->index(row, column));
    return QPoint(r.left() + 10, r.center().y());
  }

  void send(QEvent::Type type, Qt::MouseButton button, QPoint point) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, QPointF(point), viewport()->mapToGlobal(QPointF(point)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport(), &event);
  }

  void click(Qt::MouseButton button, QPoint point) {
    send(QEvent::MouseButtonPress, button, point);
    send(QEvent::MouseButtonRelease, button, point);
  }

  void doubleClick(QPoint point) {
    click(Qt::LeftButton, point);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, point);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, point);
  }

  std::string onDisk;
};

struct HeaderCase {
  int column;
  QStringList columnAfter;  // the pressed column, top to bottom
  QStringList namesAfter;   // empty where equal keys leave the order open
};

class HeaderClickTest : public GridMouseTest, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderClickTest, LeftPressOnAHeaderSortsByItsColumnWithoutSaving) {
  const HeaderCase& c = GetParam();
  startWith(SampleRecords(), true);
  ASSERT_TRUE(state->BackupEnabled);
  form->BaseStringGrid->SetRow(2);
  click(Qt::LeftButton, at(0, c.column));

  EXPECT_EQ(column(c.column), c.columnAfter);
  if (!c.namesAfter.isEmpty()) {
    EXPECT_EQ(column(0), c.namesAfter);
  }
  EXPECT_EQ(form->CurrentRow(), 0);
  EXPECT_EQ(selectedRows(), std::vector<int>{0});
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(ReadFileBytes(catalogPath()), onDisk);
  // Only the seed: a sort takes no backup copy.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "Backup"), fs::directory_iterator()), 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryColumn, HeaderClickTest,
    ::testing::Values(
        HeaderCase{0, {"7-Zip", "far", "WinRAR", "Адобе Ридер"}, {}},
        HeaderCase{1,
                   {"Архиваторы", "Графика", "Утилиты", "Файловые менеджеры"},
                   {"WinRAR", "Адобе Ридер", "7-Zip", "far"}},
        HeaderCase{2, {"Adware", "Freeware", "Freeware", "Shareware"}, {}},
        HeaderCase{3, {"1999", "2003", "2004", "2005"}, {"Адобе Ридер", "far", "WinRAR", "7-Zip"}},
        HeaderCase{4, {"", "Архив", "Бета", "Новый"}, {"Адобе Ридер", "7-Zip", "WinRAR", "far"}}));

TEST_F(GridMouseTest, LeftPressOnARecordOnlyMakesItCurrent) {
  startWith(SampleRecords());
  click(Qt::LeftButton, at(3, 1));
  EXPECT_EQ(form->CurrentRow(), 3);
  EXPECT_EQ(column(0), QStringList({"7-Zip", "far", "WinRAR", "Адобе Ридер"}));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GridMouseTest, LeftPressInTheHeaderRowBeyondTheLastColumnDoesNothing) {
  startWith(SampleRecords());
  for (int c = 0; c < 5; ++c) form->BaseStringGrid->setColumnWidth(c, 40);
  form->BaseStringGrid->SetRow(2);
  click(Qt::LeftButton, QPoint(400, at(0, 0).y()));
  EXPECT_EQ(form->CurrentRow(), 2);
  EXPECT_EQ(column(0), QStringList({"7-Zip", "far", "WinRAR", "Адобе Ридер"}));
}

TEST_F(GridMouseTest, RightPressOnARecordMakesItCurrentAndOpensThePopUpAtTheCursor) {
  startWith(SampleRecords());
  QCursor::setPos(QPoint(300, 200));
  click(Qt::RightButton, at(3, 2));

  EXPECT_EQ(form->CurrentRow(), 3);
  EXPECT_EQ(selectedRows(), std::vector<int>{3});
  EXPECT_TRUE(form->ActionPopupMenu->isVisible());
  EXPECT_EQ(form->LastPopupPosition(), QCursor::pos());
  EXPECT_TRUE(dialogs.messages.empty());
  form->ActionPopupMenu->hide();
}

TEST_F(GridMouseTest, RightPressOnTheHeaderRowOrBelowTheRecordsAsksToAddOne) {
  startWith(SampleRecords());
  form->BaseStringGrid->SetRow(2);
  click(Qt::RightButton, at(0, 1));
  click(Qt::RightButton, QPoint(20, at(4, 0).y() + 60));

  ASSERT_EQ(dialogs.messages.size(), 2u);
  for (const auto& m : dialogs.messages) {
    EXPECT_EQ(m.text, kAddRecord);
    EXPECT_EQ(m.kind, MessageKind::Error);
    EXPECT_EQ(m.buttons, platform::MessageButtons::Ok);
  }
  EXPECT_EQ(form->CurrentRow(), 2) << "a right press does not move the current row";
  EXPECT_FALSE(form->ActionPopupMenu->isVisible());
}

TEST_F(GridMouseTest, EmptyCatalogRightPressAsksToAddLeftPressOnHeaderChangesNothing) {
  startWith({});
  click(Qt::RightButton, at(0, 0));
  click(Qt::RightButton, QPoint(30, 150));
  click(Qt::LeftButton, at(0, 3));
  EXPECT_EQ(dialogs.texts(), std::vector<QString>({kAddRecord, kAddRecord}));
  EXPECT_EQ(form->GridModel->rowCount(), 1);
  EXPECT_EQ(form->CurrentRow(), 0);
}

TEST_F(GridMouseTest, MiddleButtonDoesNothing) {
  startWith(SampleRecords());
  form->BaseStringGrid->SetRow(3);
  click(Qt::MiddleButton, at(0, 1));
  click(Qt::MiddleButton, at(1, 1));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form->CurrentRow(), 3);
  EXPECT_EQ(column(0), QStringList({"7-Zip", "far", "WinRAR", "Адобе Ридер"}));
  EXPECT_FALSE(form->ActionPopupMenu->isVisible());
}

TEST_F(GridMouseTest, DoubleClickOnTheHeaderRowComplainsFirstThenSorts) {
  startWith(SampleRecords());
  QString firstNameWhenAsked;
  dialogs.onMessage = [&](const MessageRecord&) {
    firstNameWhenAsked = platform::FromCp1251(state->DistroTable.at(1).Name.view());
  };
  // The second press of the double-click: the first one is an ordinary press.
  send(QEvent::MouseButtonDblClick, Qt::LeftButton, at(0, 1));
  send(QEvent::MouseButtonRelease, Qt::LeftButton, at(0, 1));

  EXPECT_EQ(dialogs.texts(), std::vector<QString>{kChooseRecord});
  EXPECT_EQ(firstNameWhenAsked, "7-Zip") << "the message comes before the sort by type";
  EXPECT_EQ(column(0), QStringList({"WinRAR", "Адобе Ридер", "7-Zip", "far"}));
  EXPECT_TRUE(dialogs.shellOpened.empty());
}

TEST_F(GridMouseTest, DoubleClickOnARecordRunsItsInstaller) {
  startWith(SampleRecords());
  doubleClick(at(4, 0));
  ASSERT_EQ(dialogs.shellOpened.size(), 1u);
  EXPECT_EQ(dialogs.shellOpened[0], "C:\\Дистрибутивы\\reader.exe");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GridMouseTest, RunHandsTheStoredPathOfTheCurrentRowToTheShell) {
  startWith(SampleRecords());
  click(Qt::LeftButton, at(2, 0));
  form->RunSpeedButton->click();
  ASSERT_EQ(dialogs.shellOpened.size(), 1u);
  EXPECT_EQ(dialogs.shellOpened[0], "C:\\Distr\\far.zip");
  EXPECT_EQ(form->CurrentRow(), 2);
  EXPECT_EQ(ReadFileBytes(catalogPath()), onDisk);
}

TEST_F(GridMouseTest, RunWithABlockSelectedRunsTheCurrentLastRow) {
  startWith(SampleRecords());
  form->BaseStringGrid->SelectRows(1, 3);
  form->RunSpeedButtonClick();
  EXPECT_EQ(dialogs.shellOpened, std::vector<QString>{"C:\\Distr\\winrar.exe"});
}

TEST_F(GridMouseTest, RunRightAfterStartUpFindsNoRecordSelected) {
  startWith(SampleRecords());
  form->RunSpeedButton->click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, kChooseRecord);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(dialogs.shellOpened.empty());
}

TEST_F(GridMouseTest, RunPassesAPathThatNamesNoFileWithoutAMessage) {
  startWith({{"Пропавший", "Утилиты", "Freeware", "2001", "", "/nowhere/нет такого.exe"}});
  form->FlushSelection();
  click(Qt::LeftButton, at(1, 0));
  form->RunSpeedButtonClick();
  EXPECT_EQ(dialogs.shellOpened, std::vector<QString>{"/nowhere/нет такого.exe"});
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(GridMouseTest, KeysMoveTheCurrentRowButStartNoCommand) {
  startWith(SampleRecords());
  form->BaseStringGrid->setFocus();
  form->BaseStringGrid->SetRow(2);
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Delete, Qt::Key_Insert, Qt::Key_W}) {
    QTest::keyClick(form->BaseStringGrid, key);
  }
  EXPECT_EQ(form->CurrentRow(), 2) << "typing does not jump to a row";
  QTest::keyClick(form->BaseStringGrid, Qt::Key_Down);
  EXPECT_EQ(form->CurrentRow(), 3);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(dialogs.shellOpened.empty());
  EXPECT_EQ(ReadFileBytes(catalogPath()), onDisk);
}

}  // namespace
}  // namespace kitrova::testing
