#pragma once
// The record dialog shared by the add and edit dialogs: the same controls, places and
// handlers; RecordFormLook carries the few differences.

#include <QLineEdit>
#include <QString>

#include <filesystem>

#include "platform/Dialogs.h"
#include "platform/ModalDialog.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kitrova::ui {

// The year field: mask "9999" with "_" for unfilled positions. Reads back as exactly four
// characters, a blank for each unfilled position.
class YearMaskEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit YearMaskEdit(QWidget* parent = nullptr);
  QString YearText() const;
  // Places the given characters into the mask positions; "" empties the field.
  void SetYearText(const QString& text);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  // The caret goes to the first unfilled position, where a typed digit lands; with
  // `keepInsideText` a caret inside the text (where the user clicked) stays.
  void PlaceCaretForTyping(bool keepInsideText);
};

struct RecordFormLook {
  QString caption;
  QString addButtonCaption;
  int fieldWidth;       // NameEdit, TypeComboBox, LicenseComboBox, CommentMemo
  int pathButtonWidth;  // PathButton
  int buttonWidth;      // ClearButton, AddButton, CancelButton
  bool runsFormCreate;  // only the add dialog has a creation step
};

// The six texts in their read-back form. The comment's line breaks are CR LF, as a catalog
// file holds them.
struct RecordTexts {
  QString name, type, license, year, comment, path;
};

inline const QString kFillAllFieldsText = QStringLiteral("Заполните все поля!");
inline const QString kDistroFileFilter =
    QStringLiteral("Файлы дистрибутивов|*.exe;*.msi;*.zip;*.rar");

// The two looks; their differences are all in RecordFormLook.
RecordFormLook AddFormLook();
RecordFormLook EditFormLook();

class RecordForm : public platform::ModalDialog {
  Q_OBJECT
 public:
  RecordForm(const RecordFormLook& look, std::filesystem::path programFolder,
             platform::Dialogs& dialogs, QWidget* parent = nullptr);

  QPushButton* AddButton = nullptr;
  QPushButton* CancelButton = nullptr;
  QLabel* NameLabel = nullptr;
  QLineEdit* NameEdit = nullptr;
  QLabel* TypeLabel = nullptr;
  QComboBox* TypeComboBox = nullptr;
  QLabel* LicenseLabel = nullptr;
  QComboBox* LicenseComboBox = nullptr;
  QLabel* YearLabel = nullptr;
  QLabel* CommentLabel = nullptr;
  QPlainTextEdit* CommentMemo = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* PathEdit = nullptr;
  QPushButton* PathButton = nullptr;
  platform::FileDialogOptions OpenDialog1;
  QPushButton* ClearButton = nullptr;
  YearMaskEdit* YearEdit = nullptr;

  static QStringList TypeItems();     // the 17 types, in their given order
  static QStringList LicenseItems();  // the 6 licences

  RecordTexts Texts() const;
  void SetTexts(const RecordTexts& texts);
  // Name, Type, License, Year, Comment, Path set to "" in that order.
  void EmptyFields();
  // The caption of the first field whose text Windows-1251 cannot hold, or "".
  QString FirstUnencodableField() const;
  // The refusal naming that field and its first such character, or "" when all can be stored.
  QString UnencodableMessage() const;

 public slots:
  void PathButtonClick();
  void ClearButtonClick();
  void AddButtonClick();
  void CancelButtonClick();
  void FormCreate();

 protected:
  // Reads dir/path into OpenDialog1's initial folder.
  void SetBrowseFolder();

  std::filesystem::path programFolder_;
  platform::Dialogs& dialogs_;
};

}  // namespace kitrova::ui
