#include "Defaults.h"

#include <QDir>

#ifndef SORA_DIRECTORY_HOST
#error "SORA_DIRECTORY_HOST must name the station-directory server"
#endif

namespace sora::defaults {

QString directoryHost() { return QStringLiteral(SORA_DIRECTORY_HOST); }

QString url1() { return QStringLiteral("http://") + directoryHost() + QStringLiteral("/kiri-board/radio-deck/radioobx.cgi"); }

QString url2() { return QStringLiteral("http://") + directoryHost() + QStringLiteral("/kiri-board/ping-testobx.cgi"); }

QString recFolder(const QString& programFolder) { return programFolder + QDir::separator(); }

} // namespace sora::defaults
