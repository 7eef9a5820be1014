// The three search commands on a real main window: the order the grid is left in, the
// block of rows selected, and what the user is told.

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "main_test_support.h"
#include "support/ModalDriver.h"
#include "ui/uSearchForm.h"
#include "ui/uSearchTypeForm.h"
#include "ui/uSearchYearForm.h"

namespace kitrova::ui {
namespace {

using platform::MessageButtons;
using platform::MessageKind;
using testing::Rec;
using testing::RecordTexts;

const QString kNothingFound = QStringLiteral("Ничего не найдено!");

enum class Closing { SearchButton, CancelButton, CloseBox };

class SearchCommandsTest : public testing::MainWindowTest {
 protected:
  void startWith(const std::vector<RecordTexts>& records) {
    writeSettings(catalogPath());
    writeCatalog(records);
    startShown();
    byName = std::make_unique<TSearchForm>(dialogs, form.get());
    byYear = std::make_unique<TSearchYearForm>(dialogs, form.get());
    byType = std::make_unique<TSearchTypeForm>(dialogs, form.get());
    MainFormDialogs forms;
    forms.SearchForm = byName.get();
    forms.SearchYearForm = byYear.get();
    forms.SearchTypeForm = byType.get();
    form->SetDialogs(forms);
  }

  // Types `text` into the search dialog and closes it as told. `whileShown` looks at the
  // window while the dialog is up.
  std::function<void(SearchDialog&)> typing(const QString& text,
                                            Closing closing = Closing::SearchButton,
                                            std::function<void()> whileShown = {}) {
    return [this, text, closing, whileShown](SearchDialog& dialog) {
      promptAtShowing = dialog.SearchPromptEdit->text();
      if (whileShown) whileShown();
      dialog.SearchPromptEdit->setText(text);
      switch (closing) {
        case Closing::SearchButton:
          dialog.SearchButton->click();
          break;
        case Closing::CancelButton:
          dialog.CancelButton->click();
          break;
        case Closing::CloseBox:
          dialog.close();
          break;
      }
    };
  }

