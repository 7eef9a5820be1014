#include <QString>

#include <exception>
#include <optional>

#include "core/CatalogError.h"
#include "core/CatalogFile.h"
#include "core/CatalogOps.h"
#include "platform/Cp1251.h"
#include "ui/RecordCommands.h"
#include "ui/StringGrid.h"
#include "ui/uAddForm.h"
#include "ui/uEditForm.h"
#include "ui/uMain.h"

namespace kitrova::ui {

namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageKind;

const QString kChooseDistroText = QStringLiteral("Выберите дистрибутив!");
const QString kDeleteQuestionText = QStringLiteral("Удалить запись о дистрибутиве?");
const QString kNotLoadedText = QStringLiteral(
    "База дистрибутивов не была прочитана, поэтому изменять её нельзя. Откройте или создайте "
    "базу.");

QString FullTableText() {
  return QStringLiteral("В базе уже %1 записей: больше добавить нельзя.")
      .arg(core::kCatalogCapacity);
}

// The start of every change: the moment is read first, a catalog that could not be read is
// refused (it must never be overwritten from whatever the table holds), and the backup copy
// is taken before any other check, dialog or question. False when the command stops here.
// The record on the selected row, if any.
std::optional<core::DistroRecord> SelectedRecord(TMainForm& main) {
  const int row = main.CurrentRow();
  const core::CatalogTable& table = main.State().DistroTable;
  if (row < 1 || row > table.count()) return std::nullopt;
  return table.at(row);
}

// A catalog another program changed is read again and shown first; a command on the
// selected record goes on with it where the catalog still has it, and stops where not.
bool BeginChange(TMainForm& main, bool onSelection) {
  const core::Moment moment = core::CurrentMoment();
  if (!main.State().CatalogLoaded) {
    platform::ShowErrorText(main.Dialogs(), &main, kNotLoadedText);
    return false;
  }
  const std::optional<core::DistroRecord> selected =
      onSelection ? SelectedRecord(main) : std::nullopt;
  if (main.ReloadIfChangedOnDisk(selected ? &*selected : nullptr) ==
      TMainForm::DiskCheck::RecordGone) {
    return false;
  }
  core::TakeBackupCopy(main.State(), moment);
  return true;
}

// Again after a dialog or question, which may have been open for long: the position of
// `record` in the catalog as it is now, or 0 when another program removed it meanwhile.
int PositionAfterCheck(TMainForm& main, int position, const core::DistroRecord& record) {
  switch (main.ReloadIfChangedOnDisk(&record)) {
    case TMainForm::DiskCheck::Unchanged:
      return position;
    case TMainForm::DiskCheck::Reloaded:
      return main.CurrentRow();
    case TMainForm::DiskCheck::RecordGone:
      break;
  }
  return 0;
}

// The selected table position, or 0 after "Выберите дистрибутив!".
int SelectedPosition(TMainForm& main) {
  const int row = main.CurrentRow();
  if (row >= 1 && row <= main.State().DistroTable.count()) return row;
  platform::ShowErrorText(main.Dialogs(), &main, kChooseDistroText);
  return 0;
}

// Shows the dialog until it is cancelled (empty name) or its texts can be stored. The
// close box skips the dialog's own checks, so the encoding is checked here as well.
// `toRecord` turns the texts read back into the record to store.
template <typename ToRecord>
std::optional<core::DistroRecord> RunRecordDialog(TMainForm& main, RecordForm& form,
                                                  ToRecord toRecord) {
  for (;;) {
    form.exec();
    const RecordTexts texts = form.Texts();
    if (texts.name.isEmpty()) return std::nullopt;
    if (std::optional<core::DistroRecord> record = toRecord(texts)) return record;
    platform::ShowErrorText(main.Dialogs(), &main, form.UnencodableMessage());
  }
}

// The table changed: write it and show it. The grid is refilled even when the save fails,
// so row k goes on showing table position k.
void SaveAndRefill(TMainForm& main) {
  core::CatalogState& state = main.State();
  try {
    core::SaveCatalog(state, state.CurrentBasePath);
  } catch (...) {
    core::NoteWritten(state);
    main.FillGrid();
    throw;
  }
  core::NoteWritten(state);
  main.FillGrid();
}

void FillFromRecord(RecordForm& form, const core::DistroRecord& record) {
  form.SetTexts(
      {platform::FromCp1251(record.Name.view()), platform::FromCp1251(record.Type.view()),
       platform::FromCp1251(record.License.view()), platform::FromCp1251(record.Year.view()),
       platform::FromCp1251(record.Comment.view()), platform::FromCp1251(record.Path.view())});
}

}  // namespace

