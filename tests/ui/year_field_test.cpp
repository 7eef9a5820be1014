// The year field as a user reaches it: a click anywhere in the wide field, or Tab, and the
// digits typed go into the year.

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/uEditForm.h"

namespace kitrova::ui {
namespace {

class YearFieldTest : public ::testing::Test {
 protected:
  YearFieldTest() : form(folder.path(), dialogs) {
    form.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
  }

  // x of the caret standing before mask position `position`.
  int XOf(int position) {
    year().setCursorPosition(position);
    return year().inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
  }

  YearMaskEdit& year() { return *form.YearEdit; }

  testing::TempFolder folder;
  testing::ScriptedDialogs dialogs;
  TEditForm form;
};

TEST_F(YearFieldTest, DigitsTypedAfterAClickOrTabGoToTheFirstUnfilledPosition) {
  constexpr int kFarRight = -2;  // the usual click: well right of the four positions
  constexpr int kTab = -1;
  struct Case {
    const char* stored;
    int at;  // a mask position clicked, kFarRight or kTab
    const char* typed;
    const char* year;
  };
  const Case cases[] = {
      {"", kFarRight, "2005", "2005"},  // the empty field
      {"19", kFarRight, "99", "1999"},  // behind the text: where the text ends
      {"", 0, "2007", "2007"},          // the left edge, as before
      {"20", kTab, "07", "2007"},       {"2 05", 2, "1", "2 15"},  // inside the text: where clicked
      {"2005", kFarRight, "1", "2005"},  // a full year takes no more digits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    form.NameEdit->setFocus();
    year().SetYearText(QString::fromLatin1(c.stored));
    if (c.at == kTab) {
      form.ClearButton->setFocus();  // the control before the year in the tab order
      QTest::keyClick(form.ClearButton, Qt::Key_Tab);
      ASSERT_TRUE(year().hasFocus());
    } else {
      const int x = c.at == kFarRight ? year().width() - 10 : XOf(c.at);
      QTest::mouseClick(&year(), Qt::LeftButton, {}, QPoint(x, year().height() / 2));
    }
    QTest::keyClicks(&year(), QString::fromLatin1(c.typed));
    EXPECT_EQ(year().YearText(), QString::fromLatin1(c.year));
  }
}

}  // namespace
}  // namespace kitrova::ui
