#include "Downloads.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <utility>

namespace sora {

QString playlistExtension(const QString& mimeType, const QString& fileName)
{
    static const QStringList kExtensions{QStringLiteral(".pls"), QStringLiteral(".m3u"),
                                         QStringLiteral(".m3u8"), QStringLiteral(".asx"),
                                         QStringLiteral(".xspf")};
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (!suffix.isEmpty() && kExtensions.contains(QLatin1Char('.') + suffix))
        return QLatin1Char('.') + suffix;

    static const std::pair<QLatin1StringView, QLatin1StringView> kTypes[] = {
        {QLatin1StringView("audio/x-scpls"), QLatin1StringView(".pls")},
        {QLatin1StringView("audio/x-mpegurl"), QLatin1StringView(".m3u")},
        {QLatin1StringView("audio/mpegurl"), QLatin1StringView(".m3u")},
        {QLatin1StringView("application/vnd.apple.mpegurl"), QLatin1StringView(".m3u8")},
        {QLatin1StringView("video/x-ms-asf"), QLatin1StringView(".asx")},
        {QLatin1StringView("application/xspf+xml"), QLatin1StringView(".xspf")},
    };
    const QString type = mimeType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    // The ASF type is sent for the media files themselves too; those are no playlists.
    if (type == u"video/x-ms-asf" && (suffix == u"asf" || suffix == u"wma" || suffix == u"wmv"))
        return QString();
    for (const auto& [known, extension] : kTypes) {
        if (type == known)
            return extension;
    }
    return QString();
}

QString freeFileName(const QString& folder, const QString& name)
{
    const QDir dir(folder);
    if (!QFileInfo::exists(dir.filePath(name)))
        return name;
    // The number goes before the last extension, as browsers number their downloads.
    const QFileInfo info(name);
    const QString stem = info.completeBaseName().isEmpty() ? name : info.completeBaseName();
    const QString ext = info.completeBaseName().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(ext);
        if (!QFileInfo::exists(dir.filePath(candidate)))
            return candidate;
    }
}

} // namespace sora
