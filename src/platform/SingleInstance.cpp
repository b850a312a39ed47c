#include "SingleInstance.h"

#include "ProgramInfo.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace sora {

LockFileInstance::LockFileInstance(QString folder) : m_folder(std::move(folder))
{
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

LockFileInstance::~LockFileInstance()
{
    m_server.reset(); // removes the socket while the lock still says it is ours
    if (m_fd >= 0)
        ::close(m_fd);
}

QString LockFileInstance::socketPath() const
{
    return QDir(m_folder).filePath(ProgramInfo::title() + QStringLiteral(".socket"));
}

QString LockFileInstance::lockPath() const
{
    return QDir(m_folder).filePath(ProgramInfo::title() + QStringLiteral(".lock"));
}

bool LockFileInstance::acquire()
{
    if (m_fd >= 0)
        return true;
    QDir().mkpath(m_folder);
    const QByteArray path = QFile::encodeName(lockPath());
    // O_CLOEXEC: a recorder started later must not inherit the lock and keep it past our end.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no runtime folder to lock in: better to run than to refuse every start
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return !taken;
    }
    m_fd = fd;
    listen();
    return true;
}

void LockFileInstance::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Whatever is at the path was left by a program that ended without removing it: the lock
    // just taken says no other holder lives.
    QLocalServer::removeServer(socketPath());
    if (!m_server->listen(socketPath())) {
        m_server.reset(); // no hand-over then; the lock alone still keeps one program running
        return;
    }
    QLocalServer* server = m_server.get();
    QObject::connect(server, &QLocalServer::newConnection, server, [this, server] {
        while (QLocalSocket* socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // The request is a byte sent on purpose, not the connection alone.
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                if (socket->readAll().isEmpty())
                    return;
                socket->disconnectFromServer();
                if (onActivate)
                    onActivate();
            });
        }
    });
}

bool LockFileInstance::activateRunning()
{
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    // Bounded waits: a running program that does not answer must not keep this one alive.
    if (!socket.waitForConnected(2000))
        return false;
    socket.write("activate\n");
    while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(2000)) {
    }
    const bool sent = socket.bytesToWrite() == 0;
    socket.abort();
    return sent;
}

} // namespace sora
