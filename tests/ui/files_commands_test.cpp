// The new-catalog and open-catalog commands on a real main window: which catalog is current
// afterwards, and what reaches the disk (catalog, settings.ini, working copy, backups).

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/CatalogFile.h"
#include "main_test_support.h"
#include "settings/Settings.h"
#include "support/ModalDriver.h"
#include "ui/uNameNewForm.h"

namespace kitrova::ui {
namespace {

namespace fs = std::filesystem;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageKind;
using testing::CatalogBytes;
using testing::ReadFileBytes;
using testing::Rec;
using testing::RecordTexts;
using testing::WriteFileBytes;

// Everything the open command must leave alone when it fails.
struct Snapshot {
  fs::path current;
  std::string catalog, settings, workingCopy;
  QStringList header, names;
  bool loaded = false;
};

class FilesCommandsTest : public testing::MainWindowTest {
 protected:
  void startWith(const std::vector<RecordTexts>& records, bool backup = false) {
    writeSettings(catalogPath());
    if (backup) {
      WriteFileBytes(folder / "settings.ini",
                     ReadFileBytes(folder / "settings.ini") + "[backup]\r\ndo=yes\r\n");
    }
    writeCatalog(records);
    start();
    nameForm = std::make_unique<TNameNewBaseForm>(form.get());
    MainFormDialogs forms;
    forms.NameNewBaseForm = nameForm.get();
    form->SetDialogs(forms);
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
  }

  enum class Closing { Ok, Cancel };
  // Answers the next showing of the name dialog.
  void answerName(const QString& name, Closing closing = Closing::Ok) {
    modals.answer(*nameForm, [this, name, closing] {
      offeredName = nameForm->Edit1->text();
      nameForm->Edit1->setText(name);
      (closing == Closing::Ok ? nameForm->Button1 : nameForm->Button2)->click();
    });
  }

  fs::path workingCopy() const { return core::WorkingCopyPath(folder.path()); }
  // A catalog inside the program folder is remembered relative to it.
  std::string lastBase() const {
    return settings::ReadSetting(folder.path(), settings::kLastBaseSection, settings::kPathKey);
  }
  static std::string Cp1251Path(const fs::path& path) {
    return *platform::ToCp1251(platform::PathToQString(path));
  }
  std::vector<fs::path> backupCopies() const {
    std::vector<fs::path> out;
    for (const auto& entry : fs::directory_iterator(core::BackupFolderPath(folder.path()))) {
      if (entry.path().filename() != "base.krv") out.push_back(entry.path());
    }
    return out;
  }

  Snapshot snapshot() const {
    return {state->CurrentBasePath,
            ReadFileBytes(state->CurrentBasePath),
            ReadFileBytes(folder / "settings.ini"),
            ReadFileBytes(workingCopy()),
            form->GridModel->headerTexts(),
            column(0),
            state->CatalogLoaded};
  }
  void expectUnchanged(const Snapshot& before) const {
    const Snapshot now = snapshot();
    EXPECT_EQ(now.current, before.current);
    EXPECT_EQ(now.catalog, before.catalog);
    EXPECT_EQ(now.settings, before.settings);
    EXPECT_EQ(now.workingCopy, before.workingCopy);
    EXPECT_EQ(now.header, before.header);
    EXPECT_EQ(now.names, before.names);
    EXPECT_EQ(now.loaded, before.loaded);
    EXPECT_EQ(form->CurrentRow(), 0);
  }