std::optional<core::DistroRecord> RecordFromTexts(const RecordTexts& texts) {
  core::DistroRecord record{};
  const std::pair<const QString*, core::DistroField*> fields[] = {
      {&texts.name, &record.Name},       {&texts.type, &record.Type},
      {&texts.license, &record.License}, {&texts.year, &record.Year},
      {&texts.comment, &record.Comment}, {&texts.path, &record.Path}};
  for (const auto& [text, field] : fields) {
    const std::optional<std::string> bytes = platform::ToCp1251(*text);
    if (!bytes) return std::nullopt;
    field->assign(*bytes);
  }
  return record;
}

std::optional<core::DistroRecord> EditedRecord(const RecordTexts& texts, const RecordTexts& shown,
                                               const core::DistroRecord& stored) {
  std::optional<core::DistroRecord> record = RecordFromTexts(texts);
  if (!record) return std::nullopt;
  // The comment is left out: the memo gives every line break back as CR LF, as the
  // platform's memo does, and keeps every other character.
  const std::pair<QString RecordTexts::*, core::RecordField> fields[] = {
      {&RecordTexts::name, core::RecordField::Name},
      {&RecordTexts::type, core::RecordField::Type},
      {&RecordTexts::license, core::RecordField::License},
      {&RecordTexts::year, core::RecordField::Year},
      {&RecordTexts::path, core::RecordField::Path}};
  for (const auto& [text, field] : fields) {
    if (texts.*text == shown.*text) core::FieldOf(*record, field) = core::FieldOf(stored, field);
  }
  return record;
}

void StoreNewRecord(TMainForm& main, const core::DistroRecord& record) {
  // The dialog may have been open for long: a catalog changed meanwhile gets the record too.
  main.ReloadIfChangedOnDisk();
  core::StoreNewRecord(main.State(), record);
  SaveAndRefill(main);
}

void TMainForm::AddSpeedButtonClick() {
  RecordForm* const form = Forms().AddForm;
  if (!form) return;
  try {
    if (!BeginChange(*this, false)) return;
    if (State().DistroTable.full()) {
      platform::ShowErrorText(dialogs_, this, FullTableText());
      return;
    }
    FlushSelection();
    const std::optional<core::DistroRecord> record = RunRecordDialog(*this, *form, RecordFromTexts);
    if (!record) return;
    StoreNewRecord(*this, *record);
    form->EmptyFields();
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

void TMainForm::EditSpeedButtonClick() {
  RecordForm* const form = Forms().EditForm;
  if (!form) return;
  try {
    if (!BeginChange(*this, true)) return;
    int position = SelectedPosition(*this);
    if (position == 0) return;
    const core::DistroRecord stored = State().DistroTable.at(position);
    FillFromRecord(*form, stored);
    const RecordTexts shown = form->Texts();
    const std::optional<core::DistroRecord> record = RunRecordDialog(
        *this, *form, [&](const RecordTexts& texts) { return EditedRecord(texts, shown, stored); });
    if (!record) return;
    position = PositionAfterCheck(*this, position, stored);
    if (position == 0) return;
    core::StoreRecordAt(State(), position, *record);
    SaveAndRefill(*this);
    form->EmptyFields();
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

void TMainForm::DelSpeedButtonClick() {
  try {
    if (!BeginChange(*this, true)) return;
    int position = SelectedPosition(*this);
    if (position == 0) return;
    const core::DistroRecord doomed = State().DistroTable.at(position);
    // Only an explicit Yes deletes; the close box and Esc keep the record.
    if (Dialogs().message(this, MessageKind::Confirmation, kDeleteQuestionText,
                          MessageButtons::YesNo) != MessageAnswer::Yes) {
      return;
    }
    position = PositionAfterCheck(*this, position, doomed);
    if (position == 0) return;
    core::DeletePosition(State().DistroTable, position);
    // Saved in the order the table has, which may be a column's order.
    SaveAndRefill(*this);
    const int count = State().DistroTable.count();
    BaseStringGrid->SetRow(position < count ? position : count);
  } catch (const std::exception& error) {
    ReportError(error);
  }
}

}  // namespace kitrova::ui
