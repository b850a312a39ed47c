#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace sora {

// A file in a folder, as far as the current track is concerned.
struct FileEntry
{
    QString name;
    QDateTime modified;
};

// The name a recorded track of `title` gets in a station folder: the title with what a file name
// cannot hold replaced, and the stream's extension.
QString TrackFileName(const QString& title, const QString& extension);

// How the recorder lays out what it writes: the recording folder holds its log (when no terminal
// shows it) and one folder per station, named by the recorder from the stream's name cleaned its
// own way; in it, incomplete/ holds the track being recorded, and finished tracks move up.
class RecorderFolder
{
public:
    explicit RecorderFolder(QString recordingFolder);

    const QString& path() const { return m_path; }
    QString logFile() const;

    // The station folder, a direct subfolder of the recording folder, in which one of the files
    // the recorder holds open lies (in it or in its incomplete/); empty when none does. Only what
    // the recorder itself opened says which folder is its: the stream's name is never a path.
    QString stationFolderOf(const QStringList& openFiles) const;
    // The station folder the recorder would make for a stream of that name.
    QString stationFolderNamed(const QString& name) const;
    // Where a track of `title` lies in a station folder: there once recorded whole, in its
    // incomplete/ when not.
    static QString trackFile(const QString& stationFolder, const QString& title, const QString& extension,
                             bool whole);

    // What the recorder wrote into a station folder since `since`: the bytes and the current
    // track. Reads the disk, so it runs off the window's thread.
    struct Progress
    {
        qint64 bytes = 0;
        QString track;
    };
    static Progress progress(const QString& stationFolder, const QDateTime& since);

    // The track being recorded: the newest file of incomplete/, without its extension; empty when
    // there is none.
    static QString currentTrack(const QList<FileEntry>& incomplete);
    // The same, read from a station folder's incomplete/ (the disk: off the window's thread).
    static QString currentTrackIn(const QString& stationFolder);

private:
    QString m_path;
};

} // namespace sora
