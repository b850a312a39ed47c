#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sora {

namespace {

bool isWriteProtected(const char* path, const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path, W_OK) != 0;
}

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

QString systemReason(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error)
{
    QString target = path;
    // Write through a link to the real file, so the link itself stays.
    if (const QFileInfo link(path); link.isSymLink() && QFileInfo::exists(link.symLinkTarget()))
        target = link.symLinkTarget();

    const QByteArray targetBytes = QFile::encodeName(target);
    const QByteArray folderBytes = QFile::encodeName(QFileInfo(target).absolutePath());

    struct stat folderStat {};
    if (::stat(folderBytes.constData(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode))
        return fail(error, QStringLiteral("フォルダがありません: %1").arg(QFileInfo(target).absolutePath()));
    if (isWriteProtected(folderBytes.constData(), folderStat))
        return fail(error, QStringLiteral("フォルダに書き込めません: %1").arg(QFileInfo(target).absolutePath()));

    mode_t mode = 0;
    bool exists = false;
    struct stat fileStat {};
    if (::stat(targetBytes.constData(), &fileStat) == 0) {
        if (!S_ISREG(fileStat.st_mode))
            return fail(error, QStringLiteral("ファイルではありません: %1").arg(target));
        if (isWriteProtected(targetBytes.constData(), fileStat))
            return fail(error, QStringLiteral("読み取り専用のファイルです: %1").arg(target));
        mode = fileStat.st_mode & 07777;
        exists = true;
    }

    QByteArray temp = targetBytes + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(error, QStringLiteral("一時ファイルを作成できません: %1").arg(systemReason(errno)));

    if (!exists) {
        // A new file gets what the user's umask allows, as any newly created file would.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, data) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(temp.constData(), targetBytes.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.constData());
        return fail(error, QStringLiteral("書き込みに失敗しました: %1").arg(systemReason(err)));
    }
    return true;
}

} // namespace sora
