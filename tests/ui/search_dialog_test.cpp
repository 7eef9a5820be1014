// The search dialog in its three looks: layout, focus, and what each button leaves in the
// prompt field (the only thing the search command reads).

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

#include "support/ModalDriver.h"
#include "support/ScriptedDialogs.h"
#include "ui/uSearchForm.h"
#include "ui/uSearchTypeForm.h"
#include "ui/uSearchYearForm.h"

namespace kitrova::ui {
namespace {

using testing::ExecModal;

using platform::MessageButtons;
using platform::MessageKind;
using testing::ScriptedDialogs;

struct Expected {
  const char* name;
  std::function<std::unique_ptr<SearchDialog>(platform::Dialogs&)> make;
  QString caption;
  QString label;
  QSize client;
  QString emptyPrompt;
};

// Test names show the look's name rather than its bytes.
void PrintTo(const Expected& e, std::ostream* os) {
  *os << e.name;
}

std::vector<Expected> AllLooks() {
  return {
      {"ByName", [](platform::Dialogs& d) { return std::make_unique<TSearchForm>(d); },
       QStringLiteral("Поиск дистрибутива по имени"), QStringLiteral("Имя дистрибутива"),
       QSize(355, 105), QStringLiteral("Введите имя дистрибутива для поиска!")},
      {"ByYear", [](platform::Dialogs& d) { return std::make_unique<TSearchYearForm>(d); },
       QStringLiteral("Поиск дистрибутива по году сборки"),
       QStringLiteral("Год сборки дистрибутива"), QSize(357, 105),
       QStringLiteral("Введите год сборки дистрибутива для поиска!")},
      {"ByType", [](platform::Dialogs& d) { return std::make_unique<TSearchTypeForm>(d); },
       QStringLiteral("Поиск дистрибутива по типу"), QStringLiteral("Тип дистрибутива"),
       QSize(355, 106), QStringLiteral("Введите тип дистрибутива для поиска!")},
  };
}

class SearchDialogLookTest : public ::testing::TestWithParam<Expected> {
 protected:
  ScriptedDialogs dialogs;
};

TEST_P(SearchDialogLookTest, CaptionLabelSizeAndCommonLayout) {
  const Expected& e = GetParam();
  auto dialog = e.make(dialogs);
  EXPECT_EQ(dialog->windowTitle(), e.caption);
  EXPECT_EQ(dialog->Label1->text(), e.label);
  EXPECT_EQ(dialog->size(), e.client);
  EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "fixed-size frame";
  EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinMaxButtonsHint);

  EXPECT_EQ(dialog->Label1->pos(), QPoint(8, 8));
  EXPECT_EQ(dialog->SearchPromptEdit->geometry(), QRect(8, 24, 337, 21));
  EXPECT_EQ(dialog->SearchButton->geometry(), QRect(184, 72, 75, 25));
  EXPECT_EQ(dialog->CancelButton->geometry(), QRect(272, 72, 75, 25));
  EXPECT_EQ(dialog->SearchButton->text(), QStringLiteral("Искать"));
  EXPECT_EQ(dialog->CancelButton->text(), QStringLiteral("Отмена"));
  EXPECT_TRUE(dialog->SearchPromptEdit->text().isEmpty());
  EXPECT_GE(dialog->SearchPromptEdit->maxLength(), 100000) << "no length limit";

  // Tab order: prompt, search, cancel; the label takes no focus.
  EXPECT_EQ(dialog->SearchPromptEdit->nextInFocusChain(), dialog->SearchButton);
  EXPECT_EQ(dialog->SearchButton->nextInFocusChain(), dialog->CancelButton);
  EXPECT_EQ(dialog->Label1->focusPolicy(), Qt::NoFocus);
}

TEST_P(SearchDialogLookTest, EmptyPromptShowsItsOwnErrorAndStaysOpen) {
  const Expected& e = GetParam();
  auto dialog = e.make(dialogs);
  ExecModal(*dialog, [&] {
    dialog->SearchButton->click();
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, e.emptyPrompt);
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);

    dialog->SearchPromptEdit->setText(QStringLiteral("7-Zip"));
    dialog->SearchButton->click();
    EXPECT_FALSE(dialog->isVisible());
  });
  EXPECT_EQ(dialog->SearchPromptEdit->text(), QStringLiteral("7-Zip"));
  EXPECT_EQ(dialogs.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Looks, SearchDialogLookTest, ::testing::ValuesIn(AllLooks()),
                         [](const auto& info) { return std::string(info.param.name); });

class SearchDialogTest : public ::testing::Test {
 protected:
  ScriptedDialogs dialogs;
  TSearchForm dialog{dialogs};
};

TEST_F(SearchDialogTest, SpacesAreAPromptNotAnEmptyField) {
  ExecModal(dialog, [&] {
    dialog.SearchPromptEdit->setText(QStringLiteral("  "));
    dialog.SearchButton->click();
  });
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(dialog.SearchPromptEdit->text(), QStringLiteral("  "));
}

TEST_F(SearchDialogTest, CancelEmptiesTheFieldAndCloseBoxKeepsIt) {
  ExecModal(dialog, [&] {
    dialog.SearchPromptEdit->setText(QStringLiteral("Opera"));
    dialog.CancelButton->click();
  });
  EXPECT_TRUE(dialog.SearchPromptEdit->text().isEmpty());

  ExecModal(dialog, [&] {
    dialog.SearchPromptEdit->setText(QStringLiteral("Opera"));
    dialog.close();
  });
  EXPECT_EQ(dialog.SearchPromptEdit->text(), QStringLiteral("Opera"));
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(SearchDialogTest, EnterPressesOnlyTheFocusedButtonAndEscDoesNothing) {
  ExecModal(dialog, [&] {
    dialog.SearchPromptEdit->setText(QStringLiteral("Opera"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    // The field has the focus, so Enter presses nothing.
    QTest::keyClick(dialog.SearchPromptEdit, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    dialog.CancelButton->setFocus();
    QTest::keyClick(dialog.CancelButton, Qt::Key_Return);
  });
  EXPECT_TRUE(dialog.SearchPromptEdit->text().isEmpty());
}

TEST_F(SearchDialogTest, PromptHasFocusFirstThenTheControlThatHadItAtClosing) {
  ExecModal(dialog, [&] {
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.SearchPromptEdit);
    QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
  });
  ExecModal(dialog, [&] {
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.CancelButton);
    dialog.CancelButton->click();
  });
}

TEST_F(SearchDialogTest, ClickOnTheBackgroundFocusesThePrompt) {
  ExecModal(dialog, [&] {
    dialog.SearchButton->setFocus();
    // Between the field and the buttons there is only background.
    QTest::mouseClick(&dialog, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_EQ(dialog.focusWidget(), dialog.SearchPromptEdit);
    dialog.CancelButton->click();
  });
}

}  // namespace
}  // namespace kitrova::ui
