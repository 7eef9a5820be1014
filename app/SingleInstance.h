#pragma once
// One running Kitrova per program folder: the working copy, settings.ini and Backup/ belong
// to one process. The first start holds a lock in the program folder (it dies with the
// process, so a crash never blocks the next start) and listens on a local socket named
// after the folder; a later start asks it to bring its window to the front and ends.

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <filesystem>

#include "core/FileLock.h"

namespace kitrova::app {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // Takes the program folder's lock when nobody holds it, and then listens.
  explicit SingleInstance(const std::filesystem::path& programFolder, QObject* parent = nullptr);

  // This process runs the program for its folder. Also true when no lock file can be made
  // there: then nothing else can be written there either.
  bool IsFirst() const { return first_; }
  // Asks the running program to raise its window, trying for up to `timeoutMs` while it is
  // still starting. False when it could not be reached.
  bool AskRunningToRaise(int timeoutMs = 3000) const;

  // The local socket's name for a program folder: the same folder gives the same name.
  static QString ServerName(const std::filesystem::path& programFolder);
  // The lock file in the program folder.
  static std::filesystem::path LockPath(const std::filesystem::path& programFolder);

 signals:
  // Another start asked for the window.
  void RaiseRequested();

 private:
  void AnswerConnections();

  QString name_;
  core::FileLock lock_;
  QLocalServer server_;
  bool first_ = true;
};

// The box shown when the running program cannot be reached.
QString AlreadyRunningText();

}  // namespace kitrova::app
