#include "platform/ModalDialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace kitrova::platform {

QFont DialogFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  return font;
}

void PlaceLabel(QLabel* label, int left, int top, int width, int height) {
  const QSize hint = label->sizeHint();
  label->setGeometry(left, top, qMax(width, hint.width()), qMax(height, hint.height()));
}

ModalDialog::ModalDialog(QWidget* parent) : QDialog(parent) {}

void ModalDialog::clearDefaultButtons() {
  // QDialog makes every push button auto-default; that would let Enter click a button
  // that does not have the focus.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
}

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
  clearDefaultButtons();
  if (!centred_) {
    centred_ = true;
    centerOnScreen();
  }
  QDialog::showEvent(event);
}

}  // namespace kitrova::platform
