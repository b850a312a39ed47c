#include "Defaults.h"

#include <QDir>

#ifndef SORA_DIRECTORY_HOST
#error "SORA_DIRECTORY_HOST must name the station-directory server"
#endif

namespace sora::defaults {

QString directoryHost() { return QStringLiteral(SORA_DIRECTORY_HOST); }

// Without a directory server of the build's, the program's own directory on the open catalogue.
QString url1()
{
    if (directoryHost().isEmpty())
        return builtInDirectoryAddress() + QStringLiteral("stations");
    return QStringLiteral("http://") + directoryHost() + QStringLiteral("/kiri-board/radio-deck/radioobx.cgi");
}

QString url2()
{
    if (directoryHost().isEmpty())
        return builtInDirectoryAddress() + QStringLiteral("ping");
    return QStringLiteral("http://") + directoryHost() + QStringLiteral("/kiri-board/ping-testobx.cgi");
}

QString builtInDirectoryAddress() { return QStringLiteral("soramado://directory/"); }

QString recFolder(const QString& programFolder) { return programFolder + QDir::separator(); }

} // namespace sora::defaults
