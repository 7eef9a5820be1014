#pragma once
// Base of every dialog of the program: no default or cancel button. Enter presses only the
// focused push button, Esc does nothing, the title-bar close box just closes (reject).

#include <QDialog>
#include <QFont>

class QLabel;

namespace kitrova::platform {

// The font the program's windows are laid out for: MS Sans Serif, 8 points at 96 dots per
// inch.
QFont DialogFont();

// Puts a label at its designed place; it only grows when the platform's font is wider than
// the one it was laid out for, so no caption is cut.
void PlaceLabel(QLabel* label, int left, int top, int width, int height);

// Centres a top-level window's whole frame on the screen it appears on. Call it when the
// window has its size, before it is mapped: under X11 the window manager's frame is known
// only once the window is up, so the window is placed by its client area now and moved
// again, once, when the frame appears (a later move by the user is kept).
void CentreFrameOnScreen(QWidget* window);

class ModalDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ModalDialog(QWidget* parent = nullptr);

  // Centres the window on the screen it will appear on.
  void centerOnScreen();

 protected:
  // No push button is a default or auto-default one (showing does it again for buttons
  // added later).
  void clearDefaultButtons();

  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  bool centred_ = false;
};

}  // namespace kitrova::platform
