// Start-up settings against a real settings.ini in a temporary program folder, with the
// message boxes and the folder chooser answered from a script.
#include "settings/Settings.h"

#include <QDir>

#include <gtest/gtest.h>

#include <string>

#include "core/CatalogState.h"
#include "platform/Cp1251.h"
#include "platform/IniFile.h"
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

// A folder the chooser can answer, in the form the real chooser gives (native, no
// trailing separator).
QString Native(const fs::path& p) {
  return QDir::toNativeSeparators(platform::PathToQString(p));
}
std::string Bytes(const QString& text) {
  return platform::ToCp1251(text).value();
}

class StartupSettingsTest : public ::testing::Test {
 protected:
  TempFolder program;
  TempFolder distros;
  core::CatalogState state{program.path()};
  ScriptedDialogs dialogs;
  fs::path ini = program / "settings.ini";
  QString chosen = Native(distros.path());
  QString stored = chosen + QDir::separator();
};

TEST_F(StartupSettingsTest, FirstRunStoresTheCatalogThenAsksForTheFolder) {
  // The default catalog is inside the program folder: remembered relative to it.
  const std::string base = "base.krv";
  dialogs.folderAnswers = {chosen};
  dialogs.onMessage = [&](const testing::MessageRecord&) {
    // The catalog path is already stored when the question comes; the folder is not.
    EXPECT_EQ(ReadFileBytes(ini), "[lastbase]\r\npath=" + base + "\r\n");
  };
  ReadStartupSettings(state, dialogs, nullptr);
  LoadBackupFlag(state, dialogs, nullptr);

  EXPECT_EQ(state.CurrentBasePath, program / "base.krv");
  EXPECT_FALSE(state.BackupEnabled);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(dialogs.messages[0].text, kFirstRunText);
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(dialogs.folderTitles,
            std::vector<QString>{QStringLiteral("Выберите папку с дистрибутивами")});
  EXPECT_EQ(ReadFileBytes(ini),
            "[lastbase]\r\npath=" + base + "\r\n[dir]\r\npath=" + Bytes(stored) + "\r\n");
  EXPECT_EQ(ReadInstallerFolder(program.path()), stored);
}

TEST_F(StartupSettingsTest, CancellingTheChooserAsksAgainUntilAFolderIsChosen) {
  dialogs.folderAnswers = {"", "", chosen};
  int shown = 0;
  dialogs.onMessage = [&](const testing::MessageRecord&) {
    // From the second round on, the cancelled browse has stored an empty value.
    if (shown++ > 0) {
      EXPECT_NE(ReadFileBytes(ini).find("[dir]\r\npath=\r\n"), std::string::npos);
    }
  };
  ReadStartupSettings(state, dialogs, nullptr);
  EXPECT_EQ(dialogs.texts(), std::vector<QString>(3, kFirstRunText));
  EXPECT_EQ(dialogs.folderTitles.size(), 3u);
  EXPECT_EQ(ReadInstallerFolder(program.path()), stored);
}

TEST_F(StartupSettingsTest, AFolderNameWindows1251CannotHoldIsRefusedAndAskedAgain) {
  dialogs.folderAnswers = {Native(distros / "日本"), chosen};
  ReadStartupSettings(state, dialogs, nullptr);
  ASSERT_EQ(dialogs.messages.size(), 3u);
  EXPECT_EQ(dialogs.messages[1].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[1].text, UnencodableFolderText(QStringLiteral("日")));
  EXPECT_EQ(dialogs.messages[2].text, kFirstRunText);
  EXPECT_EQ(ReadInstallerFolder(program.path()), stored);
}

TEST_F(StartupSettingsTest, ExistingSettingsAreTakenUncheckedAndUnchanged) {
  const std::string file = "[lastbase]\r\npath=" + Bytes(Native(program / "gone.krv")) +
                           "\r\n[dir]\r\npath=" + Bytes(Native(program / "no-such")) + "\r\n";
  WriteFileBytes(ini, file);
  ReadStartupSettings(state, dialogs, nullptr);
  EXPECT_EQ(state.CurrentBasePath, program / "gone.krv");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_TRUE(dialogs.folderTitles.empty());
  EXPECT_EQ(ReadFileBytes(ini), file);
}

TEST_F(StartupSettingsTest, AnEmptyCatalogPathIsReplacedByTheDefaultWithoutAPrompt) {
  WriteFileBytes(ini, "[dir]\r\npath=D:\\\r\n[lastbase]\r\npath=\r\n");
  ReadStartupSettings(state, dialogs, nullptr);
  EXPECT_EQ(state.CurrentBasePath, program / "base.krv");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(ReadFileBytes(ini), "[dir]\r\npath=D:\\\r\n[lastbase]\r\npath=base.krv\r\n");
}

// A refused write shows the box once, skips the folder prompt and keeps the default path.
void ExpectRefusedFirstRun(core::CatalogState& state, ScriptedDialogs& dialogs) {
  ReadStartupSettings(state, dialogs, nullptr);
  EXPECT_EQ(state.CurrentBasePath, state.ProgramFolder / "base.krv");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_EQ(dialogs.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("Ошибка файла конфигурации!"));
  EXPECT_EQ(dialogs.messages[0].buttons, MessageButtons::Ok);
  EXPECT_TRUE(dialogs.folderTitles.empty());
}

