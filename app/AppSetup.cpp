#include "app/AppSetup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTranslator>

#include "platform/Cp1251.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"

namespace kitrova::app {

void SetUpApplication() {
  QApplication::setApplicationName(platform::kApplicationTitle);
  QApplication::setApplicationVersion(QStringLiteral(KITROVA_VERSION));
  // Docks and Wayland compositors find the menu entry (and its icon) by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.kitrova.Kitrova"));
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/kitrova/icons/%1x%1/kitrova.png").arg(size), QSize(size, size));
  }
  QApplication::setWindowIcon(icon);
}

bool LoadQtTranslation(QTranslator& translator, const QString& executableFolder) {
  // Qt's own file matches the Qt that runs; a copy beside a portable executable is for
  // systems without qt6-translations-l10n.
  const QStringList folders = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               executableFolder};
  for (const QString& folder : folders) {
    if (translator.load(QStringLiteral("qtbase_ru"), folder)) {
      QCoreApplication::installTranslator(&translator);
      return true;
    }
  }
  return false;
}

std::filesystem::path InstalledDataFolder(const std::filesystem::path& executableFolder) {
  return (executableFolder / KITROVA_DATA_FROM_BIN).lexically_normal();
}

std::filesystem::path ProgramFolderForThisRun() {
  const auto executableFolder = platform::PathFromQString(QCoreApplication::applicationDirPath());
  const auto userFolder =
      platform::PathFromQString(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
  return platform::ChooseProgramFolder(executableFolder, userFolder,
                                       {executableFolder, InstalledDataFolder(executableFolder)});
}

}  // namespace kitrova::app
