#include "ui/RecordForm.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <exception>

#include "platform/Cp1251.h"
#include "settings/Settings.h"

namespace kitrova::ui {

namespace {

constexpr int kYearPositions = 4;
const QChar kYearBlank = QLatin1Char('_');

void SetComboText(QComboBox* combo, const QString& text) {
  // A list item is also selected in the list, as when it was picked there.
  combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
  combo->setEditText(text);
}

QComboBox* MakeCombo(QWidget* parent, const QStringList& items, int visibleItems) {
  auto* combo = new QComboBox(parent);
  combo->setEditable(true);
  combo->addItems(items);
  combo->setMaxVisibleItems(visibleItems);
  // Typed text stays as typed: it is neither completed from the list nor added to it.
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  combo->setCurrentIndex(-1);
  return combo;
}

struct Unencodable {
  QString field;  // the caption of its label
  QString character;
};

Unencodable FindUnencodable(const RecordForm& form) {
  const RecordTexts texts = form.Texts();
  const std::pair<const QString*, const QLabel*> fields[] = {
      {&texts.name, form.NameLabel},       {&texts.type, form.TypeLabel},
      {&texts.license, form.LicenseLabel}, {&texts.year, form.YearLabel},
      {&texts.comment, form.CommentLabel}, {&texts.path, form.Label1}};
  for (const auto& [text, label] : fields) {
    const QString bad = platform::FirstUnencodable(*text);
    if (!bad.isEmpty()) return {label->text(), bad};
  }
  return {};
}

}  // namespace

YearMaskEdit::YearMaskEdit(QWidget* parent) : QLineEdit(parent) {
  setInputMask(QStringLiteral("9999;_"));
}

QString YearMaskEdit::YearText() const {
  // text() drops unfilled positions and so shifts later digits forward; the display keeps
  // every position in place.
  const QString shown = displayText();
  QString year(kYearPositions, QLatin1Char(' '));
  for (int i = 0; i < kYearPositions && i < shown.size(); ++i) {
    if (shown[i] != kYearBlank) year[i] = shown[i];
  }
  return year;
}

void YearMaskEdit::SetYearText(const QString& text) {
  // setText() would pack the digits to the front; inserting each one at its own position
  // keeps the unfilled positions before it.
  setText(QString());
  for (int i = 0; i < kYearPositions && i < text.size(); ++i) {
    const QChar c = text[i];
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) continue;
    setCursorPosition(i);
    insert(QString(c));
  }
  setCursorPosition(0);
}

void YearMaskEdit::PlaceCaretForTyping(bool keepInsideText) {
  if (hasSelectedText()) return;
  const QString shown = displayText();
  int firstBlank = -1;
  int lastFilled = -1;
  for (int i = 0; i < kYearPositions && i < shown.size(); ++i) {
    if (shown[i] != kYearBlank) {
      lastFilled = i;
    } else if (firstBlank < 0) {
      firstBlank = i;
    }
  }
  if (firstBlank < 0 || (keepInsideText && cursorPosition() <= lastFilled)) return;
  // Behind the text a digit typed would be dropped by the full mask.
  setCursorPosition(firstBlank);
}

void YearMaskEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // The mouse press places the caret itself; coming back to the window leaves it alone.
  const Qt::FocusReason reason = event->reason();
  if (reason != Qt::MouseFocusReason && reason != Qt::ActiveWindowFocusReason &&
      reason != Qt::PopupFocusReason) {
    PlaceCaretForTyping(false);
  }
}

void YearMaskEdit::mousePressEvent(QMouseEvent* event) {
  QLineEdit::mousePressEvent(event);
  if (event->button() == Qt::LeftButton && !(event->modifiers() & Qt::ShiftModifier)) {
    PlaceCaretForTyping(true);
  }
}

RecordFormLook AddFormLook() {
  return {QStringLiteral("Добавление дистрибутива в базу"),
          QStringLiteral("Добавить"),
          409,
          33,
          75,
          true};
}