  std::unique_ptr<TNameNewBaseForm> nameForm;
  QString offeredName;
  testing::ModalDriver modals;
};

// ---- New catalog ----

TEST_F(FilesCommandsTest, NewCatalogIsAnEmptyFileThatBecomesCurrent) {
  startWith(testing::SampleRecords(), /*backup=*/true);
  const std::string previous = ReadFileBytes(catalogPath());
  answerName(QStringLiteral("Игры"));
  form->NewBaseSpeedButtonClick();

  const fs::path created = folder.path() / platform::PathFromQString(QStringLiteral("Игры.krv"));
  EXPECT_TRUE(dialogs.messages.empty());
  ASSERT_TRUE(fs::is_regular_file(created));
  EXPECT_EQ(fs::file_size(created), 0u);
  EXPECT_EQ(state->CurrentBasePath, created);
  EXPECT_TRUE(state->CatalogLoaded) << "the first record added may be saved";
  EXPECT_EQ(state->DistroTable.count(), 0);
  EXPECT_EQ(form->GridModel->rowCount(), 1);
  EXPECT_EQ(form->GridModel->headerTexts(), TMainForm::StartupHeaderTexts());
  EXPECT_EQ(lastBase(), Cp1251Path(created.filename()));
  EXPECT_EQ(ReadFileBytes(workingCopy()), "");

  // The backup is of the catalog being left.
  const auto copies = backupCopies();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadFileBytes(copies[0]), previous);
  EXPECT_EQ(ReadFileBytes(catalogPath()), previous);
}

TEST_F(FilesCommandsTest, NameEndingInKrvGetsTheExtensionOnceMore) {
  startWith(testing::SampleRecords());
  answerName(QStringLiteral("soft.krv"));
  form->N5->trigger();
  EXPECT_EQ(state->CurrentBasePath, folder / "soft.krv.krv");
  EXPECT_TRUE(fs::exists(folder / "soft.krv.krv"));
  EXPECT_FALSE(fs::exists(folder / "soft.krv"));
}

TEST_F(FilesCommandsTest, NoNameChangesNothingAndTakesNoBackup) {
  startWith(testing::SampleRecords(), /*backup=*/true);
  const Snapshot before = snapshot();
  answerName(QStringLiteral("typed"), Closing::Cancel);
  form->NewBaseSpeedButtonClick();
  answerName(QString(), Closing::Ok);
  form->NewBaseSpeedButtonClick();

  expectUnchanged(before);
  EXPECT_TRUE(backupCopies().empty());
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesCommandsTest, NameIsOfferedAgainAfterOkButNotAfterCancel) {
  startWith(testing::SampleRecords());
  answerName(QStringLiteral("first"));
  form->NewBaseSpeedButtonClick();
  answerName(QStringLiteral("second"), Closing::Cancel);
  form->NewBaseSpeedButtonClick();
  EXPECT_EQ(offeredName, QStringLiteral("first"));
  answerName(QString(), Closing::Cancel);
  form->NewBaseSpeedButtonClick();
  EXPECT_TRUE(offeredName.isEmpty());
  EXPECT_EQ(state->CurrentBasePath, folder / "first.krv");
}

TEST_F(FilesCommandsTest, ExistingNameLoadsItsRecordsSoNoLaterSaveLosesThem) {
  startWith(testing::SampleRecords());
  const std::string held = CatalogBytes({Rec("Zeta"), Rec("Alpha")});
  WriteFileBytes(folder / "old.krv", held);
  answerName(QStringLiteral("old"));
  form->NewBaseSpeedButtonClick();

  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(state->CurrentBasePath, folder / "old.krv");
  EXPECT_EQ(ReadFileBytes(folder / "old.krv"), held);
  EXPECT_EQ(column(0), QStringList({"Alpha", "Zeta"}));
  EXPECT_EQ(ReadFileBytes(workingCopy()), held);
  EXPECT_EQ(lastBase(), "old.krv");
}

TEST_F(FilesCommandsTest, ExistingNameThatCannotBeLoadedChangesNothing) {
  startWith(testing::SampleRecords());
  fs::create_directory(folder / "box.krv");
  const Snapshot before = snapshot();
  answerName(QStringLiteral("box"));
  form->NewBaseSpeedButtonClick();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  expectUnchanged(before);
}

TEST_F(FilesCommandsTest, NameThatIsNotAPlainFileNameIsRefusedBeforeAnythingChanges) {
  startWith(testing::SampleRecords(), /*backup=*/true);
  const Snapshot before = snapshot();
  const auto entriesBefore =
      std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{});
  const QString names[] = {"sub/name",  "sub\\name", ".",         "..",      "a:b",
                           "star*",     "what?",     "say\"hi\"", "<tag>",   "a|b",
                           "tab\tname", "漢字",      "CON",       "lpt1 .x", "nul."};
  for (const QString& name : names) {
    dialogs.clear();
    answerName(name);
    form->NewBaseSpeedButtonClick();
    ASSERT_EQ(dialogs.messages.size(), 1u) << name.toStdString();
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  }
  expectUnchanged(before);
  EXPECT_TRUE(backupCopies().empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator{}),
            entriesBefore);
}

