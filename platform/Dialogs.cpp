#include "platform/Dialogs.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStringList>
#include <QUrl>

#include <filesystem>
#include <system_error>

#include "platform/Cp1251.h"
#include "platform/ModalDialog.h"

namespace kitrova::platform {

namespace {

QMessageBox::Icon IconFor(MessageKind kind) {
  switch (kind) {
    case MessageKind::Information:
      return QMessageBox::Information;
    case MessageKind::Error:
      return QMessageBox::Critical;
    case MessageKind::Confirmation:
      return QMessageBox::Question;
    case MessageKind::Plain:
      break;
  }
  return QMessageBox::NoIcon;
}

// Before the main window is on screen (start-up) a box has no window to sit on: it then
// belongs to none, which centres it on the screen, and stays in front of the splash.
QWidget* OwnerFor(QWidget* parent) {
  return parent != nullptr && parent->window()->isVisible() ? parent : nullptr;
}

// A file dialog has its size by the time it is shown; placing it then keeps Qt from
// centring it by a guess of the frame (see CentredBox).
class CentreWhenShown final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && !event->spontaneous()) {
      CentreFrameOnScreen(static_cast<QWidget*>(watched));
    }
    return false;
  }
};

void KeepInFrontWhenOwnerless(QWidget* dialog) {
  if (dialog->parentWidget() != nullptr) return;
  dialog->setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (qobject_cast<QFileDialog*>(dialog) != nullptr) {
    dialog->installEventFilter(new CentreWhenShown(dialog));
  }
}

// Qt draws "\n\r" as two line breaks. The box keeps the text exactly as given (text()
// answers it), while a twin of its label, in the label's place, draws each line once.
void ShowLinesOnce(QMessageBox& box, const QString& text) {
  const QString shown = ShownLines(text);
  if (shown == text) return;
  auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  const int index = grid != nullptr && label != nullptr ? grid->indexOf(label) : -1;
  if (index < 0) return;
  int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
  grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
  auto* twin = new QLabel(shown, &box);
  twin->setObjectName(QStringLiteral("kitrova_shown_text"));
  twin->setTextFormat(Qt::PlainText);
  twin->setWordWrap(label->wordWrap());
  twin->setAlignment(label->alignment());
  twin->setTextInteractionFlags(label->textInteractionFlags());
  twin->setContentsMargins(label->contentsMargins());
  twin->setSizePolicy(label->sizePolicy());
  label->hide();
  grid->addWidget(twin, row, column, rowSpan, columnSpan, label->alignment());
}

// Qt centres a box with no owner by its inner size and a guess of the frame (10 x 40
// pixels), before the box is framed; the start-up boxes sat off the screen's centre. The
// box knows its size only in its own showEvent, so it is placed after that.
class CentredBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (parentWidget() == nullptr && !event->spontaneous()) CentreFrameOnScreen(this);
  }
};

// A message box that only a button can end.
class MustChooseBox : public CentredBox {
 public:
  using CentredBox::CentredBox;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      event->accept();
      return;
    }
    CentredBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override {
    if (clickedButton() == nullptr) {
      event->ignore();
      return;
    }
    CentredBox::closeEvent(event);
  }
};

}  // namespace