RecordFormLook EditFormLook() {
  return {QStringLiteral("Изменение параметров дистрибутива"),
          QStringLiteral("Изменить"),
          408,
          32,
          74,
          false};
}

QStringList RecordForm::TypeItems() {
  // "Е-mail" starts with the Cyrillic Е, so it sorts among the Cyrillic names.
  return {QStringLiteral("Антивирусы"),
          QStringLiteral("Аудио"),
          QStringLiteral("Видео"),
          QStringLiteral("Графика"),
          QStringLiteral("Е-mail"),
          QStringLiteral("Защита"),
          QStringLiteral("Игры"),
          QStringLiteral("Интернет"),
          QStringLiteral("Обучение"),
          QStringLiteral("Прикладное ПО"),
          QStringLiteral("Программирование"),
          QStringLiteral("Развлечения"),
          QStringLiteral("Сети"),
          QStringLiteral("Система"),
          QStringLiteral("Текст"),
          QStringLiteral("Украшательства"),
          QStringLiteral("Утилиты")};
}

QStringList RecordForm::LicenseItems() {
  return {QStringLiteral("Demo"),      QStringLiteral("Freeware"), QStringLiteral("Open Source"),
          QStringLiteral("Shareware"), QStringLiteral("Trial"),    QStringLiteral("Warez")};
}

RecordForm::RecordForm(const RecordFormLook& look, std::filesystem::path programFolder,
                       platform::Dialogs& dialogs, QWidget* parent)
    : platform::ModalDialog(parent), programFolder_(std::move(programFolder)), dialogs_(dialogs) {
  setWindowTitle(look.caption);
  setFont(platform::DialogFont());
  // Client area of the designed 435 x 432 frame.
  resize(427, 398);

  // Created in the order of the declarations, which is also the tab order.
  AddButton = new QPushButton(look.addButtonCaption, this);
  CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
  NameLabel = new QLabel(QStringLiteral("Название программы"), this);
  NameEdit = new QLineEdit(this);
  TypeLabel = new QLabel(QStringLiteral("Тип программы"), this);
  TypeComboBox = MakeCombo(this, TypeItems(), 15);
  LicenseLabel = new QLabel(QStringLiteral("Лицензия"), this);
  LicenseComboBox = MakeCombo(this, LicenseItems(), 8);
  YearLabel = new QLabel(QStringLiteral("Год сборки дистрибутива"), this);
  CommentLabel = new QLabel(QStringLiteral("Примечание"), this);
  CommentMemo = new QPlainTextEdit(this);
  Label1 = new QLabel(QStringLiteral("Путь к дистрибутиву"), this);
  PathEdit = new QLineEdit(this);
  PathButton = new QPushButton(QStringLiteral("..."), this);
  ClearButton = new QPushButton(QStringLiteral("Очистить"), this);
  YearEdit = new YearMaskEdit(this);

  CommentMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  CommentMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  CommentMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  CommentMemo->setTabChangesFocus(true);

  platform::PlaceLabel(NameLabel, 8, 8, 112, 13);
  NameEdit->setGeometry(8, 24, look.fieldWidth, 21);
  platform::PlaceLabel(TypeLabel, 8, 56, 81, 13);
  TypeComboBox->setGeometry(8, 72, look.fieldWidth, 21);
  platform::PlaceLabel(LicenseLabel, 8, 104, 50, 13);
  LicenseComboBox->setGeometry(8, 120, look.fieldWidth, 21);
  platform::PlaceLabel(Label1, 8, 152, 104, 13);
  PathEdit->setGeometry(8, 168, 369, 21);
  PathButton->setGeometry(384, 168, look.pathButtonWidth, 25);
  platform::PlaceLabel(YearLabel, 8, 200, 129, 13);
  YearEdit->setGeometry(8, 216, 408, 21);
  platform::PlaceLabel(CommentLabel, 8, 248, 63, 13);
  CommentMemo->setGeometry(8, 264, look.fieldWidth, 89);
  ClearButton->setGeometry(8, 368, look.buttonWidth, 25);
  AddButton->setGeometry(256, 368, look.buttonWidth, 25);
  CancelButton->setGeometry(344, 368, look.buttonWidth, 25);

  QWidget* const tabOrder[] = {AddButton,   CancelButton, NameEdit,   TypeComboBox, LicenseComboBox,
                               CommentMemo, PathEdit,     PathButton, ClearButton,  YearEdit};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
    setTabOrder(tabOrder[i - 1], tabOrder[i]);
  }

  OpenDialog1.filter = kDistroFileFilter;
  OpenDialog1.defaultSuffix.clear();

  connect(PathButton, &QPushButton::clicked, this, &RecordForm::PathButtonClick);
  connect(ClearButton, &QPushButton::clicked, this, &RecordForm::ClearButtonClick);
  connect(AddButton, &QPushButton::clicked, this, &RecordForm::AddButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &RecordForm::CancelButtonClick);

  if (look.runsFormCreate) FormCreate();
}