TEST_F(StartupSettingsTest, AFolderInPlaceOfTheSettingsFileRefusesTheFirstRun) {
  fs::create_directory(ini);
  ExpectRefusedFirstRun(state, dialogs);
  EXPECT_TRUE(fs::is_directory(ini));
}

TEST(StartupSettingsRefusedTest, AProgramFolderUnderARegularFileRefusesTheFirstRun) {
  TempFolder top;
  WriteFileBytes(top / "file", "x");
  core::CatalogState state(top / "file" / "program");
  ScriptedDialogs dialogs;
  ExpectRefusedFirstRun(state, dialogs);
}

TEST(StartupSettingsRefusedTest, AProgramFolderWindows1251CannotNameRefusesTheFirstRun) {
  TempFolder top;
  const fs::path program = top / "日本";
  fs::create_directory(program);
  core::CatalogState state(program);
  ScriptedDialogs dialogs;
  ExpectRefusedFirstRun(state, dialogs);
  EXPECT_FALSE(fs::exists(program / "settings.ini")) << "nothing mangled is stored";
}

TEST(CyrillicSettingsTest, CyrillicPathsAreStoredAsWindows1251AndReadBack) {
  TempFolder top;
  const fs::path program = top / "Мои программы";
  const fs::path distros = top / "Дистрибутивы";
  fs::create_directory(program);
  fs::create_directory(distros);
  {
    core::CatalogState state(program);
    ScriptedDialogs dialogs;
    dialogs.folderAnswers = {Native(distros)};
    ReadStartupSettings(state, dialogs, nullptr);
  }
  const std::string file = ReadFileBytes(program / "settings.ini");
  // The catalog beside the program is remembered relative to the folder, which may move.
  EXPECT_EQ(ReadLastBasePath(program), "base.krv");
  EXPECT_NE(file.find("\xC4\xE8\xF1\xF2\xF0\xE8\xE1\xF3\xF2\xE8\xE2\xFB"), std::string::npos);

  core::CatalogState again(program);
  ScriptedDialogs dialogs;
  ReadStartupSettings(again, dialogs, nullptr);
  EXPECT_EQ(again.CurrentBasePath, program / "base.krv");
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(ReadInstallerFolder(program), Native(distros) + QDir::separator());
}

TEST(ChooseFolderTest, OneSeparatorIsAppendedUnlessThereIsOne) {
  ScriptedDialogs dialogs;
  const QString root = QDir::toNativeSeparators(QDir::rootPath());
  const QString sep = QDir::separator();
  dialogs.folderAnswers = {QStringLiteral("a") + sep + QStringLiteral("b"),
                           QStringLiteral("a") + sep + QStringLiteral("b") + sep, root, ""};
  EXPECT_EQ(ChooseFolder(dialogs, nullptr, kChooseFolderTitle, kBifReturnOnlyFsDirs),
            QStringLiteral("a") + sep + QStringLiteral("b") + sep);
  EXPECT_EQ(ChooseFolder(dialogs, nullptr, kChooseFolderTitle, kBifReturnOnlyFsDirs),
            QStringLiteral("a") + sep + QStringLiteral("b") + sep);
  EXPECT_EQ(ChooseFolder(dialogs, nullptr, kChooseFolderTitle, kBifReturnOnlyFsDirs), root);
  EXPECT_EQ(ChooseFolder(dialogs, nullptr, kChooseFolderTitle, kBifReturnOnlyFsDirs), QString())
      << "a cancel stays empty";
}

class BackupFlagTest : public ::testing::Test {
 protected:
  TempFolder program;
  core::CatalogState state{program.path()};
  ScriptedDialogs dialogs;

  bool FlagFor(const std::string& file) {
    WriteFileBytes(program / "settings.ini", file);
    LoadBackupFlag(state, dialogs, nullptr);
    return state.BackupEnabled;
  }
};

TEST_F(BackupFlagTest, OnlyALowerCaseYesTurnsBackupsOn) {
  EXPECT_TRUE(FlagFor("[backup]\r\ndo=yes\r\n"));
  EXPECT_TRUE(FlagFor("[BACKUP]\r\nDo = yes \r\n")) << "names match without case";
  for (const char* value : {"Yes", "YES", "no", "", "yes please", "1"}) {
    state.BackupEnabled = true;
    EXPECT_FALSE(FlagFor(std::string("[backup]\r\ndo=") + value + "\r\n")) << value;
  }
  state.BackupEnabled = true;
  EXPECT_FALSE(FlagFor("[backup]\r\n"));
  fs::remove(program / "settings.ini");
  state.BackupEnabled = true;
  LoadBackupFlag(state, dialogs, nullptr);
  EXPECT_FALSE(state.BackupEnabled);
  EXPECT_TRUE(dialogs.messages.empty());
}

}  // namespace
}  // namespace kitrova::settings
