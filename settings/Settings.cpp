#include "settings/Settings.h"

#include <QDir>

#include <exception>
#include <optional>

#include "platform/Cp1251.h"
#include "platform/IniFile.h"

namespace kitrova::settings {

namespace fs = std::filesystem;
using platform::MessageButtons;
using platform::MessageKind;

QString UnencodableFolderText(const QString& character) {
  return QStringLiteral(
             "Путь к выбранной папке содержит символ «%1», который нельзя сохранить в файле "
             "настроек. Выберите, пожалуйста, другую папку.")
      .arg(character);
}

void WriteLastBase(const core::CatalogState& state) {
  // The full path too must be one Windows-1251 can name: older versions read it whole.
  const std::optional<std::string> bytes =
      platform::PathToCp1251(state.CurrentBasePath)
          ? platform::PathToCp1251(StoredCatalogPath(state.CurrentBasePath, state.ProgramFolder))
          : std::nullopt;
  if (!bytes) {
    throw platform::IniWriteError("the catalog path has a character Windows-1251 cannot hold");
  }
  WriteLastBasePath(state.ProgramFolder, *bytes);
}

QString ReadInstallerFolder(const fs::path& programFolder) {
  return platform::FromCp1251(ReadDistroFolder(programFolder));
}

QString ChooseFolder(platform::Dialogs& dialogs, QWidget* parent, const QString& title,
                     std::uint32_t flags) {
  // The only value callers pass is kBifReturnOnlyFsDirs, which the chooser always obeys.
  static_cast<void>(flags);
  QString folder = QDir::toNativeSeparators(dialogs.chooseFolder(parent, title));
  if (folder.isEmpty()) return {};
  if (!folder.endsWith(QDir::separator()) && !folder.endsWith(QLatin1Char('/'))) {
    folder += QDir::separator();
  }
  return folder;
}

void ReadStartupSettings(core::CatalogState& state, platform::Dialogs& dialogs, QWidget* parent) {
  try {
    const std::string lastBase = ReadLastBasePath(state.ProgramFolder);
    if (!lastBase.empty()) {
      state.CurrentBasePath =
          CatalogPathFromStored(platform::PathFromCp1251(lastBase), state.ProgramFolder);
    } else {
      // Set before the write, so it stays when the write is refused.
      state.CurrentBasePath = state.ProgramFolder / "base.krv";
      WriteLastBase(state);
    }

    std::string folder = ReadDistroFolder(state.ProgramFolder);
    while (folder.empty()) {
      dialogs.message(parent, MessageKind::Information, kFirstRunText, MessageButtons::Ok);
      const QString chosen =
          ChooseFolder(dialogs, parent, kChooseFolderTitle, kBifReturnOnlyFsDirs);
      const std::optional<std::string> bytes = platform::ToCp1251(chosen);
      if (!bytes) {
        // Storing a mangled name would send every later browse to a wrong folder.
        platform::ShowErrorText(dialogs, parent,
                                UnencodableFolderText(platform::FirstUnencodable(chosen)));
        continue;
      }
      WriteDistroFolder(state.ProgramFolder, *bytes);
      folder = *bytes;
    }
  } catch (const std::exception&) {
    platform::ShowErrorText(dialogs, parent, kConfigErrorText);
  }
}

void LoadBackupFlag(core::CatalogState& state, platform::Dialogs& dialogs, QWidget* parent) {
  try {
    state.BackupEnabled = ReadBackupFlag(state.ProgramFolder);
  } catch (const std::exception&) {
    platform::ShowErrorText(dialogs, parent, kConfigErrorText);
  }
}

}  // namespace kitrova::settings
