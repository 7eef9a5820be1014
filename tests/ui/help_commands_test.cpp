// The settings, About, help and exit commands of the main window, on a real window.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "core/CatalogFile.h"
#include "core/CatalogOps.h"
#include "core/CatalogState.h"
#include "settings/Settings.h"
#include "settings/uOptionsForm.h"
#include "support/ModalDriver.h"
#include "support/Records.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "ui/uAboutForm.h"
#include "ui/uMain.h"

namespace kitrova::ui {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageKind;
using testing::ReadFileBytes;
using testing::ScriptedDialogs;
using testing::TempFolder;
using testing::WriteFileBytes;

const QString kSaveQuestion = QStringLiteral("Сохранить изменения в базе?");

class HelpCommands : public ::testing::Test {
 protected:
  HelpCommands() : state(folder.path()) {
    folder.installAssets();
    catalogPath = folder / "mine.krv";
    catalogBytes = testing::CatalogImage(
        {testing::RecordOf({"Beta", "Utility", "Freeware", "2004", "", "C:\\b.exe"}),
         testing::RecordOf({"Alpha", "Utility", "Shareware", "2003", "", "C:\\a.exe"})});
    WriteFileBytes(catalogPath, catalogBytes);
    WriteFileBytes(folder / "settings.ini", "[lastbase]\r\npath=" + catalogPath.string() +
                                                "\r\n[dir]\r\npath=" + folder.path().string() +
                                                "/\r\n[backup]\r\ndo=no\r\n");
    main = std::make_unique<TMainForm>(state, dialogs, QSize(1024, 768));
  }

  void SetUp() override {
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    ASSERT_EQ(state.DistroTable.count(), 2);
  }

  TempFolder folder;
  ScriptedDialogs dialogs;
  core::CatalogState state;
  fs::path catalogPath;
  std::string catalogBytes;
  std::unique_ptr<TMainForm> main;
  testing::ModalDriver modals;
};

TEST_F(HelpCommands, HelpIsTheSameErrorBoxEveryTimeAndChangesNothing) {
  const QString text = QStringLiteral("Эта версия программы пока не содержит помощи.") + "\n\r" +
                       QStringLiteral("Если у вас есть какие-либо предложения,") + "\n\r" +
                       QStringLiteral("то пишите мне по адресу электронной почты ") +
                       "kitrova@example.org";
  main->SelectGridRows(2, 2);
  main->N16Click();
  main->N16Click();

  ASSERT_EQ(dialogs.messages.size(), 2u);
  for (const auto& message : dialogs.messages) {
    EXPECT_EQ(message.kind, MessageKind::Error);
    EXPECT_EQ(message.buttons, MessageButtons::Ok);
    EXPECT_EQ(message.text, text);
  }
  // Byte 10 then byte 13 between the lines, and nothing after the address.
  const QStringList lines = dialogs.messages[0].text.split(QStringLiteral("\n\r"));
  ASSERT_EQ(lines.size(), 3);
  for (const QString& line : lines) {
    EXPECT_FALSE(line.contains('\n') || line.contains('\r')) << line.toStdString();
  }
  EXPECT_TRUE(lines[2].endsWith(QStringLiteral("почты kitrova@example.org")));

  EXPECT_EQ(main->CurrentRow(), 2);
  EXPECT_EQ(ReadFileBytes(catalogPath), catalogBytes);
}

TEST_F(HelpCommands, ExitAsksTheSaveQuestionAndCloses) {
  main->show();
  dialogs.answers = {MessageAnswer::Yes};
  main->N8Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, kSaveQuestion);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Confirmation);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::YesNoMustChoose);
  EXPECT_FALSE(main->isVisible());
  EXPECT_FALSE(fs::exists(core::WorkingCopyPath(folder.path())));
}

TEST_F(HelpCommands, ExitAnsweredNoPutsTheCatalogBack) {
  main->show();
  WriteFileBytes(catalogPath, "changed since start-up");
  core::NoteWritten(state);  // as the window's own save, not another program's
  dialogs.answers = {MessageAnswer::No};
  main->N8Click();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, kSaveQuestion);
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(ReadFileBytes(catalogPath), catalogBytes);
  EXPECT_FALSE(fs::exists(core::WorkingCopyPath(folder.path())));
}