// "_tmp.krv" is deleted when the program closes: as the current catalog it would take every
// record added to it along.
TEST_F(FilesCommandsTest, TheWorkingCopyNeverBecomesTheCurrentCatalog) {
  startWith(testing::SampleRecords(), /*backup=*/true);
  ASSERT_TRUE(fs::is_regular_file(workingCopy()));
  const Snapshot before = snapshot();
  for (const QString& name : {QStringLiteral("_tmp"), QStringLiteral("_TMP")}) {
    dialogs.clear();
    answerName(name);
    form->NewBaseSpeedButtonClick();
    ASSERT_EQ(dialogs.messages.size(), 1u) << name.toStdString();
    EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("рабочая копия")));
  }
  dialogs.clear();
  dialogs.fileAnswers.push_back(platform::PathToQString(workingCopy()));
  form->OpenSpeedButtonClick();
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);

  expectUnchanged(before);
  EXPECT_TRUE(backupCopies().empty());
}

TEST_F(FilesCommandsTest, RefusedSettingsWriteIsReportedAndTheCommandGoesOn) {
  startWith(testing::SampleRecords());
  fs::remove(folder / "settings.ini");
  fs::create_directory(folder / "settings.ini");
  answerName(QStringLiteral("fresh"));
  form->NewBaseSpeedButtonClick();

  EXPECT_EQ(dialogs.texts(), std::vector<QString>({settings::kConfigErrorText}));
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(state->CurrentBasePath, folder / "fresh.krv");
  EXPECT_EQ(ReadFileBytes(workingCopy()), "");
}

// ---- Open catalog ----

TEST_F(FilesCommandsTest, OpenAnotherFileShowsItSortedAndRemembersIt) {
  startWith(testing::SampleRecords());
  fs::create_directory(folder / "elsewhere");
  const fs::path other = folder / "elsewhere" / "other.krv";
  const std::string bytes = CatalogBytes({Rec("Mid"), Rec("Zed"), Rec("Ant")});
  WriteFileBytes(other, bytes);
  dialogs.fileAnswers.push_back(platform::PathToQString(other));
  form->N6->trigger();

  ASSERT_EQ(dialogs.fileRequests.size(), 1u);
  EXPECT_EQ(dialogs.fileRequests[0].filter, QStringLiteral("Файлы баз дистрибутивов|*.krv"));
  EXPECT_EQ(dialogs.fileRequests[0].defaultSuffix, QStringLiteral("krv"));
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(state->CurrentBasePath, other);
  EXPECT_EQ(column(0), QStringList({"Ant", "Mid", "Zed"}));
  EXPECT_EQ(form->GridModel->headerTexts(), TMainForm::OpenHeaderTexts());
  EXPECT_EQ(form->GridModel->headerTexts().value(3), QStringLiteral("Год выпуска"));
  EXPECT_EQ(form->CurrentRow(), 0);
  EXPECT_EQ(lastBase(), Cp1251Path(fs::path("elsewhere") / "other.krv"));
  EXPECT_EQ(ReadFileBytes(workingCopy()), bytes);
  EXPECT_TRUE(backupCopies().empty()) << "open takes no backup copy";

  // The file chosen last is offered at the next showing.
  form->OpenSpeedButtonClick();
  ASSERT_EQ(dialogs.fileRequests.size(), 2u);
  EXPECT_EQ(dialogs.fileRequests[1].initialFile, platform::PathToQString(other));
}

TEST_F(FilesCommandsTest, ChoosingTheCurrentCatalogAgainDoesNothingAtAll) {
  startWith(testing::SampleRecords());
  // Disk changes that a reload would pick up.
  WriteFileBytes(catalogPath(), CatalogBytes({Rec("Only")}));
  WriteFileBytes(workingCopy(), "stale");
  settings::WriteSetting(folder.path(), settings::kLastBaseSection, settings::kPathKey, "x");
  const std::string settingsBefore = ReadFileBytes(folder / "settings.ini");

  dialogs.fileAnswers.push_back(platform::PathToQString(catalogPath()));
  form->OpenSpeedButtonClick();

  EXPECT_EQ(state->DistroTable.count(), 4);
  EXPECT_EQ(form->GridModel->headerTexts(), TMainForm::StartupHeaderTexts());
  EXPECT_EQ(ReadFileBytes(workingCopy()), "stale");
  EXPECT_EQ(ReadFileBytes(folder / "settings.ini"), settingsBefore);
  EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FilesCommandsTest, PathDifferingOnlyInLetterCaseCountsAsAnotherFile) {
  startWith(testing::SampleRecords());
  const fs::path upper = folder / "BASE.krv";
  WriteFileBytes(upper, CatalogBytes({Rec("Only")}));  // the same file where case is ignored
  dialogs.fileAnswers.push_back(platform::PathToQString(upper));
  form->OpenSpeedButtonClick();

  EXPECT_EQ(state->CurrentBasePath, upper);
  EXPECT_EQ(column(0), QStringList({"Only"}));
  EXPECT_EQ(form->GridModel->headerTexts().value(3), QStringLiteral("Год выпуска"));
}

