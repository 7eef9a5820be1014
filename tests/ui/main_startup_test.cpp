// Creating the main window: first run, seeding, loading, and every way start-up can fail.

#include <QIcon>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/CatalogFile.h"
#include "main_test_support.h"
#include "settings/Settings.h"

namespace kitrova::testing {
namespace {

namespace fs = std::filesystem;
using platform::MessageButtons;
using platform::MessageKind;

const QString kNewBaseText = QStringLiteral(
    "Создана новая база base.krv. Вы можете создать свою базу, выбрав соответствующий пункт "
    "меню или нажав соответствующую кнопку на панели инструментов.");

using StartupTest = MainWindowTest;

TEST_F(StartupTest, FirstRunAsksForTheFolderUntilOneIsChosenThenSeedsTheCatalog) {
  const fs::path installers = folder / "installers";
  fs::create_directory(installers);
  dialogs.folderAnswers = {QString(), platform::PathToQString(installers)};
  start();

  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[0].text, settings::kFirstRunText);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(dialogs.messages[1].text, settings::kFirstRunText);  // the cancel looped
  EXPECT_EQ(dialogs.messages[2].text, kNewBaseText);
  EXPECT_EQ(dialogs.messages[2].kind, MessageKind::Information);
  EXPECT_EQ(dialogs.messages[2].buttons, MessageButtons::Ok);
  EXPECT_EQ(dialogs.folderTitles.size(), 2u);

  // lastbase first, then dir with one separator at its end.
  const std::string ini = ReadFileBytes(folder / "settings.ini");
  ASSERT_NE(ini.find("[lastbase]"), std::string::npos);
  EXPECT_LT(ini.find("[lastbase]"), ini.find("[dir]"));
  EXPECT_EQ(ini.find("[backup]"), std::string::npos);
  // Inside the program folder: remembered relative to it.
  EXPECT_EQ(settings::ReadSetting(folder.path(), "lastbase", "path"), "base.krv");
  EXPECT_EQ(settings::ReadSetting(folder.path(), "dir", "path"), installers.string() + "/");

  EXPECT_EQ(state->CurrentBasePath, catalogPath());
  EXPECT_EQ(ReadFileBytes(catalogPath()), ReadFileBytes(folder / "Backup" / "base.krv"));
  EXPECT_TRUE(fs::exists(folder / "_tmp.krv"));
  EXPECT_TRUE(state->CatalogLoaded);
  EXPECT_FALSE(state->BackupEnabled);
  EXPECT_EQ(form->GridModel->rowCount(), 1);
  EXPECT_EQ(form->GridModel->headerTexts(), ui::TMainForm::StartupHeaderTexts());
}

TEST_F(StartupTest, SecondStartOpensTheSameCatalogWithoutAsking) {
  writeSettings(catalogPath());
  writeCatalog(SampleRecords());
  start();
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(dialogs.folderTitles.empty());
  EXPECT_EQ(form->GridModel->rowCount(), 5);
}

// Backup copies killed half way leave temporary files that no later copy of theirs removes;
// start-up does, and keeps the backup copies themselves.
TEST_F(StartupTest, StartUpRemovesWhatKilledBackupCopiesLeft) {
  writeSettings(catalogPath());
  writeCatalog(SampleRecords());
  const fs::path backups = core::BackupFolderPath(folder.path());
  WriteFileBytes(backups / ".~0123456789abcdef.01234567.tmp", "dead");
  WriteFileBytes(backups / "backup2005_3_7_9_5_2.krv", "kept");
  start();
  EXPECT_FALSE(fs::exists(backups / ".~0123456789abcdef.01234567.tmp"));
  EXPECT_EQ(ReadFileBytes(backups / "backup2005_3_7_9_5_2.krv"), "kept");
}

TEST_F(StartupTest, MissingSeedEndsStartUpWithTheErrorAndNoWorkingCopy) {
  fs::remove(folder / "Backup" / "base.krv");
  writeSettings({});
  start();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  EXPECT_NE(dialogs.messages[0].text, kNewBaseText);
  EXPECT_FALSE(fs::exists(catalogPath()));
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
  EXPECT_FALSE(state->CatalogLoaded);
  EXPECT_EQ(form->GridModel->rowCount(), 1);
  EXPECT_EQ(form->CurrentRow(), 0);
}

TEST_F(StartupTest, CatalogThatNoLongerExistsIsCreatedAgainAtItsStoredPath) {
  const fs::path gone = folder / "gone.krv";
  writeSettings(gone);
  start();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].text, kNewBaseText);
  EXPECT_EQ(state->CurrentBasePath, gone);
  EXPECT_TRUE(fs::exists(gone));
  EXPECT_FALSE(fs::exists(catalogPath()));
  EXPECT_EQ(settings::ReadSetting(folder.path(), "lastbase", "path"), "gone.krv");
  EXPECT_TRUE(state->CatalogLoaded);
}

