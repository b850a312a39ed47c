#pragma once

#include "platform/TitleReader.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>
#include <optional>

class QTimer;

namespace sora {

class Recordings;

// The station's name for the desktop: the page address's "&title=" value as the title strip
// shows it, else the page's own title.
QString StationName(const QString& pageAddress, const QString& pageTitle);

// The stream a player window plays: the page's media element's source where it is a stream
// address, else the one the page's "&serv=", "&port=" and "&mount=" values make; empty when
// neither is there.
QUrl StationStream(const QString& mediaSource, const QString& pageAddress);

// Whether two stream addresses name the same stream (scheme, host, port and path).
bool SameStream(const QUrl& a, const QUrl& b);

// The address of the stream server's status document, asking for the stream's mount alone.
QUrl StatusDocumentAddress(const QUrl& stream);

// The title the status document gives for the stream at `mount`: nothing when the document does
// not list that mount (or is no status document), "" when it lists it without a title.
std::optional<QString> StatusDocumentTitle(const QByteArray& json, const QString& mount);

// The StreamTitle of a metadata block, decoded as the recorder is told to: UTF-8, else code page 932.
QString IcyStreamTitle(const QByteArray& metadata);

// The track the recorder writes now while this program records `stream`, with no connection at
// all; nothing when no recording of it runs. The folder is read away from the calling thread;
// `done` comes later on `context`'s thread, never once `context` is gone.
void RecorderTrackOf(Recordings& recordings, const QUrl& stream, QObject* context,
                     std::function<void(const std::optional<QString>&)> done);

// "Artist - Title" split at its first " - "; a title without one has no artist.
struct SongParts
{
    QString artist;
    QString title;
};
SongParts SplitSong(const QString& song);

// Follows the current title of the stream a player window plays, without a lasting connection:
// the server's status document where it lists the stream (at most every 15 s), else a short
// metadata read (at most every 30 s, and never more often than keeps its bytes within a small
// share of the stream's own), else nothing. While this program records the stream, the
// recorder's current track stands in, with no connection at all.
class NowPlaying final : public QObject
{
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    using Wait = std::chrono::milliseconds;
    static constexpr Wait kStatusEvery{15000};
    static constexpr Wait kIcyEvery{30000};
    static constexpr Wait kRecorderEvery{10000};
    // The share of the stream's own bytes that metadata reads may cost, and the rate assumed for
    // a stream that does not tell its own (kbit/s).
    static constexpr double kIcyShare = 0.018;
    static constexpr int kAssumedKbps = 64;

    // Tells `done`, on `context`, the recorder's current track while this program records `stream`.
    using RecordedTrack = std::function<void(const QUrl& stream, QObject* context,
                                             std::function<void(const std::optional<QString>&)> done)>;
    NowPlaying(TitleReader& reader, RecordedTrack recordedTrack, QObject* parent = nullptr);

    // Follows `stream` while it plays; an empty address stops. The last title of a stream is
    // remembered: the same stream playing again shows it until the next read, and brings no new
    // song for the same title.
    void watch(const QUrl& stream);
    QUrl stream() const { return m_stream; }
    // The program's tap hears `stream` on the page's own connection while `serving`: its titles
    // come from there, and nothing is read beside it.
    void tapped(const QUrl& stream, bool serving);
    // A title the tap heard in `stream`, as it changed.
    void tapTitle(const QUrl& stream, const QString& title);

    // The title heard now; empty while nothing plays or the stream tells none.
    QString song() const { return m_song; }

    // How long to wait after a metadata read of `bytes` from a stream of `kbps`, at least `least`.
    static Wait icyWait(qint64 bytes, int kbps, Wait least = kIcyEvery);

    // The waits between reads: status document, metadata, recorder (tests shorten them).
    void setIntervals(Wait status, Wait icy, Wait recorder)
    {
        m_statusEvery = status;
        m_icyEvery = icy;
        m_recorderEvery = recorder;
    }

signals:
    // song() changed.
    void SongChange();
    // A title not heard just before on this stream.
    void NewSong(const QString& title);

private:
    enum class Mode
    {
        Probe,  // not known yet which way the stream's titles can be read
        Status, // the status document lists the stream with the same title the stream sends
        Icy,    // the stream's own metadata
    };
    void read();
    void readStream();
    void probe();
    void probed(int generation);
    void heard(const QString& title);
    void schedule(Wait wait);
    bool tapping() const;

    TitleReader& m_reader;
    RecordedTrack m_recordedTrack;
    QTimer* m_timer;
    Wait m_statusEvery = kStatusEvery;
    Wait m_icyEvery = kIcyEvery;
    Wait m_recorderEvery = kRecorderEvery;
    QUrl m_stream;
    bool m_active = false;
    int m_generation = 0; // replies of an earlier watch are dropped
    Mode m_mode = Mode::Probe;
    bool m_charsetKnown = false; // a title beyond ASCII came the same both ways
    int m_mismatches = 0;
    QStringList m_listed; // the document's last few titles, while probing
    QString m_song;
    QString m_lastTitle;
    QUrl m_tapped;      // the stream the tap serves
    QString m_tapTitle; // its title
    Clock::time_point m_due{}; // no read of the stream before this
    // The two answers of a probe, as they come in.
    std::optional<std::optional<QString>> m_probeStatus;
    std::optional<IcyReply> m_probeIcy;
};

} // namespace sora
