#include "SingleInstance.h"

#include "ProgramInfo.h"

#include <QDir>
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
    if (m_fd >= 0)
        ::close(m_fd);
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
    return true;
}

} // namespace sora
