#include "platform/ModalDialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace kitrova::platform {

ModalDialog::ModalDialog(QWidget* parent) : QDialog(parent) {}

void ModalDialog::centerOnScreen() {
  QScreen* target = screen();
  if (target == nullptr) target = QGuiApplication::primaryScreen();
  if (target == nullptr) return;
  const QRect area = target->availableGeometry();
  QRect frame = frameGeometry();
  frame.moveCenter(area.center());
  move(frame.topLeft());
}

void ModalDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Only a focused push button reacts; there is no default button.
      if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
      event->accept();
      return;
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void ModalDialog::showEvent(QShowEvent* event) {
  // QDialog makes every push button auto-default; that would let Enter click a button
  // that does not have the focus.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  if (!centred_) {
    centred_ = true;
    centerOnScreen();
  }
  QDialog::showEvent(event);
}

}  // namespace kitrova::platform
