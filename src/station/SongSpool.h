#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

class QFile;

namespace sora {

// The last songs the tap heard, whole where it heard them from their start, each in a file of
// its own in a folder only the user reaches; nothing of it outlives the spool. The relay's thread
// writes, the window's reads: every member may be called from either.
class SongSpool
{
public:
    struct Song
    {
        int id = 0;
        QString title;   // as the stream told it; empty when it told none
        QString station; // the stream's own name (icy-name), raw bytes taken as UTF-8 or code page 932
        QUrl stream;
        QString extension; // of the stream's audio: mp3, aac, ogg, or bin
        QDateTime started;
        qint64 milliseconds = 0; // heard of it so far
        qint64 bytes = 0;
        bool fromStart = false; // it began at a title change the tap heard
        bool ended = false;     // the next song began (or the stream ended)
        bool toEnd = false;     // the next song began: its end was heard
    };

    static constexpr int kMaxSongs = 10;
    static constexpr qint64 kMaxMilliseconds = 60 * 60 * 1000;

    // A spool in `folder`, which it makes (0700) and removes with everything in it.
    explicit SongSpool(QString folder, int maxSongs = kMaxSongs, qint64 maxMilliseconds = kMaxMilliseconds);
    ~SongSpool();
    SongSpool(const SongSpool&) = delete;
    SongSpool& operator=(const SongSpool&) = delete;

    // The program's spool, while the tap keeps one (recording mode).
    static std::shared_ptr<SongSpool> current();
    static void setCurrent(std::shared_ptr<SongSpool> spool);

    // The spool's folder in the user's cache, 0700; empty when there is no such folder to be had.
    static QString userFolder();
    bool usable() const { return m_usable; }
    // Removes the spool's folder and keeps nothing from then on (the program ends).
    void discard();

    // A connection to `stream` began handing on audio: its first song began before it, so it is
    // not whole. Returns the connection's number for the calls below.
    int begin(const QUrl& stream, const QByteArray& contentType, const QString& station);
    void audio(int connection, const QByteArray& bytes);
    // The stream told `title`: the first title names the song under way, a later one begins a
    // new song.
    void title(int connection, const QString& title);
    void end(int connection);

    // The songs kept, oldest first.
    QList<Song> songs() const;
    // The spool file of a song, for reading while it is kept; empty when it is gone.
    QString file(int id) const;
    // Copies what is kept of song `id` to `target`; a Japanese message for the user on failure.
    std::optional<QString> save(int id, const QString& target) const;

private:
    struct Entry
    {
        Song song;
        QString path;
        std::unique_ptr<QFile> out; // while being written
        qint64 startMs = 0;         // on the spool's clock
    };
    struct Connection
    {
        Entry* current = nullptr;
        bool titled = false;
    };
    Entry* startSong(const QUrl& stream, const QString& extension, const QString& station, const QString& title,
                     bool fromStart);
    void finish(Entry& entry, bool toEnd);
    void bound();

    mutable QMutex m_mutex;
    QString m_folder;
    bool m_usable = false;
    int m_maxSongs;
    qint64 m_maxMilliseconds;
    QElapsedTimer m_clock;
    QList<std::shared_ptr<Entry>> m_entries;
    QHash<int, Connection> m_connections;
    int m_nextConnection = 1;
    int m_nextSong = 1;
};

} // namespace sora
