// The test driver for modal dialogs: every way a script can go wrong fails the test and
// closes the window instead of hanging.
#include <QDialog>
#include <QTest>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>

#include "support/ModalDriver.h"

namespace kitrova::testing {
namespace {

TEST(ModalDriverTest, StepsRunInOrderOnTheirOwnWindow) {
  QDialog first;
  QDialog second;
  ModalDriver modals;
  modals.answer(first, [&] { first.accept(); });
  modals.answer(second, [](QDialog& d) { d.reject(); });
  EXPECT_EQ(first.exec(), QDialog::Accepted);
  EXPECT_EQ(second.exec(), QDialog::Rejected);
  EXPECT_EQ(modals.shown(), 2);
  EXPECT_EQ(modals.shown(first), 1);
  EXPECT_TRUE(modals.done());
}

TEST(ModalDriverTest, MistakesFailAndCloseTheWindow) {
  QDialog dialog;
  QDialog other;
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver modals;
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
      },
      "no step to answer it");
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver modals;
        modals.answer(dialog, [] {});
        dialog.exec();
      },
      "left QDialog open");
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver modals;
        modals.answer(other, [&] { other.accept(); });
        dialog.exec();
      },
      "but QDialog");
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver modals;
        modals.answer(dialog, [] {});
      },
      "never ran");
  EXPECT_NONFATAL_FAILURE(
      {
        ModalDriver modals(std::chrono::milliseconds(20));
        modals.answer(dialog, [] {});
        QTest::qWait(200);
        EXPECT_TRUE(modals.done());
      },
      "no modal window came up within 20 ms");
}

}  // namespace
}  // namespace kitrova::testing
