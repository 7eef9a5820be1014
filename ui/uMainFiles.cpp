// The catalog file commands: a new empty catalog in the program's folder, or another
// catalog file opened from anywhere.

#include <QFile>
#include <QLineEdit>

#include <exception>
#include <filesystem>
#include <system_error>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/CatalogOps.h"
#include "platform/Cp1251.h"
#include "settings/Settings.h"
#include "ui/StringGrid.h"
#include "ui/uMain.h"
#include "ui/uNameNewForm.h"

namespace fs = std::filesystem;

namespace kitrova::ui {

namespace {

// Why `name` cannot name a catalog file in the program's folder, or "" when it can.
// The name becomes the current catalog and goes into settings.ini, so only a plain file
// name that the file system and Windows-1251 both take is accepted.
QString RefusedNameReason(const QString& name) {
  // One pass over both arguments, so a "%2" typed into the name stays as typed.
  const auto refused = [&name](const QString& why) {
    return QStringLiteral("Имя \"%1\" не годится для файла базы: %2").arg(name, why);
  };
  // A character Windows-1251 has no code for stands in as a plain letter, so the other
  // faults are found first, as the name is read from the left.
  QString plain = name;
  for (QChar& c : plain) {
    if (!platform::FirstUnencodable(QString(c)).isEmpty()) c = QLatin1Char('x');
  }
  const core::CatalogNameFault fault = core::CheckNewCatalogName(*platform::ToCp1251(plain));
  const std::string_view text = core::CatalogNameFaultText(fault);
  const QString why = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  switch (fault) {
    case core::CatalogNameFault::ControlCharacter:
      return QStringLiteral("Имя новой базы не годится для файла: ") + why;
    case core::CatalogNameFault::FolderName:
    case core::CatalogNameFault::ForbiddenCharacter:
      return refused(why);
    case core::CatalogNameFault::ReservedName:
    case core::CatalogNameFault::None:
      break;
  }
  if (const QString bad = platform::FirstUnencodable(name); !bad.isEmpty()) {
    return refused(
        QStringLiteral("символ \"%1\" нельзя записать в кодировке Windows-1251.").arg(bad));
  }
  return fault == core::CatalogNameFault::None ? QString() : refused(why);
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
    if (core::IsWorkingCopy(state_.ProgramFolder, path)) {
      platform::ShowErrorText(dialogs_, this, WorkingCopyRefusal(path));
      return;
    }

    core::TakeBackupCopy(state_, moment);

    std::error_code ignored;
    if (fs::exists(path, ignored)) {
      // A catalog of that name is taken over with its records: every later save rewrites
      // the whole file from the table, so an empty table would wipe them out.
      core::OpenCatalog(state_, path);
    } else {
      CreateEmptyFile(path);
      core::StartEmptyCatalog(state_, path);
    }
    FillGrid();
    RememberCurrentCatalog(*this);
    TakeWorkingCopyOrWarn();
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
      path = chosenPath;
    }
    // A cancelled dialog leaves `path` on the current catalog, which is read again; that
    // may be the working copy refused at start-up.
    if (core::IsWorkingCopy(state_.ProgramFolder, path)) {
      platform::ShowErrorText(dialogs_, this, WorkingCopyRefusal(path));
      return;
    }

    const QStringList previousHeader = GridModel->headerTexts();
    GridModel->cutToHeader();
    GridModel->setHeaderTexts(OpenHeaderTexts());
    try {
      core::OpenCatalog(state_, path);
    } catch (const std::exception& error) {
      // Loading is all or nothing, so the previous catalog is still whole in the table:
      // it stays current, and the grid shows it again as it was.
      GridModel->setHeaderTexts(previousHeader);
      FillGrid();
      ReportError(error);
      return;
    }
    FillGrid();
    RememberCurrentCatalog(*this);
    TakeWorkingCopyOrWarn();
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

}  // namespace kitrova::ui
