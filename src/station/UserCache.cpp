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

bool MakeOwnFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    QDir().mkpath(path);
    struct stat st{};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    return (st.st_mode & 0077) == 0 || ::chmod(QFile::encodeName(path).constData(), 0700) == 0;
}

} // namespace sora