MessageAnswer QtDialogs::message(QWidget* parent, MessageKind kind, const QString& text,
                                 MessageButtons buttons) {
  CentredBox plainBox(OwnerFor(parent));
  MustChooseBox mustChooseBox(OwnerFor(parent));
  QMessageBox& box = buttons == MessageButtons::YesNoMustChoose ? mustChooseBox : plainBox;
  KeepInFrontWhenOwnerless(&box);
  box.setWindowTitle(kApplicationTitle);
  box.setIcon(IconFor(kind));
  box.setText(text);
  box.setTextFormat(Qt::PlainText);
  ShowLinesOnce(box, text);

  QPushButton* ok = nullptr;
  QPushButton* yes = nullptr;
  QPushButton* no = nullptr;
  switch (buttons) {
    case MessageButtons::Ok:
      ok = box.addButton(QMessageBox::Ok);
      box.setDefaultButton(ok);
      break;
    case MessageButtons::Yes:
      yes = box.addButton(QMessageBox::Yes);
      box.setDefaultButton(yes);
      break;
    case MessageButtons::YesNo:
      yes = box.addButton(QMessageBox::Yes);
      no = box.addButton(QMessageBox::No);
      box.setDefaultButton(yes);
      // Esc and the close box must decline, never confirm.
      box.setEscapeButton(no);
      break;
    case MessageButtons::YesNoMustChoose:
      yes = box.addButton(QMessageBox::Yes);
      no = box.addButton(QMessageBox::No);
      box.setDefaultButton(yes);
      break;
  }
  box.exec();

  const auto* clicked = box.clickedButton();
  if (no != nullptr && (clicked == no || clicked == nullptr)) return MessageAnswer::No;
  if (clicked != nullptr && clicked == ok) return MessageAnswer::Ok;
  if (clicked != nullptr && clicked == yes) return MessageAnswer::Yes;
  return MessageAnswer::Closed;
}

QString QtDialogs::chooseFolder(QWidget* parent, const QString& title) {
  QFileDialog dialog(OwnerFor(parent), title);
  KeepInFrontWhenOwnerless(&dialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly, true);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList folders = dialog.selectedFiles();
  if (folders.isEmpty()) return {};
  return QDir::toNativeSeparators(folders.front());
}

QString QtDialogs::openFile(QWidget* parent, const FileDialogOptions& options) {
  QFileDialog dialog(OwnerFor(parent));
  KeepInFrontWhenOwnerless(&dialog);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!options.filter.isEmpty()) dialog.setNameFilter(QtFilterFromWindows(options.filter));
  dialog.setDefaultSuffix(options.defaultSuffix);
  if (!options.initialFolder.isEmpty()) dialog.setDirectory(options.initialFolder);
  if (!options.initialFile.isEmpty()) dialog.selectFile(options.initialFile);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return {};
  return QDir::toNativeSeparators(files.front());
}

void QtDialogs::openWithShell(const QString& path) {
  OpenWithShell(path);
}

ShellOpenError::ShellOpenError(const QString& path, const QString& reason)
    : std::runtime_error(
          QStringLiteral("Не удаётся открыть файл %1: %2").arg(path, reason).toStdString()) {}

void OpenWithShell(const QString& path) {
  // The launcher runs detached and reports only on its standard error, so what can be
  // known beforehand is asked here: the system's own words for a file it cannot reach.
  std::error_code ec;
  static_cast<void>(std::filesystem::status(PathFromQString(path), ec));
  if (ec) throw ShellOpenError(path, QString::fromLocal8Bit(ec.message()));
  // The system's "open" action, never a command line built from the path.
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
    throw ShellOpenError(
        path, QStringLiteral("в системе нет программы, которая открывает файлы (xdg-open из "
                             "пакета xdg-utils)"));
  }
}

QString ShownLines(const QString& text) {
  QString shown = text;
  shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

QString QtFilterFromWindows(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) p = p.trimmed();
    filters.append(parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
  }
  // A lone description without a pattern still names something the user can pick.
  if (parts.size() % 2 == 1 && !parts.back().isEmpty()) {
    filters.append(parts.back() + QStringLiteral(" (*)"));
  }
  return filters.join(QStringLiteral(";;"));
}

void ShowErrorText(Dialogs& dialogs, QWidget* parent, const QString& text) {
  dialogs.message(parent, MessageKind::Error, text, MessageButtons::Ok);
}

void ShowException(Dialogs& dialogs, QWidget* parent, const std::exception& error) {
  ShowErrorText(dialogs, parent, QString::fromUtf8(error.what()));
}

}  // namespace kitrova::platform
