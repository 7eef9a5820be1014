#pragma once
// Asks for the name of a new catalog.

#include "platform/ModalDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kitrova::ui {

class TNameNewBaseForm : public platform::ModalDialog {
  Q_OBJECT
 public:
  // Runs FormCreate.
  explicit TNameNewBaseForm(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;  // "ОК", Cyrillic letters
  QPushButton* Button2 = nullptr;  // "Отмена"

 public slots:
  void FormCreate();
  void Button1Click();
  void Button2Click();
};

}  // namespace kitrova::ui
