#pragma once
// The settings steps that need a window: the start-up prompts, the folder chooser and the
// configuration error box. The keys themselves are stored by SettingsStore.h.

#include <QString>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/CatalogState.h"
#include "platform/Dialogs.h"
#include "settings/SettingsStore.h"

class QWidget;

namespace kitrova::settings {

inline const QString kConfigErrorText = QStringLiteral("Ошибка файла конфигурации!");
inline const QString kChooseFolderTitle = QStringLiteral("Выберите папку с дистрибутивами");
inline const QString kFirstRunText = QStringLiteral(
    "Это первый запуск программы. Для начала работы с программой укажите, пожалуйста, "
    "папку с дистрибутивами программ.");
inline constexpr std::uint32_t kBifReturnOnlyFsDirs = 1;

// A chosen folder whose name settings.ini cannot hold; the loop asks again.
QString UnencodableFolderText(const QString& character);

// Writes CurrentBasePath to lastbase/path. Throws platform::IniWriteError when refused or
// when the path has characters Windows-1251 cannot hold.
void WriteLastBase(const core::CatalogState& state);

// The installer folder (dir/path) decoded for the file dialogs; "" when missing.
QString ReadInstallerFolder(const std::filesystem::path& programFolder);

// The folder chooser with `title`; the chosen folder with one separator at its end (a
// root that already ends in one gets none), or "" when cancelled. `flags` is accepted as
// the callers pass it; the chooser is always limited to file-system folders.
QString ChooseFolder(platform::Dialogs& dialogs, QWidget* parent, const QString& title,
                     std::uint32_t flags);

// Start-up: sets CurrentBasePath from lastbase/path (or the default, which is written
// back) and runs the first-run prompt until dir/path holds a folder. A refused write ends
// the whole block with the configuration error box (one OK button).
void ReadStartupSettings(core::CatalogState& state, platform::Dialogs& dialogs, QWidget* parent);

// BackupEnabled := (backup/do == "yes"), compared byte for byte.
void LoadBackupFlag(core::CatalogState& state, platform::Dialogs& dialogs, QWidget* parent);

}  // namespace kitrova::settings
