// The settings dialog with real widgets: what it loads once, and exactly what OK, Cancel
// and "Выбрать" leave in settings.ini.
#include "settings/uOptionsForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/Cp1251.h"
#include "settings/Settings.h"
#include "support/ModalDriver.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"

namespace kitrova::settings {
namespace {

namespace fs = std::filesystem;
using platform::MessageButtons;
using platform::MessageKind;
using testing::ReadFileBytes;
using testing::ScriptedDialogs;
using testing::TempFolder;
using testing::WriteFileBytes;

class OptionsFormTest : public ::testing::Test {
 protected:
  TempFolder program;
  TempFolder distros;
  ScriptedDialogs dialogs;
  fs::path ini = program / "settings.ini";
  // As the first run leaves the file.
  std::string firstRun = "[lastbase]\r\npath=C:\\Kitrova\\base.krv\r\n[dir]\r\npath=D:\\Old\\\r\n";
  QString newFolder = QDir::toNativeSeparators(platform::PathToQString(distros.path()));
  QString newStored = newFolder + QDir::separator();

  std::unique_ptr<TOptionsForm> Create(const std::string& file) {
    WriteFileBytes(ini, file);
    return std::make_unique<TOptionsForm>(program.path(), dialogs);
  }
};

TEST_F(OptionsFormTest, LayoutCaptionsAndTabOrder) {
  auto form = Create(firstRun);
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Настройки программы"));
  EXPECT_EQ(form->size(), QSize(361, 163));
  EXPECT_EQ(form->PathLabel->text(), QStringLiteral("Путь к папке с дистрибутивами"));
  EXPECT_EQ(form->PathLabel->pos(), QPoint(8, 8));
  EXPECT_EQ(form->DistroPathEdit->geometry(), QRect(8, 32, 345, 21));
  EXPECT_EQ(form->SelectButton1->geometry(), QRect(280, 64, 75, 25));
  EXPECT_EQ(form->SelectButton1->text(), QStringLiteral("Выбрать"));
  EXPECT_EQ(form->OKButton->geometry(), QRect(200, 128, 75, 25));
  EXPECT_EQ(form->OKButton->text(), QStringLiteral("OK"));
  EXPECT_EQ(form->CancelButton->geometry(), QRect(280, 128, 75, 25));
  EXPECT_EQ(form->CancelButton->text(), QStringLiteral("Отмена"));
  EXPECT_EQ(form->Label1->text(), QStringLiteral("Резервная копия базы"));
  EXPECT_EQ(form->Label1->pos(), QPoint(8, 80));
  EXPECT_EQ(form->BackUpCheckBox->text(), QStringLiteral("Делать резервную копию базы"));
  EXPECT_EQ(form->BackUpCheckBox->pos(), QPoint(8, 96));

  const QWidget* expected[] = {form->DistroPathEdit, form->SelectButton1, form->OKButton,
                               form->CancelButton, form->BackUpCheckBox};
  for (int i = 0; i + 1 < 5; ++i) {
    const QWidget* next = expected[i]->nextInFocusChain();
    while ((next->focusPolicy() & Qt::TabFocus) == 0) next = next->nextInFocusChain();
    EXPECT_EQ(next, expected[i + 1]) << i;
  }
  for (auto* button : {form->SelectButton1, form->OKButton, form->CancelButton}) {
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
  }
}

TEST_F(OptionsFormTest, CreationLoadsTheFolderAndOnlyALowerCaseYesTicksTheBox) {
  auto form = Create(firstRun + "[backup]\r\ndo=yes\r\n");
  EXPECT_EQ(form->ChosenFolder(), QStringLiteral("D:\\Old\\"));
  EXPECT_EQ(form->DistroPathEdit->text(), QStringLiteral("D:\\Old\\"));
  EXPECT_TRUE(form->BackUpCheckBox->isChecked());
  EXPECT_FALSE(Create(firstRun + "[backup]\r\ndo=Yes\r\n")->BackUpCheckBox->isChecked());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OptionsFormTest, OkRightAfterCreationWritesTheFolderBackAndNo) {
  auto form = Create(firstRun);
  form->OKButtonClick();
  EXPECT_EQ(ReadFileBytes(ini), firstRun + "[backup]\r\ndo=no\r\n");
  EXPECT_EQ(form->result(), QDialog::Rejected);

  form->BackUpCheckBox->setChecked(true);
  form->OKButtonClick();
  EXPECT_EQ(ReadFileBytes(ini), firstRun + "[backup]\r\ndo=yes\r\n");
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(OptionsFormTest, ATypedPathIsReplacedByTheChosenFolder) {
  auto form = Create(firstRun);
  form->DistroPathEdit->setText(QStringLiteral("E:\\Typed\\"));
  form->OKButtonClick();
  EXPECT_EQ(form->DistroPathEdit->text(), QStringLiteral("D:\\Old\\"));
  EXPECT_EQ(ReadSetting(program.path(), "dir", "path"), "D:\\Old\\");
}

TEST_F(OptionsFormTest, ChosenThenCancelledStoresNothingAndLaterOkOnlyCloses) {
  auto form = Create(firstRun);
  dialogs.folderAnswers = {newFolder};
  form->SelectButton1Click();
  EXPECT_EQ(dialogs.folderTitles, std::vector<QString>{kChooseFolderTitle});
  EXPECT_EQ(form->DistroPathEdit->text(), newStored);
  form->CancelButtonClick();
  EXPECT_EQ(ReadFileBytes(ini), firstRun);
  EXPECT_TRUE(form->ChosenFolder().isEmpty());

  // Next showing: the controls are as they were left, not reloaded.
  EXPECT_EQ(form->DistroPathEdit->text(), newStored);
  form->BackUpCheckBox->setChecked(true);
  form->OKButtonClick();
  EXPECT_EQ(ReadFileBytes(ini), firstRun);
  EXPECT_TRUE(form->BackUpCheckBox->isChecked());

  dialogs.folderAnswers = {newFolder};
  form->SelectButton1Click();
  form->OKButtonClick();
  EXPECT_EQ(platform::FromCp1251(ReadSetting(program.path(), "dir", "path")), newStored);
  EXPECT_EQ(ReadSetting(program.path(), "backup", "do"), "yes");
}

TEST_F(OptionsFormTest, ACancelledBrowseKeepsTheTextButOkOnlyCloses) {
  auto form = Create(firstRun);
  dialogs.folderAnswers = {""};
  form->SelectButton1Click();
  EXPECT_EQ(form->DistroPathEdit->text(), QStringLiteral("D:\\Old\\"));
  EXPECT_TRUE(form->ChosenFolder().isEmpty());
  form->OKButtonClick();
  EXPECT_EQ(ReadFileBytes(ini), firstRun);
}

TEST_F(OptionsFormTest, AFolderNameWindows1251CannotHoldIsRefusedWhenChosen) {
  auto form = Create(firstRun);
  dialogs.folderAnswers = {newFolder + QDir::separator() + QStringLiteral("日本")};
  form->SelectButton1Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, UnencodableFolderText(QStringLiteral("日")));
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Yes);
  EXPECT_EQ(form->DistroPathEdit->text(), QStringLiteral("D:\\Old\\"));
  form->OKButtonClick();
  EXPECT_EQ(ReadFileBytes(ini), firstRun);
}

TEST_F(OptionsFormTest, ARefusedWriteShowsTheErrorWithASingleYesAndStillCloses) {
  auto form = Create(firstRun);
  fs::remove(ini);
  fs::create_directory(ini);
  form->OKButtonClick();
  ASSERT_EQ(dialogs.messages.size(), 1u) << "the backup switch is not tried after the folder";
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Ошибка файла конфигурации!"));
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Yes);
  EXPECT_EQ(form->result(), QDialog::Rejected);
}

TEST_F(OptionsFormTest, ShownModallyEnterOnTheFocusedOkStoresAndCloses) {
  auto form = Create(firstRun);
  bool escapeIgnored = false;
  testing::ExecModal(*form, [&] {
    QTest::keyClick(form.get(), Qt::Key_Escape);
    escapeIgnored = form->isVisible();
    form->BackUpCheckBox->setChecked(true);
    form->OKButton->setFocus();
    QTest::keyClick(form->OKButton, Qt::Key_Return);
  });
  EXPECT_TRUE(escapeIgnored);
  EXPECT_EQ(ReadSetting(program.path(), "backup", "do"), "yes");
}

TEST_F(OptionsFormTest, TheCloseBoxWritesNothingAndKeepsTheChosenFolder) {
  auto form = Create(firstRun);
  dialogs.folderAnswers = {newFolder};
  testing::ExecModal(*form, [&] {
    form->SelectButton1Click();
    form->close();
  });
  EXPECT_EQ(ReadFileBytes(ini), firstRun);
  EXPECT_EQ(form->ChosenFolder(), newStored);
}

}  // namespace
}  // namespace kitrova::settings
