#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include <optional>

#include "core/CatalogError.h"
#include "platform/Cp1251.h"

namespace kitrova::app {

namespace {

const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

}  // namespace

SingleInstance::SingleInstance(const std::filesystem::path& programFolder, QObject* parent)
    : QObject(parent), name_(ServerName(programFolder)) {
  try {
    std::optional<core::FileLock> lock =
        core::TryLockFile(LockPath(programFolder), core::kProgramLockHolder);
    if (!lock) {
      first_ = false;
      return;
    }
    lock_ = std::move(*lock);
  } catch (const core::CatalogError&) {
    return;
  }
  // A socket left by a killed holder would refuse to listen: the lock says it is dead.
  QLocalServer::removeServer(name_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::AnswerConnections);
  // Not listening only costs a later start its raise: it then says that Kitrova runs.
  server_.listen(name_);
}

void SingleInstance::AnswerConnections() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->readAll().contains(kRaiseRequest)) return;
      emit RaiseRequested();
      socket->write("ok\n");
      socket->flush();
    });
  }
}

bool SingleInstance::AskRunningToRaise(int timeoutMs) const {
  const QDeadlineTimer deadline(timeoutMs);
  do {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
      socket.write(kRaiseRequest);
      return socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())) &&
             socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())) &&
             socket.readAll().startsWith("ok");
    }
    // The running program may not be listening yet.
    QThread::msleep(50);
  } while (!deadline.hasExpired());
  return false;
}

QString SingleInstance::ServerName(const std::filesystem::path& programFolder) {
  const QByteArray folder =
      platform::PathToQString(std::filesystem::absolute(programFolder).lexically_normal()).toUtf8();
  return QStringLiteral("kitrova-") +
         QString::fromLatin1(
             QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(24));
}

std::filesystem::path SingleInstance::LockPath(const std::filesystem::path& programFolder) {
  return programFolder / "kitrova.lock";
}

QString AlreadyRunningText() {
  return QStringLiteral(
      "Kitrova уже запущена с этой папкой программы, а её окно вывести на первый план не "
      "удалось. Переключитесь на запущенную программу.");
}

}  // namespace kitrova::app