RecordTexts RecordForm::Texts() const {
  // The raw text, as toPlainText() would turn a no-break space into a plain one; each
  // paragraph or line break becomes CR LF.
  QString comment = CommentMemo->document()->toRawText();
  comment.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  comment.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
  return {NameEdit->text(),
          TypeComboBox->currentText(),
          LicenseComboBox->currentText(),
          YearEdit->YearText(),
          comment,
          PathEdit->text()};
}

void RecordForm::SetTexts(const RecordTexts& texts) {
  NameEdit->setText(texts.name);
  SetComboText(TypeComboBox, texts.type);
  SetComboText(LicenseComboBox, texts.license);
  YearEdit->SetYearText(texts.year);
  CommentMemo->setPlainText(texts.comment);
  PathEdit->setText(texts.path);
}

void RecordForm::EmptyFields() {
  SetTexts({});
}

QString RecordForm::FirstUnencodableField() const {
  return FindUnencodable(*this).field;
}

QString RecordForm::UnencodableMessage() const {
  const Unencodable found = FindUnencodable(*this);
  if (found.field.isEmpty()) return {};
  return QStringLiteral("Поле «%1» содержит символ «%2», который нельзя сохранить в базе.")
      .arg(found.field, found.character);
}

void RecordForm::SetBrowseFolder() {
  try {
    OpenDialog1.initialFolder = settings::ReadInstallerFolder(programFolder_);
  } catch (const std::exception&) {
    // The folder keeps its previous value.
    dialogs_.message(this, platform::MessageKind::Error, settings::kConfigErrorText,
                     platform::MessageButtons::Yes);
  }
}

void RecordForm::FormCreate() {
  SetBrowseFolder();
  EmptyFields();
}

void RecordForm::PathButtonClick() {
  // Read afresh each time, so a folder just changed in the settings applies at once.
  SetBrowseFolder();
  const QString chosen = dialogs_.openFile(this, OpenDialog1);
  if (!chosen.isEmpty()) PathEdit->setText(chosen);
}

void RecordForm::ClearButtonClick() {
  EmptyFields();
}

void RecordForm::AddButtonClick() {
  const RecordTexts texts = Texts();
  // The comment is optional; a year always has its four positions.
  for (const QString* text : {&texts.name, &texts.type, &texts.license, &texts.year, &texts.path}) {
    if (text->isEmpty()) {
      dialogs_.message(this, platform::MessageKind::Plain, kFillAllFieldsText,
                       platform::MessageButtons::Ok);
      return;
    }
  }
  const QString refusal = UnencodableMessage();
  if (!refusal.isEmpty()) {
    dialogs_.message(this, platform::MessageKind::Error, refusal, platform::MessageButtons::Ok);
    return;
  }
  accept();
}

void RecordForm::CancelButtonClick() {
  EmptyFields();
  reject();
}

}  // namespace kitrova::ui
