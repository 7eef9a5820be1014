// The real Qt message boxes and the dialog base: captions, buttons, and which keys answer.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include "support/ModalDriver.h"
#include "support/TempFolder.h"

#include "platform/Dialogs.h"
#include "platform/ModalDialog.h"

namespace kitrova::platform {
namespace {

TEST(QtDialogsTest, ErrorBoxHasTheTitleTheIconAndOneOkButton) {
  QtDialogs dialogs;
  testing::ModalDriver modals;
  modals.answerAny<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Kitrova"));
    EXPECT_EQ(box.text(), QStringLiteral("Ошибка файла конфигурации!"));
    EXPECT_EQ(box.icon(), QMessageBox::Critical);
    ASSERT_EQ(box.buttons().size(), 1);
    EXPECT_EQ(box.standardButton(box.buttons().front()), QMessageBox::Ok);
    box.buttons().front()->click();
  });
  EXPECT_EQ(dialogs.message(nullptr, MessageKind::Error,
                            QStringLiteral("Ошибка файла конфигурации!"), MessageButtons::Ok),
            MessageAnswer::Ok);
}

TEST(QtDialogsTest, YesNoDefaultsToYesButEscAndTheCloseBoxDecline) {
  QtDialogs dialogs;
  testing::ModalDriver modals;
  modals.answerAny<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.buttons().size(), 2);
    EXPECT_EQ(box.standardButton(box.defaultButton()), QMessageBox::Yes);
    QTest::keyClick(&box, Qt::Key_Escape);
  });
  EXPECT_EQ(dialogs.message(nullptr, MessageKind::Confirmation, QStringLiteral("Удалить?"),
                            MessageButtons::YesNo),
            MessageAnswer::No);

  modals.answerAny<QMessageBox>([](QMessageBox& box) { box.close(); });
  EXPECT_EQ(dialogs.message(nullptr, MessageKind::Confirmation, QStringLiteral("Удалить?"),
                            MessageButtons::YesNo),
            MessageAnswer::No);

  modals.answerAny<QMessageBox>([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); });
  EXPECT_EQ(dialogs.message(nullptr, MessageKind::Confirmation, QStringLiteral("Удалить?"),
                            MessageButtons::YesNo),
            MessageAnswer::Yes);
}

TEST(QtDialogsTest, AMustChooseQuestionIgnoresEscAndTheCloseBox) {
  QtDialogs dialogs;
  testing::ModalDriver modals;
  modals.answerAny<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.buttons().size(), 2);
    QTest::keyClick(&box, Qt::Key_Escape);
    box.close();
    EXPECT_TRUE(box.isVisible());
    for (QAbstractButton* button : box.buttons()) {
      if (box.standardButton(button) == QMessageBox::No) button->click();
    }
  });
  EXPECT_EQ(dialogs.message(nullptr, MessageKind::Confirmation,
                            QStringLiteral("Сохранить изменения в базе?"),
                            MessageButtons::YesNoMustChoose),
            MessageAnswer::No);
}

TEST(QtDialogsTest, OpenFileOffersTheGivenFolderFilterAndNameAndAcceptsANewFile) {
  testing::TempFolder folder;
  const QString dir =
      QDir::toNativeSeparators(QString::fromStdU16String(folder.path().u16string()));
  QtDialogs dialogs;
  testing::ModalDriver modals;
  modals.answerAny<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(dialog.fileMode(), QFileDialog::AnyFile);
    EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("Файлы баз дистрибутивов (*.krv)")});
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("krv"));
    EXPECT_EQ(QDir(dialog.directory()), QDir(dir));
    static_cast<QDialog&>(dialog).accept();
  });
  const QString chosen =
      dialogs.openFile(nullptr, {QStringLiteral("Файлы баз дистрибутивов|*.krv"),
                                 QStringLiteral("krv"), dir, QStringLiteral("новая")});
  EXPECT_EQ(chosen, dir + QDir::separator() + QStringLiteral("новая.krv"))
      << "a file that does not exist yet, with the default suffix";
}

TEST(QtFilterTest, WindowsFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFilterFromWindows(QStringLiteral("Файлы баз дистрибутивов|*.krv")),
            QStringLiteral("Файлы баз дистрибутивов (*.krv)"));
  EXPECT_EQ(QtFilterFromWindows(QStringLiteral("Программы|*.exe;*.msi|Все файлы|*.*")),
            QStringLiteral("Программы (*.exe *.msi);;Все файлы (*.*)"));
  EXPECT_EQ(QtFilterFromWindows(QString()), QString());
}

class ProbeDialog : public ModalDialog {
 public:
  ProbeDialog() {
    edit = new QLineEdit(this);
    first = new QPushButton(QStringLiteral("First"), this);
    second = new QPushButton(QStringLiteral("Second"), this);
    first->move(0, 30);
    second->move(0, 60);
    connect(first, &QPushButton::clicked, [this] { ++firstClicks; });
    connect(second, &QPushButton::clicked, [this] { ++secondClicks; });
    resize(200, 100);
  }
  QLineEdit* edit;
  QPushButton* first;
  QPushButton* second;
  int firstClicks = 0;
  int secondClicks = 0;
};

TEST(ModalDialogTest, EnterPressesOnlyTheFocusedButtonAndEscDoesNothing) {
  ProbeDialog dialog;
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  EXPECT_FALSE(dialog.first->autoDefault());
  EXPECT_FALSE(dialog.second->autoDefault());

  dialog.edit->setFocus();
  QTest::keyClick(dialog.edit, Qt::Key_Return);
  EXPECT_EQ(dialog.firstClicks + dialog.secondClicks, 0) << "no default button";

  dialog.second->setFocus();
  QTest::keyClick(dialog.second, Qt::Key_Return);
  QTest::keyClick(dialog.second, Qt::Key_Enter);
  EXPECT_EQ(dialog.secondClicks, 2);
  EXPECT_EQ(dialog.firstClicks, 0);

  QTest::keyClick(&dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog.isVisible());
}

}  // namespace
}  // namespace kitrova::platform
