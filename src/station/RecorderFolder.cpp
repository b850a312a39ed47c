#include "RecorderFolder.h"

#include <QDir>
#include <QFileInfo>

namespace sora {

namespace {

const QString kIncomplete = QStringLiteral("incomplete");

} // namespace

QString TrackFileName(const QString& title, const QString& extension)
{
    QString name = title.trimmed();
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'-';
    }
    while (name.startsWith(u'.'))
        name.remove(0, 1);
    if (name.isEmpty())
        name = QStringLiteral("（曲名なし）");
    // A file name holds 255 bytes: a long Japanese title is cut by its UTF-8 bytes, never in the
    // middle of a character.
    const qsizetype room = 240 - extension.toUtf8().size();
    while (name.toUtf8().size() > room) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return name + u'.' + extension;
}

RecorderFolder::RecorderFolder(QString recordingFolder) : m_path(QDir::cleanPath(recordingFolder)) {}

QString RecorderFolder::logFile() const
{
    return QDir(m_path).filePath(QStringLiteral("streamripper.log"));
}

QString RecorderFolder::stationFolderOf(const QStringList& openFiles) const
{
    const QString root = QFileInfo(m_path).canonicalFilePath();
    if (root.isEmpty())
        return QString();
    const QString prefix = root == u"/" ? root : root + u'/';
    for (const QString& file : openFiles) {
        if (!file.startsWith(prefix))
            continue;
        const QStringList parts = file.mid(prefix.size()).split(u'/');
        // <station>/<file> or <station>/incomplete/<file>; the log beside the stations is none.
        if (parts.size() != 2 && !(parts.size() == 3 && parts[1] == kIncomplete))
            continue;
        const QString& name = parts[0];
        if (name.isEmpty() || name == u"." || name == u"..")
            continue;
        const QString folder = prefix + name;
        // A link would lead out of the recording folder: only a real subfolder counts.
        if (QFileInfo(folder).canonicalFilePath() == folder && QFileInfo(folder).isDir())
            return folder;
    }
    return QString();
}

QString RecorderFolder::stationFolderNamed(const QString& name) const
{
    return QDir(m_path).filePath(TrackFileName(name, QString()).chopped(1));
}

QString RecorderFolder::trackFile(const QString& stationFolder, const QString& title, const QString& extension,
                                  bool whole)
{
    return QDir(whole ? stationFolder : QDir(stationFolder).filePath(kIncomplete))
        .filePath(TrackFileName(title, extension));
}

RecorderFolder::Progress RecorderFolder::progress(const QString& stationFolder, const QDateTime& since)
{
    Progress p;
    if (stationFolder.isEmpty())
        return p;
    // Two levels only: the recorder writes nothing deeper.
    const QDateTime from = since.addSecs(-2);
    const auto files = [](const QString& folder) {
        return QDir(folder).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden, QDir::Unsorted);
    };
    for (const QFileInfo& info : files(stationFolder))
        if (info.lastModified() >= from)
            p.bytes += info.size();
    QList<FileEntry> incomplete;
    for (const QFileInfo& info : files(QDir(stationFolder).filePath(kIncomplete))) {
        if (info.lastModified() >= from)
            p.bytes += info.size();
        incomplete.append({info.fileName(), info.lastModified()});
    }
    p.track = currentTrack(incomplete);
    return p;
}

QString RecorderFolder::currentTrack(const QList<FileEntry>& incomplete)
{
    const FileEntry* newest = nullptr;
    for (const FileEntry& e : incomplete)
        if (!newest || e.modified > newest->modified)
            newest = &e;
    return newest ? QFileInfo(newest->name).completeBaseName() : QString();
}

QString RecorderFolder::currentTrackIn(const QString& stationFolder)
{
    QList<FileEntry> entries;
    for (const QFileInfo& info : QDir(QDir(stationFolder).filePath(kIncomplete)).entryInfoList(QDir::Files))
        entries.append({info.fileName(), info.lastModified()});
    return currentTrack(entries);
}

} // namespace sora
