#include "gui/shell/single_instance.h"

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>

namespace quorvex::gui {
namespace {

constexpr char kTransferName[] = "QuorvexTransfer";
constexpr char kRequestTag[] = "QVX1 ";
constexpr char kDoneReply[] = "done\n";
constexpr int kConnectWaitMs = 2000;
constexpr int kLockWaitMs = 10000;
// A request is one line; anything longer than this is not ours.
constexpr qint64 kMaxRequest = 4096;

}  // namespace

SingleInstance::SingleInstance(QString serverPath, QObject* parent)
    : QObject(parent), path_(serverPath.isEmpty() ? DefaultServerPath() : std::move(serverPath)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::OnConnection);
}

SingleInstance::~SingleInstance() {
  server_.close();
}

QString SingleInstance::DefaultServerPath() {
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(QString::fromLocal8Bit(runtime)).exists()) {
    return QDir(QString::fromLocal8Bit(runtime)).filePath(QLatin1String(kTransferName));
  }
  return QDir::temp().filePath(QStringLiteral("%1-%2").arg(QLatin1String(kTransferName)).arg(::getuid()));
}

SingleInstance::Role SingleInstance::Start(const std::string& containerPath, std::string* error) {
  QLockFile lock(path_ + QStringLiteral(".lock"));
  lock.setStaleLockTime(0);  // a lock of a dead process is stale at once; a live holder is waited for
  if (!lock.tryLock(kLockWaitMs)) {
    if (error) {
      *error = lock.error() == QLockFile::PermissionError
                   ? "the start-up lock cannot be created beside " + path_.toStdString()
                   : std::string("another start of Quorvex did not finish in time");
    }
    return Role::Failed;
  }
  QLocalSocket socket;
  socket.connectToServer(path_);
  if (socket.waitForConnected(kConnectWaitMs)) {
    lock.unlock();
    return HandOver(socket, containerPath, error);
  }
  // Nobody answers: whatever socket file is left belongs to a dead instance.
  QLocalServer::removeServer(path_);
  if (!server_.listen(path_)) {
    if (error) *error = "cannot listen on " + path_.toStdString() + ": " + server_.errorString().toStdString();
    return Role::Failed;
  }
  return Role::Primary;
}

SingleInstance::Role SingleInstance::HandOver(QLocalSocket& socket, const std::string& containerPath,
                                              std::string* error) {
  std::string path = containerPath;
  if (path.size() > kMaxHandOverPath) {
    if (error) {
      *error = "The container path is longer than " + std::to_string(kMaxHandOverPath) +
               " bytes and was not handed over to the running Quorvex:\n" + path.substr(0, 80) + "...";
    }
    path.clear();
  }
  socket.write(QByteArray(kRequestTag) + QByteArray::fromStdString(path) + '\n');
  socket.flush();
  // The user may take a while to answer the import question: wait as long as the other side lives.
  while (socket.state() == QLocalSocket::ConnectedState && !socket.canReadLine()) {
    socket.waitForReadyRead(1000);
  }
  return Role::HandedOver;
}

void SingleInstance::OnConnection() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    QPointer<QLocalSocket> guard(socket);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, guard] {
      if (!guard) return;
      if (!guard->canReadLine()) {
        if (guard->bytesAvailable() > kMaxRequest) guard->abort();
        return;
      }
      QByteArray line = guard->readLine(kMaxRequest);
      if (!line.startsWith(kRequestTag)) {
        guard->abort();
        return;
      }
      line = line.mid(int(sizeof(kRequestTag) - 1));
      if (line.endsWith('\n')) line.chop(1);
      const std::string containerPath = line.left(int(kMaxHandOverPath)).toStdString();
      if (handler_) handler_(containerPath);
      if (guard) {
        guard->write(kDoneReply);
        guard->flush();
        guard->disconnectFromServer();
      }
    });
  }
}

}  // namespace quorvex::gui
