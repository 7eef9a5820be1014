// The main window's layout, hints, column widths, screen scaling and closing.

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/CatalogOps.h"
#include "main_test_support.h"

namespace kitrova::testing {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageKind;

class MainLayoutTest : public MainWindowTest {
 protected:
  MainLayoutTest() {
    writeSettings(catalogPath());
    writeCatalog(SampleRecords());
  }

  void moveOver(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
  }
};

TEST_F(MainLayoutTest, WindowHasItsCaptionToolBarAndStatusPanels) {
  startShown();
  EXPECT_EQ(form->windowTitle(), "База дистрибутивов.");
  EXPECT_EQ(form->ButtonsToolBar->height(), 47);
  EXPECT_FALSE(form->ButtonsToolBar->isMovable());

  const std::vector<QToolButton*> order = {
      form->NewBaseSpeedButton, form->OpenSpeedButton, form->AddSpeedButton,
      form->EditSpeedButton,    form->DelSpeedButton,  form->RunSpeedButton,
      form->SearchSpeedButton,  form->SetSpeedButton,  form->HelpSpeedButton};
  const QStringList hints = {"Новая база дистрибутивов",
                             "Открыть базу дистрибутивов",
                             "Добавить дистрибутив",
                             "Изменить свойства дистрибутива",
                             "Удалить запись",
                             "Запустить установку",
                             "Поиск дистрибутива по имени",
                             "Настройки программы",
                             "О программе"};
  for (std::size_t i = 0; i < order.size(); ++i) {
    QToolButton* button = order[i];
    EXPECT_EQ(button->toolTip(), hints[static_cast<int>(i)]);
    EXPECT_TRUE(button->text().isEmpty());
    EXPECT_TRUE(button->autoRaise());
    EXPECT_EQ(button->height(), 40);
    EXPECT_EQ(button->width(), i == 1 ? 41 : 40);
    if (i > 0) {
      EXPECT_LT(order[i - 1]->x(), button->x()) << "buttons side by side, in order";
    }
  }
  EXPECT_EQ(form->StatusPanel0->width(), 250);
  EXPECT_EQ(form->StatusPanel1->width(), 50);
  EXPECT_TRUE(form->StatusPanel1->text().isEmpty());
  EXPECT_EQ(form->BaseStringGrid->font().family(), "Arial");
  EXPECT_EQ(form->BaseStringGrid->font().pointSize(), 9);
  EXPECT_EQ(form->font().pointSize(), 8);
  EXPECT_TRUE(form->BaseStringGrid->horizontalHeader()->isHidden());
  EXPECT_TRUE(form->BaseStringGrid->verticalHeader()->isHidden());
}

TEST_F(MainLayoutTest, MenusHoldTheirItemsInOrderAndSettingsIsATopLevelCommand) {
  start();
  const QList<QAction*> top = form->MainMenu1->actions();
  ASSERT_EQ(top.size(), 4);
  EXPECT_EQ(top[0], form->N1->menuAction());
  EXPECT_EQ(top[1], form->N2->menuAction());
  EXPECT_EQ(top[2], form->N3);
  EXPECT_EQ(top[3], form->N4->menuAction());
  EXPECT_EQ(form->N3->menu(), nullptr);
  EXPECT_EQ(form->N3->text(), "Настройки");

  auto captions = [](QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) out << (a->isSeparator() ? "-" : a->text());
    return out;
  };
  EXPECT_EQ(captions(form->N1), QStringList({"Новая база", "Открыть базу", "-", "Выход"}));
  EXPECT_EQ(captions(form->N2),
            QStringList({"Новая запись", "Редактировать запись", "Удалить запись", "-",
                         "Поиск дистрибутива по имени", "Поиск дистрибутива по году сборки",
                         "Поиск дистрибутива по типу"}));
  EXPECT_EQ(captions(form->N4), QStringList({"Справка", "О программе"}));
  EXPECT_EQ(captions(form->ActionPopupMenu),
            QStringList({"Новая запись", "Редактировать запись", "Удалить запись"}));
  for (const char* name : {"N1", "N5", "N7", "N13", "N17", "N18", "N20", "ActionPopupMenu",
                           "BaseStringGrid", "LocalStatusBar", "ButtonsToolBar"}) {
    EXPECT_NE(form->findChild<QObject*>(QLatin1String(name)), nullptr) << name;
  }
}