TEST_F(FilesCommandsTest, OpenEmptyCatalogShowsOnlyTheHeaderRow) {
  startWith(testing::SampleRecords());
  WriteFileBytes(folder / "empty.krv", "");
  dialogs.fileAnswers.push_back(platform::PathToQString(folder / "empty.krv"));
  form->OpenSpeedButtonClick();

  EXPECT_EQ(state->CurrentBasePath, folder / "empty.krv");
  EXPECT_EQ(state->DistroTable.count(), 0);
  EXPECT_EQ(form->GridModel->rowCount(), 1);
  EXPECT_EQ(lastBase(), "empty.krv");
  ASSERT_TRUE(fs::exists(workingCopy()));
  EXPECT_EQ(ReadFileBytes(workingCopy()), "");
}

TEST_F(FilesCommandsTest, CancelledOpenReloadsTheCurrentCatalog) {
  startWith(testing::SampleRecords());
  const std::string changed = CatalogBytes({Rec("Two"), Rec("One")});
  WriteFileBytes(catalogPath(), changed);
  WriteFileBytes(workingCopy(), "stale");
  settings::WriteSetting(folder.path(), settings::kLastBaseSection, settings::kPathKey, "x");
  form->OpenSpeedButtonClick();

  EXPECT_EQ(state->CurrentBasePath, catalogPath());
  EXPECT_EQ(column(0), QStringList({"One", "Two"}));
  EXPECT_EQ(form->GridModel->headerTexts().value(3), QStringLiteral("Год выпуска"));
  EXPECT_EQ(lastBase(), "base.krv");
  EXPECT_EQ(ReadFileBytes(workingCopy()), changed);
}

TEST_F(FilesCommandsTest, MissingFileLeavesThePreviousCatalogCurrent) {
  startWith(testing::SampleRecords());
  const Snapshot before = snapshot();
  dialogs.fileAnswers.push_back(platform::PathToQString(folder / "missing.krv"));
  form->OpenSpeedButtonClick();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_FALSE(dialogs.messages[0].text.isEmpty());
  expectUnchanged(before);
  EXPECT_FALSE(fs::exists(folder / "missing.krv"));
}

TEST_F(FilesCommandsTest, FileOverTheCapacityIsRefusedWithTheLimitNamed) {
  startWith(testing::SampleRecords());
  // Open a catalog first, so the header row to keep is the open command's.
  WriteFileBytes(folder / "small.krv", CatalogBytes({Rec("Small")}));
  dialogs.fileAnswers.push_back(platform::PathToQString(folder / "small.krv"));
  form->OpenSpeedButtonClick();
  const Snapshot before = snapshot();

  WriteFileBytes(folder / "huge.krv", std::string((core::kCatalogCapacity + 1) * 1536, '\0'));
  dialogs.fileAnswers.push_back(platform::PathToQString(folder / "huge.krv"));
  form->OpenSpeedButtonClick();

  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("10000")))
      << dialogs.messages[0].text.toStdString();
  expectUnchanged(before);
  EXPECT_EQ(before.header, TMainForm::OpenHeaderTexts());
}

TEST_F(FilesCommandsTest, ClosingWithNoAfterOpenRestoresOnlyTheCatalogOpenedLast) {
  startWith(testing::SampleRecords());
  // A change to A, saved as every change is.
  state->DistroTable.append(testing::MakeRecord(Rec("Added to A")));
  core::SaveCatalog(*state, catalogPath());
  const std::string changedA = ReadFileBytes(catalogPath());

  const fs::path b = folder / "b.krv";
  const std::string openedB = CatalogBytes({Rec("B1"), Rec("B2")});
  WriteFileBytes(b, openedB);
  dialogs.fileAnswers.push_back(platform::PathToQString(b));
  form->OpenSpeedButtonClick();
  state->DistroTable.append(testing::MakeRecord(Rec("Added to B")));
  core::SaveCatalog(*state, b);

  dialogs.answers.push_back(MessageAnswer::No);
  form->close();

  EXPECT_EQ(ReadFileBytes(b), openedB);
  EXPECT_EQ(ReadFileBytes(catalogPath()), changedA);
  EXPECT_FALSE(fs::exists(workingCopy()));
}

}  // namespace
}  // namespace kitrova::ui
