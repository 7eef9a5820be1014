#pragma once
// What the entry sets up before the first window: the application's name, version and
// icon, Qt's own Russian texts, and the folder the program keeps its files in.

#include <QString>

#include <filesystem>

class QTranslator;

namespace kitrova::app {

// Title "Kitrova", the project's version, the desktop entry's name and the icon every
// window shows.
void SetUpApplication();

// Loads Qt's Russian texts (qtbase_ru.qm) from the first folder that has them: Qt's
// translations folder, then beside the executable. False when none has.
bool LoadQtTranslation(QTranslator& translator, const QString& executableFolder);

// The installed data folder (pictures, seed catalog) for an executable in `executableFolder`.
std::filesystem::path InstalledDataFolder(const std::filesystem::path& executableFolder);

// The program folder for this run: the executable's folder when it can be written, else
// the per-user application data folder, seeded on first use.
std::filesystem::path ProgramFolderForThisRun();

}  // namespace kitrova::app