TEST_F(HelpCommands, TickedBoxAndOkTurnBackupsOn) {
  settings::TOptionsForm options(folder.path(), dialogs);
  main->SetDialogs({.OptionsForm = &options});
  main->SelectGridRows(1, 1);
  ASSERT_FALSE(state.BackupEnabled);

  int rowWhileOpen = -1;
  modals.answer(options, [&] {
    EXPECT_EQ(QApplication::activeModalWidget(), &options);
    rowWhileOpen = main->CurrentRow();
    options.BackUpCheckBox->setChecked(true);
    options.OKButton->click();
  });
  main->SetSpeedButtonClick();
  EXPECT_TRUE(modals.done()) << "no modal dialog was shown";
  EXPECT_EQ(rowWhileOpen, 0);
  EXPECT_FALSE(options.isVisible());
  EXPECT_EQ(settings::ReadSetting(folder.path(), settings::kBackupSection, settings::kDoKey),
            "yes");
  EXPECT_TRUE(state.BackupEnabled);
  EXPECT_EQ(main->CurrentRow(), 0);
}

TEST_F(HelpCommands, TheFlagIsReloadedWhateverClosedTheDialog) {
  settings::TOptionsForm options(folder.path(), dialogs);
  main->SetDialogs({.OptionsForm = &options});
  // Closed by its close box: OK never ran, yet the file is read again afterwards.
  modals.answer(options, [&] {
    settings::WriteSetting(folder.path(), settings::kBackupSection, settings::kDoKey, "yes");
    options.reject();
  });
  main->SetSpeedButtonClick();
  EXPECT_TRUE(modals.done()) << "no modal dialog was shown";
  EXPECT_TRUE(state.BackupEnabled);

  // Cancel after untick: nothing is written, the file still says "yes".
  modals.answer(options, [&] {
    options.BackUpCheckBox->setChecked(false);
    options.CancelButton->click();
  });
  main->SetSpeedButtonClick();
  EXPECT_TRUE(modals.done()) << "no modal dialog was shown";
  EXPECT_TRUE(state.BackupEnabled);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HelpCommands, AboutFromTheToolBarClearsTheSelectionTheMenuDoesNot) {
  TAboutForm about(folder.path(), dialogs);
  main->SetDialogs({.AboutForm = &about});

  main->SelectGridRows(2, 2);
  int rowWhileOpen = -1;
  modals.answer(about, [&] {
    EXPECT_EQ(QApplication::activeModalWidget(), &about);
    rowWhileOpen = main->CurrentRow();
    about.FormClick();
  });
  main->HelpSpeedButtonClick();
  EXPECT_TRUE(modals.done()) << "no modal dialog was shown";
  EXPECT_EQ(rowWhileOpen, 0);
  EXPECT_FALSE(about.isVisible());

  main->SelectGridRows(2, 2);
  modals.answer(about, [&] {
    EXPECT_EQ(QApplication::activeModalWidget(), &about);
    rowWhileOpen = main->CurrentRow();
    about.Label1Click();
  });
  main->N17Click();
  EXPECT_TRUE(modals.done()) << "no modal dialog was shown";
  EXPECT_EQ(rowWhileOpen, 2);
  EXPECT_EQ(main->CurrentRow(), 2);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HelpCommands, ToolBarAndMenuReachTheseCommands) {
  TAboutForm about(folder.path(), dialogs);
  settings::TOptionsForm options(folder.path(), dialogs);
  main->SetDialogs({.AboutForm = &about, .OptionsForm = &options});
  main->show();

  const std::pair<QDialog*, std::function<void()>> commands[] = {
      {&options, [&] { main->SetSpeedButton->click(); }},
      {&options, [&] { main->N3->trigger(); }},
      {&about, [&] { main->HelpSpeedButton->click(); }},
      {&about, [&] { main->N17->trigger(); }},
  };
  for (const auto& [dialog, trigger] : commands) {
    modals.answer(*dialog, [&, dialog = dialog] {
      EXPECT_EQ(QApplication::activeModalWidget(), dialog);
      dialog->reject();
    });
    trigger();
    EXPECT_TRUE(modals.done()) << "no modal dialog was shown";
  }

  main->N16->trigger();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);

  main->N8->trigger();
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].text, kSaveQuestion);
  EXPECT_FALSE(main->isVisible());
}

TEST_F(HelpCommands, MissingDialogsMakeTheirCommandsDoNothing) {
  main->SelectGridRows(1, 1);
  main->SetSpeedButtonClick();
  main->HelpSpeedButtonClick();
  main->N17Click();
  EXPECT_EQ(main->CurrentRow(), 1);
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace kitrova::ui
