// The dialog that asks for a new catalog's name.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "support/ModalDriver.h"
#include "ui/uNameNewForm.h"

namespace kitrova::ui {
namespace {

using testing::ExecModal;

TEST(NameNewBaseFormTest, LayoutWithCyrillicOkCaption) {
  TNameNewBaseForm dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Введите имя новой базы"));
  EXPECT_EQ(dialog.size(), QSize(312, 95));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.Label1->text(), QStringLiteral("Имя новой базы"));
  EXPECT_EQ(dialog.Label1->pos(), QPoint(8, 8));
  EXPECT_EQ(dialog.Edit1->geometry(), QRect(8, 32, 297, 21));
  EXPECT_EQ(dialog.Button1->geometry(), QRect(152, 64, 75, 25));
  EXPECT_EQ(dialog.Button2->geometry(), QRect(232, 64, 75, 25));
  EXPECT_EQ(dialog.Button2->text(), QStringLiteral("Отмена"));
  EXPECT_TRUE(dialog.Edit1->text().isEmpty());

  // Cyrillic О (U+041E) and К (U+041A), which Windows-1251 stores as 0xCE 0xCA.
  const QString ok = dialog.Button1->text();
  ASSERT_EQ(ok.size(), 2);
  EXPECT_EQ(ok[0].unicode(), 0x041E);
  EXPECT_EQ(ok[1].unicode(), 0x041A);
}

TEST(NameNewBaseFormTest, OkButtonLeadsTheTabOrderAndHasTheFirstFocus) {
  TNameNewBaseForm dialog;
  EXPECT_EQ(dialog.Button1->nextInFocusChain(), dialog.Button2);
  EXPECT_EQ(dialog.Button2->nextInFocusChain(), dialog.Edit1);
  ExecModal(dialog, [&] {
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.Button1);
    // Enter on the focused OK closes it; Esc never does.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.Button1, Qt::Key_Return);
  });
}

TEST(NameNewBaseFormTest, OkKeepsTheNameForTheNextShowingAndCancelEmptiesIt) {
  TNameNewBaseForm dialog;
  ExecModal(dialog, [&] {
    dialog.Edit1->setText(QStringLiteral("Игры"));
    dialog.Button1->click();
  });
  EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("Игры"));

  ExecModal(dialog, [&] {
    EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("Игры"));
    dialog.Button2->click();
  });
  EXPECT_TRUE(dialog.Edit1->text().isEmpty());

  // The close box leaves the field as it is.
  ExecModal(dialog, [&] {
    dialog.Edit1->setText(QStringLiteral("soft"));
    dialog.close();
  });
  EXPECT_EQ(dialog.Edit1->text(), QStringLiteral("soft"));
}

}  // namespace
}  // namespace kitrova::ui
