#pragma once
// A stand-in for every message box and dialog: answers from scripts, records each request.

#include <QString>

#include <deque>
#include <functional>
#include <vector>

#include "platform/Dialogs.h"

namespace kitrova::testing {

struct MessageRecord {
  platform::MessageKind kind;
  QString text;
  platform::MessageButtons buttons;
};

class ScriptedDialogs : public platform::Dialogs {
 public:
  // Requests seen, in order.
  std::vector<MessageRecord> messages;
  std::vector<QString> folderTitles;
  std::vector<platform::FileDialogOptions> fileRequests;
  std::vector<QString> shellOpened;

  // Answers, taken from the front. With none left a message box answers its first button
  // (Ok, Yes, or Yes of Yes/No), a file dialog is cancelled, and a folder chooser fails
  // the test and answers the temporary folder so a loop cannot spin forever.
  std::deque<platform::MessageAnswer> answers;
  std::deque<QString> folderAnswers;
  std::deque<QString> fileAnswers;
  // Reasons the "open" action fails with (ShellOpenError), taken from the front; "" or none
  // left: it succeeds.
  std::deque<QString> shellFailures;

  // Called for every message box before it is answered (e.g. to check state at that moment).
  std::function<void(const MessageRecord&)> onMessage;

  platform::MessageAnswer message(QWidget* parent, platform::MessageKind kind, const QString& text,
                                  platform::MessageButtons buttons) override;
  QString chooseFolder(QWidget* parent, const QString& title) override;
  QString openFile(QWidget* parent, const platform::FileDialogOptions& options) override;
  void openWithShell(const QString& path) override;

  // Texts of all messages so far.
  std::vector<QString> texts() const;
  void clear();
};

}  // namespace kitrova::testing
