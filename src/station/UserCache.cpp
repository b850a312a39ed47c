#include "UserCache.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace sora {

QString UserCacheFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/SoraWindowEX");
}

FolderState OwnFolderState(const QString& path)
{
    struct stat st{};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return FolderState::Missing;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return FolderState::NotOwn;
    return (st.st_mode & 0077) == 0 ? FolderState::Own : FolderState::OpenToOthers;
}

bool MakeOwnFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(path);
    switch (OwnFolderState(path)) {
    case FolderState::Own:
        return true;
    case FolderState::OpenToOthers:
        return ::chmod(QFile::encodeName(path).constData(), 0700) == 0;
    default:
        return false;
    }
}

} // namespace sora
