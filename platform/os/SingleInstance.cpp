#include "platform/os/SingleInstance.h"

#include "platform/os/SysPaths.h"

#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

struct TSingleInstance::TImpl {
  String Name;
  String LockPath;
  String SocketPath;
  int LockFd = -1;
  std::unique_ptr<QLocalServer> Server;
};

namespace {
String PerUserBase(const String& name) {
  String runtime = GetRuntimeFolder();
  // The temporary folder is shared between users: add the user id there.
  if (runtime == GetTempFolder()) return runtime + "/" + name + "-" + std::to_string(::getuid());
  return runtime + "/" + name;
}
}  // namespace

TSingleInstance::TSingleInstance(const String& name) : FImpl(std::make_unique<TImpl>()) {
  FImpl->Name = name;
  String base = PerUserBase(name);
  FImpl->LockPath = base + ".lock";
  FImpl->SocketPath = base + ".socket";
}

TSingleInstance::~TSingleInstance() {
  if (FImpl->Server) {
    FImpl->Server->close();
    FImpl->Server.reset();
  }
  if (FImpl->LockFd >= 0) {
    ::unlink(FImpl->SocketPath.c_str());
    ::close(FImpl->LockFd);  // drops the lock
  }
}

String TSingleInstance::LockPath() const { return FImpl->LockPath; }
String TSingleInstance::SocketPath() const { return FImpl->SocketPath; }
bool TSingleInstance::IsPrimary() const { return FImpl->LockFd >= 0 && FImpl->Server; }

bool TSingleInstance::TryLock() {
  int fd = ::open(FImpl->LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  FImpl->LockFd = fd;
  String pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0 && ::write(fd, pid.data(), pid.size()) < 0) {
    // The pid is only informative.
  }
  return true;
}

bool TSingleInstance::Listen() {
  QString path = QString::fromStdString(FImpl->SocketPath);
  // We hold the lock, so a socket file left there belongs to a dead instance.
  QLocalServer::removeServer(path);
  FImpl->Server = std::make_unique<QLocalServer>();
  FImpl->Server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!FImpl->Server->listen(path)) {
    FImpl->Server.reset();
    return false;
  }
  QLocalServer* server = FImpl->Server.get();
  QObject::connect(server, &QLocalServer::newConnection, server, [this, server] {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      auto deliver = [this, socket] {
        while (socket->canReadLine()) {
          QByteArray line = socket->readLine(4096).trimmed();
          if (OnMessage) OnMessage(line.toStdString());
          socket->write("ok\n");
          socket->flush();
        }
      };
      QObject::connect(socket, &QLocalSocket::readyRead, socket, deliver);
      deliver();
    }
  });
  return true;
}

bool TSingleInstance::Send(const String& message, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(FImpl->SocketPath));
  if (!socket.waitForConnected(timeoutMs)) return false;
  String line = message + "\n";
  socket.write(line.data(), static_cast<qint64>(line.size()));
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // Wait for the acknowledgement, so the message is known to have arrived.
  QElapsedTimer t;
  t.start();
  while (!socket.canReadLine()) {
    if (t.elapsed() > timeoutMs || !socket.waitForReadyRead(timeoutMs)) return false;
  }
  return socket.readLine().trimmed() == "ok";
}

TSingleInstance::TRole TSingleInstance::Start(const String& message, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  for (;;) {
    if (TryLock()) return Listen() ? siPrimary : siFailed;
    if (Send(message, 500)) return siSecondary;
    // The running instance may be starting up (not listening yet) or dying.
    if (t.elapsed() > timeoutMs) return siFailed;
    QThread::msleep(50);
  }
}
