#include "platform/ModalDialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

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

namespace {

// The frame around a window; none until the window manager has framed it. While it
// reparents the window the margins may read negative, which counts as none yet.
QMargins KnownFrame(const QWidget* window) {
  const QWindow* handle = window->windowHandle();
  const QMargins margins = handle != nullptr ? handle->frameMargins() : QMargins();
  const bool sane =
      margins.left() >= 0 && margins.top() >= 0 && margins.right() >= 0 && margins.bottom() >= 0;
  return sane ? margins : QMargins();
}

QRect CentredOnScreen(const QWidget* window, const QRect& frame) {
  QScreen* target = window->screen();
  if (target == nullptr) target = QGuiApplication::primaryScreen();
  if (target == nullptr) return frame;
  QRect centred(QPoint(), frame.size());
  centred.moveCenter(target->availableGeometry().center());
  return centred;
}

const QString kFrameCentringName = QStringLiteral("kitrova_frame_centring");

// Under X11 no event announces the frame: look again after each event of the window until
// the window manager has framed it, then centre the frame once.
class FrameCentring final : public QObject {
 public:
  explicit FrameCentring(QWidget* window) : QObject(window), window_(window) {
    setObjectName(kFrameCentringName);
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() != QEvent::Hide) Look();
    return false;
  }

 private:
  void Look() {
    if (framed_ || !window_->isVisible()) return;
    const QMargins margins = KnownFrame(window_);
    if (margins.isNull()) return;
    framed_ = true;
    // The widget's own frame reading may still be the one from before the frame appeared.
    firstFrame_ = window_->geometry().marginsAdded(margins);
    target_ = CentredOnScreen(window_, firstFrame_);
    if (firstFrame_ == target_) return;
    // Placed by its client area, which does not depend on how the frame is positioned.
    window_->setGeometry(target_.marginsRemoved(margins));
    settleChecks_ = 5;
    QTimer::singleShot(150, this, &FrameCentring::Settle);
  }

  // A window manager still busy framing the window may drop the request: ask again a few
  // times while the frame sits where it was first put, never undoing anybody else's move.
  void Settle() {
    const QMargins margins = KnownFrame(window_);
    const QRect frame = window_->geometry().marginsAdded(margins);
    if (settleChecks_ <= 0 || !window_->isVisible() || frame != firstFrame_) return;
    --settleChecks_;
    window_->setGeometry(target_.marginsRemoved(margins));
    QTimer::singleShot(150, this, &FrameCentring::Settle);
  }

  QWidget* window_;
  bool framed_ = false;
  QRect firstFrame_;
  QRect target_;
  int settleChecks_ = 0;
};

}  // namespace

void CentreFrameOnScreen(QWidget* window) {
  window->move(CentredOnScreen(window, window->frameGeometry()).topLeft());
  if (window->findChild<QObject*>(kFrameCentringName, Qt::FindDirectChildrenOnly) == nullptr) {
    new FrameCentring(window);
  }
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
  CentreFrameOnScreen(this);
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