TEST_F(MainLayoutTest, HintStaysInTheStatusBarAfterTheMouseLeaves) {
  startShown();
  EXPECT_TRUE(form->StatusPanel0->text().isEmpty());
  moveOver(form->AddSpeedButton);
  EXPECT_EQ(form->StatusPanel0->text(), "Добавить дистрибутив");

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(form->AddSpeedButton, &leave);
  moveOver(form->BaseStringGrid->viewport());
  moveOver(form->ButtonsToolBar);
  EXPECT_EQ(form->StatusPanel0->text(), "Добавить дистрибутив");

  moveOver(form->HelpSpeedButton);
  EXPECT_EQ(form->StatusPanel0->text(), "О программе");
  moveOver(form->OpenSpeedButton);
  EXPECT_EQ(form->StatusPanel0->text(), "Открыть базу дистрибутивов");
}

TEST_F(MainLayoutTest, ColumnWidthsFollowTheWindowsOuterWidth) {
  startShown();
  EXPECT_EQ(form->frameGeometry().width(), 813);
  EXPECT_EQ(form->frameGeometry().height(), 549);
  const std::vector<int> at813 = {162, 162, 162, 81, 406};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(form->BaseStringGrid->columnWidth(c), at813[c]) << c;
  // The tool bar spans the whole window inside its frame.
  EXPECT_EQ(form->ButtonsToolBar->width(), form->width());

  const int frame = form->frameGeometry().width() - form->width();
  form->resize(1000 - frame, 600);
  QApplication::processEvents();
  ASSERT_EQ(form->frameGeometry().width(), 1000);
  const std::vector<int> at1000 = {200, 200, 200, 100, 500};
  for (int c = 0; c < 5; ++c) EXPECT_EQ(form->BaseStringGrid->columnWidth(c), at1000[c]) << c;
  EXPECT_EQ(form->ButtonsToolBar->width(), form->width());
}

TEST(ScaledWindowSizeTest, OnlyTheScreenWidthDecidesAndDivisionsTruncate) {
  const QSize designed(813, 549);
  EXPECT_EQ(ui::TMainForm::ScaledWindowSize({1024, 600}, designed), designed);
  EXPECT_EQ(ui::TMainForm::ScaledWindowSize({1024, 1024}, designed), designed);
  EXPECT_EQ(ui::TMainForm::ScaledWindowSize({1280, 1024}, designed), QSize(1016, 732));
  EXPECT_EQ(ui::TMainForm::ScaledWindowSize({800, 600}, designed), QSize(635, 428));
  // Only the width is tested: a 768-high screen of another width still scales the height.
  EXPECT_EQ(ui::TMainForm::ScaledWindowSize({1280, 768}, designed), QSize(1016, 549));
}

TEST_F(MainLayoutTest, ScreenOf1024By600KeepsTheDesignedWindow) {
  start(QSize(1024, 600));
  EXPECT_EQ(form->size(), QSize(813, 549));
  EXPECT_EQ(form->AddSpeedButton->width(), 40);
  EXPECT_EQ(form->font().pointSize(), 8);
}

TEST_F(MainLayoutTest, ScreenOf1280By1024GrowsTheWindowAndItsContents) {
  start(QSize(1280, 1024));
  EXPECT_EQ(form->size(), QSize(1016, 732));
  EXPECT_EQ(form->AddSpeedButton->size(), QSize(50, 50));
  EXPECT_EQ(form->OpenSpeedButton->size(), QSize(51, 50));
  EXPECT_EQ(form->ButtonsToolBar->height(), 58);
  EXPECT_EQ(form->StatusPanel0->width(), 312);
  EXPECT_EQ(form->StatusPanel1->width(), 62);
  EXPECT_EQ(form->font().pointSize(), 10);
  EXPECT_EQ(form->BaseStringGrid->font().pointSize(), 11);
  EXPECT_EQ(form->BaseStringGrid->columnWidth(4), 1016 / 2);
  EXPECT_EQ(form->GridModel->rowCount(), 5);  // start-up went on after scaling
}

