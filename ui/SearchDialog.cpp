#include "ui/SearchDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <limits>

namespace kitrova::ui {

SearchDialog::SearchDialog(const SearchDialogLook& look, platform::Dialogs& dialogs,
                           QWidget* parent)
    : platform::ModalDialog(parent), dialogs_(dialogs), emptyPromptText_(look.emptyPromptText) {
  setWindowTitle(look.caption);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFont(platform::DialogFont());
  setFixedSize(look.clientSize);

  Label1 = new QLabel(look.labelText, this);
  Label1->move(8, 8);
  Label1->adjustSize();

  // Created in tab order: prompt, search, cancel.
  SearchPromptEdit = new QLineEdit(this);
  SearchPromptEdit->setGeometry(8, 24, 337, 21);
  SearchPromptEdit->setMaxLength(std::numeric_limits<int>::max());

  SearchButton = new QPushButton(QStringLiteral("Искать"), this);
  SearchButton->setGeometry(184, 72, 75, 25);
  CancelButton = new QPushButton(QStringLiteral("Отмена"), this);
  CancelButton->setGeometry(272, 72, 75, 25);
  // Enter presses only the focused button; neither is the dialog's default.
  clearDefaultButtons();

  // The prompt has the focus at the first showing; later Qt brings back whatever had it.
  SearchPromptEdit->setFocus();

  connect(SearchButton, &QPushButton::clicked, this, &SearchDialog::SearchButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &SearchDialog::CancelButtonClick);

  FormCreate();
}

void SearchDialog::FormCreate() {
  SearchPromptEdit->clear();
}

void SearchDialog::FormClick() {
  SearchPromptEdit->setFocus(Qt::MouseFocusReason);
}

void SearchDialog::SearchButtonClick() {
  if (SearchPromptEdit->text().isEmpty()) {
    dialogs_.message(this, platform::MessageKind::Error, emptyPromptText_,
                     platform::MessageButtons::Ok);
    return;
  }
  close();
}

void SearchDialog::CancelButtonClick() {
  SearchPromptEdit->clear();
  close();
}

void SearchDialog::mousePressEvent(QMouseEvent* event) {
  // Only the bare background counts; a press on the label or a control is theirs.
  if (event->button() == Qt::LeftButton && childAt(event->position().toPoint()) == nullptr) {
    FormClick();
  }
  platform::ModalDialog::mousePressEvent(event);
}

}  // namespace kitrova::ui
