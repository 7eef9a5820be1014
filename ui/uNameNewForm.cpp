#include "ui/uNameNewForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace kitrova::ui {

TNameNewBaseForm::TNameNewBaseForm(QWidget* parent) : platform::ModalDialog(parent) {
  setObjectName(QStringLiteral("NameNewBaseForm"));
  setWindowTitle(QStringLiteral("Введите имя новой базы"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFont(platform::DialogFont());
  setFixedSize(312, 95);

  Label1 = new QLabel(QStringLiteral("Имя новой базы"), this);
  Label1->move(8, 8);
  Label1->adjustSize();

  // Created in tab order: the OK button leads, so it and not the field has the first focus.
  // Cyrillic О and К, as every other text of the program.
  Button1 = new QPushButton(QStringLiteral("ОК"), this);
  Button1->setGeometry(152, 64, 75, 25);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  Button2->setGeometry(232, 64, 75, 25);
  clearDefaultButtons();

  Edit1 = new QLineEdit(this);
  Edit1->setGeometry(8, 32, 297, 21);
  Edit1->setMaxLength(std::numeric_limits<int>::max());
  Button1->setFocus();

  connect(Button1, &QPushButton::clicked, this, &TNameNewBaseForm::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TNameNewBaseForm::Button2Click);

  FormCreate();
}

void TNameNewBaseForm::FormCreate() {
  Edit1->clear();
}

void TNameNewBaseForm::Button1Click() {
  close();
}

void TNameNewBaseForm::Button2Click() {
  Edit1->clear();
  close();
}

}  // namespace kitrova::ui