TEST_F(MainLayoutTest, ScreenOf800By600ShrinksTheWindow) {
  start(QSize(800, 600));
  EXPECT_EQ(form->size(), QSize(635, 428));
  EXPECT_EQ(form->AddSpeedButton->size(), QSize(31, 31));
  EXPECT_EQ(form->font().pointSize(), 6);
}

class MainCloseTest : public MainLayoutTest {
 protected:
  // What a command would have saved since start-up.
  void changeCatalogOnDisk() {
    WriteFileBytes(catalogPath(), CatalogBytes({SampleRecords()[0]}));
    core::NoteWritten(*state);  // the window's own save, not another program's
  }
};

TEST_F(MainCloseTest, NoPutsTheCatalogBackByteForByteAndDeletesTheWorkingCopy) {
  const std::string original = ReadFileBytes(catalogPath());
  start();
  changeCatalogOnDisk();
  dialogs.answers = {MessageAnswer::No};
  form->close();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, "Сохранить изменения в базе?");
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Confirmation);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoMustChoose);
  EXPECT_EQ(ReadFileBytes(catalogPath()), original);
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
  EXPECT_FALSE(form->isVisible());
}

TEST_F(MainCloseTest, YesKeepsTheSavedCatalogAndDeletesTheWorkingCopy) {
  start();
  changeCatalogOnDisk();
  const std::string changed = ReadFileBytes(catalogPath());
  dialogs.answers = {MessageAnswer::Yes};
  form->close();
  EXPECT_EQ(ReadFileBytes(catalogPath()), changed);
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
}

TEST_F(MainCloseTest, DismissingTheQuestionIsNotANo) {
  start();
  changeCatalogOnDisk();
  const std::string changed = ReadFileBytes(catalogPath());
  dialogs.answers = {MessageAnswer::Closed};
  form->close();
  EXPECT_EQ(ReadFileBytes(catalogPath()), changed);
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
}

TEST_F(MainCloseTest, StaleWorkingCopyOfAnEarlierRunIsNeverRestored) {
  // An earlier run left its working copy; this start-up fails before taking its own.
  WriteFileBytes(folder / "_tmp.krv", "left over from an earlier run");
  fs::remove(folder / "Pic" / "del.bmp");
  const std::string original = ReadFileBytes(catalogPath());
  start();
  ASSERT_EQ(dialogs.messages.size(), 1u);  // the missing picture
  dialogs.answers = {MessageAnswer::No};
  form->close();
  EXPECT_EQ(ReadFileBytes(catalogPath()), original);
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
}

TEST_F(MainCloseTest, FailedRestoreIsReportedKeepsTheWorkingCopyAndStillCloses) {
  start();
  const std::string original = ReadFileBytes(catalogPath());
  // Something now stands where the catalog file was, so it cannot be written back.
  fs::remove(catalogPath());
  fs::create_directory(catalogPath());
  fs::create_directory(catalogPath() / "inside");
  core::NoteWritten(*state);  // not another program's change: only the restore fails
  dialogs.answers = {MessageAnswer::No};
  form->show();
  form->close();

  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].kind, MessageKind::Error);
  EXPECT_FALSE(form->isVisible());
  // Kept in "Backup", where the next start's working copy cannot replace it.
  const QString& text = dialogs.messages[1].text;
  const qsizetype start = text.indexOf(QStringLiteral("kept"));
  ASSERT_GE(start, 0) << text.toStdString();
  const QString name = text.mid(start, text.indexOf(QLatin1Char('"'), start) - start);
  EXPECT_EQ(ReadFileBytes(folder / "Backup" / name.toStdString()), original);
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
}

}  // namespace
}  // namespace kitrova::testing