TEST_F(StartupTest, EmptyCatalogShowsOnlyTheHeaderAndStillTakesTheWorkingCopy) {
  writeSettings(catalogPath());
  WriteFileBytes(catalogPath(), "");
  WriteFileBytes(folder / "settings.ini",
                 ReadFileBytes(folder / "settings.ini") + "[backup]\r\ndo=yes\r\n");
  start();

  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(form->GridModel->rowCount(), 1);
  EXPECT_EQ(form->CurrentRow(), 0);
  ASSERT_TRUE(fs::exists(folder / "_tmp.krv"));
  EXPECT_EQ(fs::file_size(folder / "_tmp.krv"), 0u);
  EXPECT_TRUE(state->CatalogLoaded);
  EXPECT_TRUE(state->BackupEnabled);  // loaded on the empty path too
}

TEST_F(StartupTest, CatalogThatCannotBeReadLeavesNothingLoadedAndIsReported) {
  // A folder standing where the catalog file should be.
  fs::create_directory(catalogPath());
  writeSettings(catalogPath());
  start();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_FALSE(dialogs.messages[0].text.isEmpty());
  EXPECT_FALSE(state->CatalogLoaded);
  EXPECT_EQ(state->DistroTable.count(), 0);
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
  EXPECT_EQ(form->GridModel->rowCount(), 1);
  EXPECT_EQ(form->GridModel->headerTexts(), ui::TMainForm::StartupHeaderTexts());
}

TEST_F(StartupTest, RefusedSettingsWritesAreReportedAndStartUpGoesOn) {
  // settings.ini is a folder: every write is refused, every read is empty.
  fs::create_directory(folder / "settings.ini");
  start();

  const std::vector<QString> expected = {settings::kConfigErrorText, kNewBaseText,
                                         settings::kConfigErrorText};
  EXPECT_EQ(dialogs.texts(), expected);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[2].buttons, MessageButtons::Ok);
  EXPECT_TRUE(dialogs.folderTitles.empty());  // the guarded block ended before the prompt
  EXPECT_TRUE(state->CatalogLoaded);
  EXPECT_TRUE(fs::exists(folder / "_tmp.krv"));
}

TEST_F(StartupTest, GridShowsTheRecordsSortedByNameWithTheHeaderRowCurrent) {
  writeSettings(catalogPath());
  writeCatalog(SampleRecords());
  const std::string onDisk = ReadFileBytes(catalogPath());
  startShown();

  EXPECT_EQ(form->GridModel->rowCount(), 5);
  EXPECT_EQ(form->GridModel->columnCount(), 5);
  const QStringList names = {"7-Zip", "far", "WinRAR", "Адобе Ридер"};
  EXPECT_EQ(column(0), names);
  EXPECT_EQ(cell(0, 3), "Год сборки");
  EXPECT_EQ(cell(4, 1), "Графика");
  EXPECT_EQ(form->CurrentRow(), 0);
  EXPECT_EQ(selectedRows(), std::vector<int>{0});
  // Sorting at start-up does not rewrite the file.
  EXPECT_EQ(ReadFileBytes(catalogPath()), onDisk);
  EXPECT_EQ(ReadFileBytes(folder / "_tmp.krv"), onDisk);
}

TEST_F(StartupTest, MissingPictureNamesTheFileAndEndsStartUp) {
  // help.bmp is loaded before run.bmp, so help is the one reported.
  fs::remove(folder / "Pic" / "run.bmp");
  fs::remove(folder / "Pic" / "help.bmp");
  writeSettings(catalogPath());
  writeCatalog(SampleRecords());
  start();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_TRUE(dialogs.messages[0].text.contains("help.bmp"));
  EXPECT_FALSE(form->EditSpeedButton->icon().isNull());  // loaded before the failure
  EXPECT_TRUE(form->HelpSpeedButton->icon().isNull());
  EXPECT_EQ(state->DistroTable.count(), 0);
  EXPECT_TRUE(state->CurrentBasePath.empty());
  EXPECT_FALSE(fs::exists(folder / "_tmp.krv"));
}

TEST_F(StartupTest, UnreadablePictureIsReportedLikeAMissingOne) {
  WriteFileBytes(folder / "Pic" / "add.bmp", "not a picture");
  start();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].text.contains("add.bmp"));
  EXPECT_FALSE(fs::exists(folder / "settings.ini"));
}

TEST_F(StartupTest, AllPicturesLoadIntoTheirButtons) {
  writeSettings(catalogPath());
  writeCatalog({});
  start();
  for (QToolButton* button :
       {form->NewBaseSpeedButton, form->OpenSpeedButton, form->AddSpeedButton,
        form->EditSpeedButton, form->DelSpeedButton, form->RunSpeedButton, form->SearchSpeedButton,
        form->SetSpeedButton, form->HelpSpeedButton}) {
    EXPECT_FALSE(button->icon().isNull()) << button->objectName().toStdString();
  }
  EXPECT_EQ(ui::TMainForm::PictureLoadOrder().size(), 9);
}

TEST_F(StartupTest, OpenDialogStartsInTheProgramFolder) {
  writeSettings(catalogPath());
  writeCatalog({});
  start();
  EXPECT_EQ(form->OpenDialog1.filter, "Файлы баз дистрибутивов|*.krv");
  EXPECT_EQ(form->OpenDialog1.defaultSuffix, "krv");
  EXPECT_EQ(form->OpenDialog1.initialFolder, platform::PathToQString(folder.path()) + "/");
}

}  // namespace
}  // namespace kitrova::testing
