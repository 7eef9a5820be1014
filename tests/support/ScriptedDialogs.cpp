#include "support/ScriptedDialogs.h"

#include <QDir>

#include <gtest/gtest.h>

namespace kitrova::testing {

using platform::MessageAnswer;
using platform::MessageButtons;

MessageAnswer ScriptedDialogs::message(QWidget*, platform::MessageKind kind, const QString& text,
                                       MessageButtons buttons) {
  messages.push_back({kind, text, buttons});
  if (messages.size() > 500) {
    ADD_FAILURE() << "too many message boxes; last: " << text.toStdString();
    throw std::runtime_error("message loop");
  }
  if (onMessage) onMessage(messages.back());
  if (!answers.empty()) {
    MessageAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Yes;
}

QString ScriptedDialogs::chooseFolder(QWidget*, const QString& title) {
  folderTitles.push_back(title);
  if (folderAnswers.empty()) {
    ADD_FAILURE() << "unexpected folder chooser";
    return QDir::tempPath();
  }
  QString a = folderAnswers.front();
  folderAnswers.pop_front();
  return a;
}

QString ScriptedDialogs::openFile(QWidget*, const platform::FileDialogOptions& options) {
  fileRequests.push_back(options);
  if (fileAnswers.empty()) return {};
  QString a = fileAnswers.front();
  fileAnswers.pop_front();
  return a;
}

void ScriptedDialogs::openWithShell(const QString& path) {
  shellOpened.push_back(path);
  if (shellFailures.empty()) return;
  const QString reason = shellFailures.front();
  shellFailures.pop_front();
  if (!reason.isEmpty()) throw platform::ShellOpenError(path, reason);
}

std::vector<QString> ScriptedDialogs::texts() const {
  std::vector<QString> out;
  for (const auto& m : messages) out.push_back(m.text);
  return out;
}

void ScriptedDialogs::clear() {
  messages.clear();
  folderTitles.clear();
  fileRequests.clear();
  shellOpened.clear();
  answers.clear();
  folderAnswers.clear();
  fileAnswers.clear();
}

}  // namespace kitrova::testing
