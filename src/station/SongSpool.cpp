#include "SongSpool.h"

#include "UserCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <algorithm>
#include <utility>

#include <csignal>
#include <unistd.h>

namespace sora {

namespace {

QString extensionOf(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').value(0).trimmed().toLower();
    if (type == "audio/mpeg" || type == "audio/mp3")
        return QStringLiteral("mp3");
    if (type == "audio/aac" || type == "audio/aacp" || type == "audio/x-aac")
        return QStringLiteral("aac");
    if (type == "application/ogg" || type == "audio/ogg")
        return QStringLiteral("ogg");
    return QStringLiteral("bin");
}

std::shared_ptr<SongSpool>& currentSpool()
{
    static std::shared_ptr<SongSpool> spool;
    return spool;
}

} // namespace

std::shared_ptr<SongSpool> SongSpool::current()
{
    return currentSpool();
}

void SongSpool::setCurrent(std::shared_ptr<SongSpool> spool)
{
    currentSpool() = std::move(spool);
}

QString SongSpool::userFolder()
{
    const QString base = UserCacheFolder();
    if (!MakeOwnFolder(base))
        return QString();
    // Spools of runs that ended without removing theirs.
    for (const QFileInfo& old : QDir(base).entryInfoList({QStringLiteral("spool-*")}, QDir::Dirs)) {
        bool number = false;
        const pid_t pid = old.fileName().mid(6).toInt(&number);
        if (number && pid != ::getpid() && ::kill(pid, 0) != 0)
            QDir(old.filePath()).removeRecursively();
    }
    return base + QStringLiteral("/spool-") + QString::number(::getpid());
}

SongSpool::SongSpool(QString folder, int maxSongs, qint64 maxMilliseconds)
    : m_folder(std::move(folder)), m_maxSongs(maxSongs), m_maxMilliseconds(maxMilliseconds)
{
    m_usable = !m_folder.isEmpty() && MakeOwnFolder(m_folder);
    m_clock.start();
}

SongSpool::~SongSpool()
{
    discard();
}

void SongSpool::discard()
{
    QMutexLocker lock(&m_mutex);
    for (auto& c : m_connections)
        c.current = nullptr;
    m_entries.clear();
    if (m_usable)
        QDir(m_folder).removeRecursively();
    m_usable = false;
}

SongSpool::Entry* SongSpool::startSong(const QUrl& stream, const QString& extension, const QString& station,
                                       const QString& title, bool fromStart)
{
    auto entry = std::make_shared<Entry>();
    entry->song.id = m_nextSong++;
    entry->song.title = title;
    entry->song.station = station;
    entry->song.stream = stream;
    entry->song.extension = extension;
    entry->song.started = QDateTime::currentDateTime();
    entry->song.fromStart = fromStart;
    entry->startMs = m_clock.elapsed();
    entry->path = m_folder + u'/' + QString::number(entry->song.id) + u'.' + extension;
    entry->out = std::make_unique<QFile>(entry->path);
    // Read by nobody else: the folder is the user's alone, and so is the file.
    if (!entry->out->open(QIODevice::WriteOnly | QIODevice::Truncate))
        entry->out.reset();
    m_entries.append(entry);
    return entry.get();
}

void SongSpool::finish(Entry& entry, bool toEnd)
{
    entry.song.milliseconds = m_clock.elapsed() - entry.startMs;
    entry.song.ended = true;
    entry.song.toEnd = toEnd;
    entry.out.reset();
}

void SongSpool::bound()
{
    // The oldest songs go first, never one being written.
    const auto total = [this] {
        qint64 ms = 0;
        for (const auto& e : m_entries)
            ms += e->song.ended ? e->song.milliseconds : m_clock.elapsed() - e->startMs;
        return ms;
    };
    while (!m_entries.isEmpty() && m_entries.first()->song.ended &&
           (m_entries.size() > m_maxSongs || total() > m_maxMilliseconds)) {
        QFile::remove(m_entries.first()->path);
        m_entries.removeFirst();
    }
}

int SongSpool::begin(const QUrl& stream, const QByteArray& contentType, const QString& station)
{
    QMutexLocker lock(&m_mutex);
    if (!m_usable)
        return 0;
    const int id = m_nextConnection++;
    m_connections.insert(id, {startSong(stream, extensionOf(contentType), station, QString(), false), false});
    bound();
    return id;
}

void SongSpool::audio(int connection, const QByteArray& bytes)
{
    QMutexLocker lock(&m_mutex);
    const auto c = m_connections.constFind(connection);
    if (c == m_connections.cend() || !c->current)
        return;
    Entry& e = *c->current;
    if (e.out && e.out->write(bytes) != bytes.size())
        e.out.reset(); // a full disk: what is kept stays, nothing more
    e.song.bytes += bytes.size();
    e.song.milliseconds = m_clock.elapsed() - e.startMs;
}

void SongSpool::title(int connection, const QString& title)
{
    QMutexLocker lock(&m_mutex);
    auto c = m_connections.find(connection);
    if (c == m_connections.end() || !c->current)
        return;
    if (!c->titled) {
        c->titled = true;
        c->current->song.title = title;
        return;
    }
    Entry& old = *c->current;
    finish(old, true);
    c->current = startSong(old.song.stream, old.song.extension, old.song.station, title, true);
    bound();
}

void SongSpool::end(int connection)
{
    QMutexLocker lock(&m_mutex);
    const Connection c = m_connections.take(connection);
    if (c.current)
        finish(*c.current, false);
    bound();
}

QList<SongSpool::Song> SongSpool::songs() const
{
    QMutexLocker lock(&m_mutex);
    QList<Song> out;
    for (const auto& e : m_entries)
        out.append(e->song);
    return out;
}

QString SongSpool::file(int id) const
{
    QMutexLocker lock(&m_mutex);
    for (const auto& e : m_entries) {
        if (e->song.id == id)
            return e->path;
    }
    return QString();
}

std::optional<QString> SongSpool::save(int id, const QString& target) const
{
    QMutexLocker lock(&m_mutex);
    const auto it = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                 [id](const auto& e) { return e->song.id == id; });
    if (it == m_entries.cend())
        return QStringLiteral("この曲はもう残っていません。");
    if ((*it)->out)
        (*it)->out->flush();
    QDir().mkpath(QFileInfo(target).absolutePath());
    if (QFileInfo::exists(target))
        return QStringLiteral("同じ名前のファイルがすでにあります: ") + target;
    if (!QFile::copy((*it)->path, target))
        return QStringLiteral("曲を保存できませんでした: ") + target;
    return std::nullopt;
}

} // namespace sora
