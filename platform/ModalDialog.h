#pragma once
// Base of every dialog of the program: no default or cancel button. Enter presses only the
// focused push button, Esc does nothing, the title-bar close box just closes (reject).

#include <QDialog>

namespace kitrova::platform {

class ModalDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ModalDialog(QWidget* parent = nullptr);

  // Centres the window on the screen it will appear on.
  void centerOnScreen();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool centred_ = false;
};

}  // namespace kitrova::platform
