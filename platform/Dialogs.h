#pragma once
// Every message box, folder chooser, file dialog and the shell's "open" action goes through
// this interface. The program uses QtDialogs; tests hand in a scripted stand-in that
// answers and records every request.

#include <QString>

#include <exception>
#include <stdexcept>

class QWidget;

namespace kitrova::platform {

enum class MessageKind { Information, Error, Confirmation, Plain };
// YesNo: Esc and the close box answer No. YesNoMustChoose: neither Esc nor the close box
// dismisses the box, for a question where a slip of the key must not decide.
enum class MessageButtons { Ok, Yes, YesNo, YesNoMustChoose };
// Closed: the box was dismissed by its close box or Esc without a button.
enum class MessageAnswer { Ok, Yes, No, Closed };

struct FileDialogOptions {
  // Windows-style filter "description|pattern;pattern", e.g. "Файлы баз дистрибутивов|*.krv".
  QString filter;
  QString defaultSuffix;  // without the dot; empty for none
  QString initialFolder;  // empty: the platform's default folder
  QString initialFile;    // file name offered in the name field; may be empty
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // The caption is always the application title "Kitrova".
  virtual MessageAnswer message(QWidget* parent, MessageKind kind, const QString& text,
                                MessageButtons buttons) = 0;
  // A folder chooser limited to file-system folders; the native path or "" on cancel.
  virtual QString chooseFolder(QWidget* parent, const QString& title) = 0;
  // The open dialog for one file (which need not exist); full native path or "" on cancel.
  virtual QString openFile(QWidget* parent, const FileDialogOptions& options) = 0;
  // The system's "open" action on a local file. Throws ShellOpenError when the system
  // cannot even try (no such file, no program that opens files).
  virtual void openWithShell(const QString& path) = 0;
};

class QtDialogs final : public Dialogs {
 public:
  MessageAnswer message(QWidget* parent, MessageKind kind, const QString& text,
                        MessageButtons buttons) override;
  QString chooseFolder(QWidget* parent, const QString& title) override;
  QString openFile(QWidget* parent, const FileDialogOptions& options) override;
  void openWithShell(const QString& path) override;
};

inline const QString kApplicationTitle = QStringLiteral("Kitrova");

// The "open" action failed; what() is the box's text in UTF-8, with the system's reason.
class ShellOpenError : public std::runtime_error {
 public:
  ShellOpenError(const QString& path, const QString& reason);
};

// What QtDialogs::openWithShell does: hands `path` to the desktop's "open" (xdg-open on
// Linux) and throws ShellOpenError when the file cannot be reached or nothing opens it.
void OpenWithShell(const QString& path);

// The text as a box draws it: each line break of the Windows kind ("\n\r", "\r\n" or a
// lone "\r") becomes one "\n", so no empty line appears between the lines.
QString ShownLines(const QString& text);

// "desc|*.a;*.b" -> "desc (*.a *.b)" as Qt's dialogs want it.
QString QtFilterFromWindows(const QString& filter);

// Shows a failed operation's text in the standard error box (error kind, one OK button).
void ShowErrorText(Dialogs& dialogs, QWidget* parent, const QString& text);
// The same for an exception's what(), read as UTF-8.
void ShowException(Dialogs& dialogs, QWidget* parent, const std::exception& error);

}  // namespace kitrova::platform
