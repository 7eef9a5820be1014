// The catalog file commands: a new empty catalog in the program's folder, or another
// catalog file opened from anywhere.

#include <QFile>
#include <QLineEdit>

#include <array>
#include <exception>
#include <filesystem>
#include <system_error>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/Sort.h"
#include "platform/Cp1251.h"
#include "settings/Settings.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"
#include "ui/uNameNewForm.h"

namespace fs = std::filesystem;

namespace kitrova::ui {

namespace {

bool IsReservedDeviceName(const QString& name) {
  // Windows reserves these names whatever extension follows, and ignores trailing blanks.
  QString base = name.section(QLatin1Char('.'), 0, 0);
  while (base.endsWith(QLatin1Char(' '))) base.chop(1);
  base = base.toUpper();
  static const std::array<const char*, 4> plain = {"CON", "PRN", "AUX", "NUL"};
  for (const char* reserved : plain) {
    if (base == QLatin1String(reserved)) return true;
  }
  return base.size() == 4 &&
         (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
         base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9');
}

// Why `name` cannot name a catalog file in the program's folder, or "" when it can.
// The name becomes the current catalog and goes into settings.ini, so only a plain file
// name that the file system and Windows-1251 both take is accepted.
QString RefusedNameReason(const QString& name) {
  // One pass over both arguments, so a "%2" typed into the name stays as typed.
  const auto refused = [&name](const QString& why) {
    return QStringLiteral("Имя \"%1\" не годится для файла базы: %2").arg(name, why);
  };
  if (name == QLatin1String(".") || name == QLatin1String("..")) {
    return refused(QStringLiteral("так называется папка, а не файл."));
  }
  const QString forbidden = QStringLiteral("\\/:*?\"<>|");
  for (const QChar c : name) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
      return QStringLiteral("Имя новой базы не годится для файла: в нём есть управляющий символ.");
    }
    if (forbidden.contains(c)) {
      return refused(
          QStringLiteral("в имени файла нельзя использовать символы \\ / : * ? \" < > |."));
    }
  }
  if (const QString bad = platform::FirstUnencodable(name); !bad.isEmpty()) {
    return refused(
        QStringLiteral("символ \"%1\" нельзя записать в кодировке Windows-1251.").arg(bad));
  }
  if (IsReservedDeviceName(name)) {
    return refused(QStringLiteral("это имя зарезервировано системой."));
  }
  return {};
}

// The working copy belongs to the current catalog and is deleted when the program closes, so
// it may never become the current catalog itself. Windows ignores letter case in file names.
bool NamesWorkingCopy(const core::CatalogState& state, const fs::path& path) {
  const fs::path copy = core::WorkingCopyPath(state.ProgramFolder);
  std::error_code ec;
  if (fs::equivalent(path, copy, ec)) return true;
  return path.parent_path() == copy.parent_path() &&
         platform::PathToQString(path.filename())
                 .compare(platform::PathToQString(copy.filename()), Qt::CaseInsensitive) == 0;
}

QString WorkingCopyRefusal(const fs::path& path) {
  return QStringLiteral(
             "Файл \"%1\" — рабочая копия текущей базы: программа удаляет его при "
             "выходе, поэтому сделать его базой нельзя.")
      .arg(platform::PathToQString(path));
}

// A new catalog is an empty file. An existing file is never touched here.
void CreateEmptyFile(const fs::path& path) {
  QFile file(platform::PathToQString(path));
  if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
    const QString text = file.errorString() + QStringLiteral(": ") + platform::PathToQString(path);
    throw core::CatalogError(text.toStdString(), path);
  }
  file.close();
}

// settings.ini names the current catalog for the next start; a refused write is reported
// and the command goes on.
void RememberCurrentCatalog(TMainForm& form) {
  try {
    settings::WriteLastBase(form.State());
  } catch (const std::exception&) {
    platform::ShowErrorText(form.Dialogs(), &form, settings::kConfigErrorText);
  }
}

}  // namespace

void TMainForm::NewBaseSpeedButtonClick() {
  TNameNewBaseForm* dialog = forms_.NameNewBaseForm;
  if (dialog == nullptr) return;
  try {
    FlushSelection();
    // The backup copy bears the moment the command began, not when the dialog closed.
    const core::Moment moment = core::CurrentMoment();
    dialog->exec();

    const QString name = dialog->Edit1->text();
    if (name.isEmpty()) return;
    if (const QString reason = RefusedNameReason(name); !reason.isEmpty()) {
      platform::ShowErrorText(dialogs_, this, reason);
      return;
    }

    // ".krv" goes on as typed, even after a name that already ends in it.
    const fs::path path = state_.ProgramFolder / platform::PathFromQString(name + ".krv");
    if (NamesWorkingCopy(state_, path)) {
      platform::ShowErrorText(dialogs_, this, WorkingCopyRefusal(path));
      return;
    }

    core::TakeBackupCopy(state_, moment);

    std::error_code ignored;
    if (fs::exists(path, ignored)) {
      // A catalog of that name is taken over with its records: every later save rewrites
      // the whole file from the table, so an empty table would wipe them out.
      core::LoadCatalog(state_, path);
      state_.CurrentBasePath = path;
      core::SortByName(state_.DistroTable);
    } else {
      CreateEmptyFile(path);
      state_.CurrentBasePath = path;
      state_.DistroTable.clear();
      state_.CatalogLoaded = true;
    }
    FillGrid();
    RememberCurrentCatalog(*this);
    core::TakeWorkingCopy(state_);
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

void TMainForm::OpenSpeedButtonClick() {
  try {
    FlushSelection();
    const QString chosen = dialogs_.openFile(this, OpenDialog1);
    fs::path path = state_.CurrentBasePath;
    if (!chosen.isEmpty()) {
      OpenDialog1.initialFile = chosen;
      const fs::path chosenPath = platform::PathFromQString(chosen);
      // The same characters, letter case included; anything else is another file.
      if (chosenPath.native() == state_.CurrentBasePath.native()) return;
      if (NamesWorkingCopy(state_, chosenPath)) {
        platform::ShowErrorText(dialogs_, this, WorkingCopyRefusal(chosenPath));
        return;
      }
      path = chosenPath;
    }
    // A cancelled dialog leaves `path` on the current catalog, which is read again.

    const QStringList previousHeader = GridModel->headerTexts();
    GridModel->cutToHeader();
    GridModel->setHeaderTexts(OpenHeaderTexts());
    try {
      core::LoadCatalog(state_, path);
    } catch (const std::exception& error) {
      // Loading is all or nothing, so the previous catalog is still whole in the table:
      // it stays current, and the grid shows it again as it was.
      GridModel->setHeaderTexts(previousHeader);
      FillGrid();
      ReportError(error);
      return;
    }
    state_.CurrentBasePath = path;
    if (state_.DistroTable.count() > 0) core::SortByName(state_.DistroTable);
    FillGrid();
    RememberCurrentCatalog(*this);
    core::TakeWorkingCopy(state_);
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

}  // namespace kitrova::ui
