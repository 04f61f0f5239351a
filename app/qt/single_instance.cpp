#include "app/qt/single_instance.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include "app/comtrade_form.h"

namespace velk {
namespace {

constexpr char kHandled = '1';
constexpr char kNotHandled = '0';
constexpr int kRetryPauseMs = 50;

QString PerUserName(std::string_view base) {
  return QString::fromLatin1(base.data(), static_cast<qsizetype>(base.size())) + '-' +
         QString::number(getuid());
}

}  // namespace

QString RuntimeFolder() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return folder.isEmpty() ? QDir::tempPath() : folder;
}

SingleInstance::SingleInstance(const QString& runtime_folder)
    : lock_path_(runtime_folder + '/' + PerUserName(kInstanceLockName) + ".lock"),
      channel_path_(runtime_folder + '/' + PerUserName(kRestoreMessageName)),
      lock_(lock_path_) {
  lock_.setStaleLockTime(0);  // never stale by age: only when its program is gone
}

SingleInstance::~SingleInstance() {
  StopListening();  // the channel closes before the lock is released
}

bool SingleInstance::Acquire() {
  return lock_.tryLock(0);
}

bool SingleInstance::Listen(std::function<bool(std::string_view)> hook) {
  hook_ = std::move(hook);
  // The lock is ours, so a channel left behind belongs to a program that died.
  QLocalServer::removeServer(channel_path_);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (!socket->canReadLine()) return;
        const QByteArray request = socket->readLine().trimmed();
        const bool handled =
            hook_(std::string_view(request.constData(), static_cast<std::size_t>(request.size())));
        socket->write(QByteArray(1, handled ? kHandled : kNotHandled) + '\n');
        socket->flush();
        socket->disconnectFromServer();
      });
    }
  });
  return server_->listen(channel_path_);
}

bool SingleInstance::Send(std::string_view message, int timeout_ms) const {
  const QDeadlineTimer deadline(timeout_ms);
  QLocalSocket socket;
  // The running program takes the lock before it listens: keep trying.
  for (;;) {
    socket.connectToServer(channel_path_);
    if (socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) break;
    if (deadline.hasExpired()) return false;
    QThread::msleep(kRetryPauseMs);
  }
  socket.write(QByteArray(message.data(), static_cast<qsizetype>(message.size())) + '\n');
  if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) return false;
  while (!socket.canReadLine()) {
    if (deadline.hasExpired() ||
        !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
      return false;
  }
  return socket.readLine().trimmed() == QByteArray(1, kHandled);
}

}  // namespace velk
