#include "ProcessIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace sora::process {

namespace {

QByteArray readProc(qint64 pid, const QString& what)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(what));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString link(const QString& path)
{
    QByteArray buffer(4096, '\0');
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer.data(), buffer.size());
    return n > 0 && n < buffer.size() ? QFile::decodeName(buffer.left(n)) : QString();
}

// The fields of /proc/<pid>/stat after the name, which may hold blanks: state first.
QList<QByteArray> statFields(qint64 pid)
{
    const QByteArray stat = readProc(pid, QStringLiteral("stat"));
    const qsizetype close = stat.lastIndexOf(')');
    return close < 0 ? QList<QByteArray>() : stat.mid(close + 2).split(' ');
}

} // namespace

QString bootId()
{
    QFile f(QStringLiteral("/proc/sys/kernel/random/boot_id"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().trimmed()) : QString();
}

quint64 startTicks(qint64 pid)
{
    if (pid <= 0)
        return 0;
    const QList<QByteArray> fields = statFields(pid);
    if (fields.value(0) == "Z" || fields.value(0) == "X")
        return 0;
    // The 22nd field, the 20th after the name.
    return fields.value(19).toULongLong();
}

double secondsSince(quint64 ticks)
{
    QFile f(QStringLiteral("/proc/uptime"));
    const double uptime = f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(0).toDouble() : 0;
    return uptime - static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

QStringList commandLine(qint64 pid)
{
    QByteArray raw = readProc(pid, QStringLiteral("cmdline"));
    if (raw.endsWith('\0'))
        raw.chop(1);
    QStringList words;
    if (!raw.isEmpty())
        for (const QByteArray& word : raw.split('\0'))
            words.append(QFile::decodeName(word));
    return words;
}

bool runsIn(qint64 pid, const QString& folder)
{
    struct stat st = {};
    if (pid <= 0 || ::stat(QFile::encodeName(QStringLiteral("/proc/%1").arg(pid)).constData(), &st) != 0 ||
        st.st_uid != ::geteuid())
        return false;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return !canonical.isEmpty() && link(QStringLiteral("/proc/%1/cwd").arg(pid)) == canonical;
}

QList<qint64> childrenOf(qint64 pid)
{
    // Not every kernel lists a process's children, and those it lists are one thread's.
    QList<qint64> children;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 child = name.toLongLong(&number);
        // After the state, the parent's id.
        if (number && statFields(child).value(1).toLongLong() == pid)
            children.append(child);
    }
    return children;
}

QStringList openFiles(qint64 pid)
{
    QStringList files;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = link(fds + u'/' + fd);
        // Sockets, pipes and files since removed are no place on disk.
        if (target.startsWith(u'/') && !target.endsWith(QStringLiteral(" (deleted)")))
            files.append(target);
    }
    return files;
}

bool canHold()
{
    const int self = hold(::getpid());
    if (self < 0)
        return false;
    ::close(self);
    return true;
}

int hold(qint64 pid)
{
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
    if (fd >= 0)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    return fd;
}

bool signalHeld(int fd, int signal)
{
    return ::syscall(SYS_pidfd_send_signal, fd, signal, nullptr, 0) == 0;
}

int interrupt(qint64 pid, int fd)
{
    const bool sent = fd >= 0 ? signalHeld(fd, SIGINT) : ::kill(static_cast<pid_t>(pid), SIGINT) == 0;
    return sent ? 0 : errno;
}

void release(int fd)
{
    if (fd < 0)
        return;
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

} // namespace sora::process
