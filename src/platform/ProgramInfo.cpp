#include "ProgramInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace sora {

namespace {

// mkdir -p, giving what it creates mode 0700 as the XDG base directory rules ask.
bool makeFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const QString parent = QFileInfo(path).path();
    if (parent != path && !makeFolder(parent))
        return false;
    return ::mkdir(native.constData(), 0700) == 0 || errno == EEXIST;
}

} // namespace

ProgramInfo ProgramInfo::fromRunningExecutable()
{
    // applicationFilePath() follows /proc/self/exe, so a link to the executable still finds the
    // real program folder with its settings file and recorder.
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return ProgramInfo(programFolder(exe.absolutePath()), exe.completeBaseName());
}

QString ProgramInfo::programFolder(const QString& exeFolder)
{
    // A settings file beside a writable executable stays in use; nothing is ever copied between
    // the two folders.
    if (isWritableFolder(exeFolder))
        return exeFolder;
    const QString folder = userFolder();
    makeFolder(folder);
    return folder;
}

QString ProgramInfo::userFolder()
{
    // The base directory rules ignore a relative XDG_DATA_HOME.
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(dataHome + QStringLiteral("/sorawindowex"));
}

bool ProgramInfo::isWritableFolder(const QString& folder)
{
    // /usr belongs to the package manager and may be mounted read-only: a packaged program run
    // by root must not leave files there either.
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (path == QStringLiteral("/usr") || path.startsWith(QStringLiteral("/usr/")))
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    // Without any write bit the folder is read-only even for root, as for the settings file.
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(native.constData(), W_OK | X_OK) == 0;
}

} // namespace sora
