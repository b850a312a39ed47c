#include "SongFromStart.h"

#include "station/SongSpool.h"
#include "station/NowPlaying.h"
#include "station/RecorderFolder.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/Recordings.h"

#include <QFileInfo>
#include <QTimer>

namespace sora {

namespace {

// How long after the song's end the recorder's folder may take to show (it opens its files a
// little after it starts).
constexpr int kMaxWaits = 60;

} // namespace

SongFromStart::SongFromStart(Platform& platform, std::shared_ptr<SongSpool> spool, const QString& address,
                             QObject* parent)
    : QObject(parent), m_platform(platform), m_spool(std::move(spool)), m_stream(address), m_timer(new QTimer(this))
{
    for (const SongSpool::Song& song : m_spool->songs()) {
        if (!song.ended && SameStream(song.stream, m_stream))
            m_song = song.id;
    }
    if (!m_song) {
        deleteLater();
        return;
    }
    connect(m_timer, &QTimer::timeout, this, &SongFromStart::look);
    m_timer->start(1000);
}

QString SongFromStart::stationFolder() const
{
    for (const Recording& r : m_platform.recordings.running()) {
        if (SameStream(QUrl(r.address), m_stream))
            return RecorderFolder(r.folder).stationFolderOf(m_platform.recordings.openFiles(r));
    }
    return QString();
}

void SongFromStart::look()
{
    const QList<SongSpool::Song> songs = m_spool->songs();
    const auto song = std::find_if(songs.cbegin(), songs.cend(), [this](const auto& s) { return s.id == m_song; });
    if (song == songs.cend()) {
        deleteLater();
        return;
    }
    if (!song->ended)
        return;
    const QString station = stationFolder();
    if (station.isEmpty()) {
        if (++m_waits > kMaxWaits)
            deleteLater();
        return;
    }
    m_timer->stop();
    deleteLater();
    const bool whole = song->fromStart && song->toEnd;
    const QString target = RecorderFolder::trackFile(station, song->title, song->extension, whole);
    // The recorder's own piece of a partial song, from the press on, is shorter than what the
    // tap heard since tuning in.
    if (!whole && QFileInfo(target).exists() && QFileInfo(target).size() < song->bytes)
        QFile::remove(target);
    if (QFileInfo::exists(target))
        return;
    if (const std::optional<QString> problem = m_spool->save(m_song, target))
        m_platform.messages.show(nullptr, QStringLiteral("録音を始めた曲を最初から保存できませんでした。\r\n") + *problem,
                                 MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace sora