  testing::ModalDriver modals;
  std::unique_ptr<TSearchForm> byName;
  std::unique_ptr<TSearchYearForm> byYear;
  std::unique_ptr<TSearchTypeForm> byType;
  QString promptAtShowing;
};

TEST_F(SearchCommandsTest, OneMatchIsTheCurrentRowAndTheGridHasTheFocus) {
  startWith(testing::SampleRecords());
  byYear->SearchPromptEdit->setText(QStringLiteral("left over"));
  modals.answer(*byYear, typing(QStringLiteral("2005")));
  form->N14Click();

  EXPECT_TRUE(promptAtShowing.isEmpty()) << "the prompt is emptied before each showing";
  EXPECT_EQ(column(3), QStringList({"1999", "2003", "2004", "2005"}));
  EXPECT_EQ(form->CurrentRow(), 4);
  EXPECT_EQ(selectedRows(), std::vector<int>({4}));
  EXPECT_EQ(form->focusWidget(), form->BaseStringGrid);
  EXPECT_EQ(state->SearchPrompt, "2005");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SearchCommandsTest, BlockRunsFromFirstToLastMatchWithTheLastCurrent) {
  startWith({Rec("Gfoo"), Rec("Beta"), Rec("Hotel"), Rec("Delta"), Rec("Cfoo"), Rec("Fox"),
             Rec("Alpha"), Rec("Echo")});
  modals.answer(*byName, typing(QStringLiteral("FOO")));
  form->SearchSpeedButtonClick();

  EXPECT_EQ(cell(3, 0), QStringLiteral("Cfoo"));
  EXPECT_EQ(cell(7, 0), QStringLiteral("Gfoo"));
  EXPECT_EQ(selectedRows(), std::vector<int>({3, 4, 5, 6, 7}));
  EXPECT_EQ(form->CurrentRow(), 7);
}

TEST_F(SearchCommandsTest, SharedTypeSelectsExactlyItsRecordsAfterTheSortByType) {
  startWith({Rec("a", "Утилиты"), Rec("b", "Игры"), Rec("c", "Офис"), Rec("d", "Утилиты"),
             Rec("e", "Графика"), Rec("f", "Игры"), Rec("g", "Утилиты")});
  modals.answer(*byType, typing(QStringLiteral("утилиты")));
  form->N15Click();

  EXPECT_EQ(selectedRows(), std::vector<int>({5, 6, 7}));
  for (int row = 5; row <= 7; ++row) EXPECT_EQ(cell(row, 1), QStringLiteral("Утилиты"));
  EXPECT_EQ(form->CurrentRow(), 7);
}

TEST_F(SearchCommandsTest, MoreThanAHundredMatchesStillSelectFirstToLastWithoutScrolling) {
  std::vector<RecordTexts> records;
  for (int i = 0; i < 150; ++i)
    records.push_back(Rec(QStringLiteral("Prog%1").arg(i, 3, 10, QChar('0'))));
  startWith(records);
  modals.answer(*byName, typing(QStringLiteral("prog")));
  form->SearchSpeedButtonClick();

  const std::vector<int> rows = selectedRows();
  ASSERT_EQ(rows.size(), 150u);
  EXPECT_EQ(rows.front(), 1);
  EXPECT_EQ(rows.back(), 150);
  EXPECT_EQ(form->CurrentRow(), 150);
  EXPECT_EQ(form->BaseStringGrid->verticalScrollBar()->value(), 0);
}

struct CommandCase {
  const char* name;
  void (TMainForm::*command)();
  SearchDialog* (*dialogOf)(const MainFormDialogs&);
  QStringList orderWhileShown;  // names, sorted by the searched field
};

void PrintTo(const CommandCase& c, std::ostream* os) {
  *os << c.name;
}

class SearchCancelTest : public SearchCommandsTest,
                         public ::testing::WithParamInterface<CommandCase> {};

TEST_P(SearchCancelTest, CancelLeavesTheGridInNameOrder) {
  startWith({Rec("b", "Игры", "2001"), Rec("c", "Архиваторы", "2003"), Rec("a", "Видео", "2002")});
  const CommandCase& c = GetParam();
  QStringList orderWhileShown;
  modals.answer(*c.dialogOf(form->Forms()), typing(QStringLiteral("typed"), Closing::CancelButton,
                                                   [&] { orderWhileShown = column(0); }));
  (form.get()->*c.command)();

  // While the dialog is up the grid is sorted by the searched field.
  EXPECT_EQ(orderWhileShown, c.orderWhileShown);
  EXPECT_EQ(column(0), QStringList({"a", "b", "c"}));
  EXPECT_EQ(form->CurrentRow(), 0);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(state->SearchPrompt.empty()) << "cancel searches nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SearchCancelTest,
    ::testing::Values(
        CommandCase{"ByName",
                    &TMainForm::SearchSpeedButtonClick,
                    [](const MainFormDialogs& f) -> SearchDialog* { return f.SearchForm; },
                    {"a", "b", "c"}},
        CommandCase{"ByYear",
                    &TMainForm::N14Click,
                    [](const MainFormDialogs& f) -> SearchDialog* { return f.SearchYearForm; },
                    {"b", "a", "c"}},
        CommandCase{"ByType",
                    &TMainForm::N15Click,
                    [](const MainFormDialogs& f) -> SearchDialog* { return f.SearchTypeForm; },
                    {"c", "a", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SearchCommandsTest, TypeThatNothingHasLeavesTypeOrderAndNoRecordSelected) {
  startWith({Rec("b", "Игры"), Rec("c", "Архиваторы"), Rec("a", "Видео")});
  modals.answer(*byType, typing(QStringLiteral("Офис")));
  form->N15Click();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, kNothingFound);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(column(1), QStringList({"Архиваторы", "Видео", "Игры"}));
  EXPECT_EQ(form->CurrentRow(), 0);
  EXPECT_EQ(selectedRows(), std::vector<int>({0}));
}

TEST_F(SearchCommandsTest, EmptyPromptKeepsTheDialogOpenUntilTextIsTyped) {
  startWith(testing::SampleRecords());
  modals.answer(*byName, [&] {
    byName->SearchButton->click();
    EXPECT_TRUE(byName->isVisible());
    byName->SearchPromptEdit->setText(QStringLiteral("far"));
    byName->SearchButton->click();
  });
  form->SearchSpeedButtonClick();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Введите имя дистрибутива для поиска!"));
  EXPECT_EQ(form->CurrentRow(), 2);
  EXPECT_EQ(cell(2, 0), QStringLiteral("far"));
}

TEST_F(SearchCommandsTest, PromptOfSpacesIsSearchedAsTyped) {
  startWith({Rec("WinRAR"), Rec("Total Commander"), Rec("Opera"), Rec("Far Manager")});
  modals.answer(*byName, typing(QStringLiteral(" ")));
  form->SearchSpeedButtonClick();

  EXPECT_EQ(state->SearchPrompt, " ");
  EXPECT_EQ(selectedRows(), std::vector<int>({1, 2, 3}));
  EXPECT_EQ(form->CurrentRow(), 3);
}

TEST_F(SearchCommandsTest, CloseBoxWithTextSearchesForIt) {
  startWith(testing::SampleRecords());
  modals.answer(*byName, typing(QStringLiteral("7-z"), Closing::CloseBox));
  form->SearchSpeedButtonClick();
  EXPECT_EQ(form->CurrentRow(), 1);
  EXPECT_EQ(cell(1, 0), QStringLiteral("7-Zip"));
}

TEST_F(SearchCommandsTest, EmptyCatalogStillAsksAndFindsNothing) {
  startWith({});
  modals.answer(*byType, typing(QStringLiteral("Игры")));
  form->N15Click();
  EXPECT_EQ(modals.shown(), 1);
  EXPECT_EQ(dialogs.texts(), std::vector<QString>({kNothingFound}));
  EXPECT_EQ(form->GridModel->rowCount(), 1);
}

TEST_F(SearchCommandsTest, PromptWindows1251CannotHoldIsReportedNotSearched) {
  startWith(testing::SampleRecords());
  state->SearchPrompt = "before";
  // A replaced character ("?") would have matched nothing by luck only; say why instead.
  modals.answer(*byName, typing(QStringLiteral("Zip漢")));
  form->SearchSpeedButtonClick();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("漢")));
  EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("Windows-1251")));
  EXPECT_EQ(state->SearchPrompt, "before");
  EXPECT_EQ(form->CurrentRow(), 0);
}

TEST_F(SearchCommandsTest, ToolButtonAndMenuItemRunTheSameSearch) {
  startWith(testing::SampleRecords());
  modals.answer(*byName, typing(QStringLiteral("winrar")));
  form->N12->trigger();
  EXPECT_EQ(form->CurrentRow(), 3);

  modals.answer(*byName, typing(QStringLiteral("7-zip")));
  form->SearchSpeedButton->click();
  EXPECT_EQ(form->CurrentRow(), 1);
  EXPECT_EQ(modals.shown(), 2);

  modals.answer(*byYear, typing(QStringLiteral("1999")));
  form->N14->trigger();
  modals.answer(*byType, typing(QStringLiteral("Граф")));
  form->N15->trigger();
  EXPECT_EQ(modals.shown(), 4);
  EXPECT_EQ(cell(form->CurrentRow(), 1), QStringLiteral("Графика"));
}

}  // namespace
}  // namespace kitrova::ui
