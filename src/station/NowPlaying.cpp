#include "NowPlaying.h"

#include "RecorderCommand.h"
#include "RecorderFolder.h"
#include "RecordingCheck.h"
#include "Icy.h"
#include "UrlValue.h"
#include "app/Cp932.h"
#include "platform/Recordings.h"


#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QFuture>
#include <QPromise>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <tuple>

namespace sora {

namespace {

// A status document's value as text: a title made only of digits, or a word like true, the
// server writes as a JSON number or boolean.
QString DocumentText(const QJsonValue& value)
{
    if (value.isDouble() || value.isBool())
        return DecodedTitle(value.toVariant().toString());
    return DecodedTitle(value.toString());
}

bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// The listing of a folder happens away from the windows: a hung network folder must not freeze
// them. Its own few threads, so such a folder never holds up the program's other work, and never
// destroyed, so it never holds up the exit either.
QThreadPool& FolderReaders()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        return p;
    }();
    return *pool;
}

} // namespace

QString StationName(const QString& pageAddress, const QString& pageTitle)
{
    const QString title = GetUrlValue(pageAddress, QStringLiteral("&title="));
    return title.isEmpty() ? pageTitle : title;
}

QUrl StationStream(const QString& mediaSource, const QString& pageAddress)
{
    const QUrl source(mediaSource);
    const QString scheme = source.scheme();
    if (source.isValid() && (scheme == u"http" || scheme == u"https") && !source.host().isEmpty())
        return source;
    const QString serv = GetUrlValue(pageAddress, QStringLiteral("&serv="));
    const QString port = GetUrlValue(pageAddress, QStringLiteral("&port="));
    const QString mount = GetUrlValue(pageAddress, QStringLiteral("&mount="));
    if (StationValueProblem(serv, port))
        return QUrl();
    const QUrl address(StreamAddress(serv, port, mount));
    return address.isValid() ? address : QUrl();
}

bool SameStream(const QUrl& a, const QUrl& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const auto key = [](const QUrl& u) {
        const QString scheme = u.scheme().toLower();
        const QUrl n = u.adjusted(QUrl::NormalizePathSegments);
        return std::make_tuple(scheme, n.host().toLower(), n.port(scheme == u"https" ? 443 : 80),
                               n.path(QUrl::FullyDecoded));
    };
    return key(a) == key(b);
}

QUrl StatusDocumentAddress(const QUrl& stream)
{
    QUrl doc =
        stream.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo);
    doc.setPath(QStringLiteral("/status-json.xsl"));
    // Escaped but for its slashes: a "+" sent as it is reads as a space.
    doc.setQuery(QStringLiteral("mount=") +
                     QString::fromLatin1(QUrl::toPercentEncoding(stream.path(QUrl::FullyDecoded), "/")),
                 QUrl::StrictMode);
    return doc;
}

std::optional<QString> StatusDocumentTitle(const QByteArray& json, const QString& mount)
{
    const QJsonObject stats = QJsonDocument::fromJson(json).object().value(u"icestats").toObject();
    const QJsonValue sources = stats.value(u"source");
    // One source comes as an object, several as a list.
    const QJsonArray list = sources.isArray() ? sources.toArray() : QJsonArray{sources};
    for (const QJsonValue& v : list) {
        const QJsonObject source = v.toObject();
        // Listed under the server's own host name: only the mount is compared.
        const QUrl listen(source.value(u"listenurl").toString());
        if (!listen.isValid() || listen.path(QUrl::FullyDecoded) != mount)
            continue;
        const QString title = DocumentText(source.value(u"title"));
        const QString artist = DocumentText(source.value(u"artist"));
        return artist.isEmpty() || title.isEmpty() ? title + artist : artist + QStringLiteral(" - ") + title;
    }
    return std::nullopt;
}

QString IcyStreamTitle(const QByteArray& metadata)
{
    return DecodedTitle(IcyStreamTitleText(metadata).value_or(QString()));
}

void RecorderTrackOf(Recordings& recordings, const QUrl& stream, QObject* context,
                     std::function<void(const std::optional<QString>&)> done)
{
    QString station;
    for (const Recording& r : recordings.running()) {
        if (!SameStream(QUrl(r.address), stream))
            continue;
        // The folder the recorder itself holds files open in.
        station = RecorderFolder(r.folder).stationFolderOf(recordings.openFiles(r));
        break;
    }
    auto promise = std::make_shared<QPromise<std::optional<QString>>>();
    QFuture<std::optional<QString>> future = promise->future();
    promise->start();
    future.then(context, [done](const std::optional<QString>& track) { done(track); });
    if (station.isEmpty()) {
        promise->addResult(std::nullopt);
        promise->finish();
        return;
    }
    FolderReaders().start([promise, station] {
        promise->addResult(RecorderFolder::currentTrackIn(station)); // as 録音一覧 shows it
        promise->finish();
    });
}

SongParts SplitSong(const QString& song)
{
    const qsizetype dash = song.indexOf(QStringLiteral(" - "));
    if (dash <= 0 || dash + 3 >= song.size())
        return {QString(), song};
    return {song.left(dash).trimmed(), song.mid(dash + 3).trimmed()};
}

NowPlaying::NowPlaying(TitleReader& reader, RecordedTrack recordedTrack, QObject* parent)
    : QObject(parent), m_reader(reader), m_recordedTrack(std::move(recordedTrack)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &NowPlaying::read);
}

NowPlaying::Wait NowPlaying::icyWait(qint64 bytes, int kbps, Wait least)
{
    const double bytesPerMs = (kbps > 0 ? kbps : kAssumedKbps) * 1000.0 / 8 / 1000;
    const auto share = Wait(static_cast<qint64>(static_cast<double>(bytes) / (kIcyShare * bytesPerMs)));
    return std::max(least, share);
}

void NowPlaying::watch(const QUrl& stream)
{
    const bool active = !stream.isEmpty();
    if (active == m_active && (!active || SameStream(stream, m_stream)))
        return;
    ++m_generation; // what is under way belongs to the earlier watch
    m_timer->stop();
    m_probeStatus.reset();
    m_probeIcy.reset();
    m_active = active;
    if (active && !SameStream(stream, m_stream)) {
        m_stream = stream;
        m_mode = Mode::Probe;
        m_charsetKnown = false;
        m_mismatches = 0;
        m_listed.clear();
        m_lastTitle.clear();
        m_due = {};
    }
    // Stopped, nothing; the same stream again, what it played last until the next read.
    const QString song = active ? m_lastTitle : QString();
    if (song != m_song) {
        m_song = song;
        emit SongChange();
    }
    if (active && tapping())
        heard(m_tapTitle);
    else if (active)
        schedule(std::chrono::duration_cast<Wait>(std::max(Clock::duration::zero(), m_due - Clock::now())));
}

bool NowPlaying::tapping() const
{
    return SameStream(m_tapped, m_stream);
}

void NowPlaying::tapped(const QUrl& stream, bool serving)
{
    if (serving) {
        if (!SameStream(stream, m_tapped))
            m_tapTitle.clear();
        m_tapped = stream;
        if (m_active && tapping()) {
            ++m_generation; // reads under way are not needed
            m_timer->stop();
            m_probeStatus.reset();
            m_probeIcy.reset();
            heard(m_tapTitle);
        }
    } else if (SameStream(stream, m_tapped)) {
        m_tapped.clear();
        // The reads take over unless the tap serves again first (the page reconnects).
        if (m_active && SameStream(stream, m_stream))
            schedule(m_statusEvery);
    }
}

void NowPlaying::tapTitle(const QUrl& stream, const QString& title)
{
    if (!SameStream(stream, m_tapped))
        return;
    m_tapTitle = DecodedTitle(title);
    if (m_active && tapping())
        heard(m_tapTitle);
}

void NowPlaying::schedule(Wait wait)
{
    m_due = Clock::now() + wait;
    m_timer->start(wait);
}

void NowPlaying::heard(const QString& title)
{
    // An empty title is no song: what was heard stays.
    if (title.isEmpty())
        return;
    if (title != m_song) {
        m_song = title;
        emit SongChange();
    }
    if (title != m_lastTitle) {
        m_lastTitle = title;
        emit NewSong(title);
    }
}

void NowPlaying::read()
{
    if (!m_active || tapping())
        return;
    if (!m_recordedTrack)
        return readStream();
    const int generation = m_generation;
    m_recordedTrack(m_stream, this, [this, generation](const std::optional<QString>& track) {
        if (generation != m_generation)
            return;
        if (!track)
            return readStream();
        heard(*track);
        schedule(m_recorderEvery);
    });
}

void NowPlaying::readStream()
{
    const int generation = m_generation;
    switch (m_mode) {
    case Mode::Probe:
        return probe();
    case Mode::Status:
        m_reader.readStatus(
            StatusDocumentAddress(m_stream), this, [this, generation](const StatusReply& reply) {
                if (generation != m_generation)
                    return;
                const std::optional<QString> title =
                    reply.ok ? StatusDocumentTitle(reply.body, m_stream.path(QUrl::FullyDecoded))
                             : std::nullopt;
                if (!title) {
                    // The server changed, or is gone for now: find out again which way to read.
                    m_mode = Mode::Probe;
                    return schedule(m_statusEvery);
                }
                if (!m_charsetKnown && *title != m_lastTitle && !IsAscii(*title)) {
                    // Nothing beyond ASCII agreed so far: a new title is held against the stream's own first.
                    m_mode = Mode::Probe;
                    return probe();
                }
                heard(*title);
                schedule(m_statusEvery);
            });
        return;
    case Mode::Icy:
        m_reader.readIcy(m_stream, this, [this, generation](const IcyReply& reply) {
            if (generation != m_generation)
                return;
            if (reply.hasMetadata)
                heard(IcyStreamTitle(reply.metadata));
            schedule(icyWait(reply.bytes, reply.bitrate, m_icyEvery));
        });
        return;
    }
}

// Both ways at once: the status document is cheap, but only worth reading where it tells the
// title as the stream itself does (a server may take a title's character set wrongly).
void NowPlaying::probe()
{
    const int generation = m_generation;
    m_reader.readStatus(StatusDocumentAddress(m_stream), this, [this, generation](const StatusReply& reply) {
        if (generation != m_generation)
            return;
        m_probeStatus = reply.ok ? StatusDocumentTitle(reply.body, m_stream.path(QUrl::FullyDecoded))
                                 : std::optional<QString>();
        probed(generation);
    });
    m_reader.readIcy(m_stream, this, [this, generation](const IcyReply& reply) {
        if (generation != m_generation)
            return;
        m_probeIcy = reply;
        probed(generation);
    });
}

void NowPlaying::probed(int generation)
{
    if (generation != m_generation || !m_probeStatus || !m_probeIcy)
        return;
    const std::optional<QString> listed = *m_probeStatus;
    const IcyReply icy = *m_probeIcy;
    m_probeStatus.reset();
    m_probeIcy.reset();
    const QString sent = icy.hasMetadata ? IcyStreamTitle(icy.metadata) : QString();
    if (listed) {
        m_listed.append(*listed);
        if (m_listed.size() > 4)
            m_listed.removeFirst();
    }
    // A stream whose titles are UTF-8 has them in the document as they are. Titles in another
    // character set the server may have taken wrongly: the document must tell the stream's own.
    // A server's first bytes to a listener are audio of some seconds ago, with the title of then:
    // any title the document gave of late agrees.
    const bool utf8 = MetadataCodeset(icy.metadata) == u"UTF-8";
    const bool agrees = m_listed.contains(sent);
    // ASCII reads the same in every character set: only a title beyond it shows the document right.
    // A stream whose first block tells no title gives nothing to judge by.
    const bool proven = !icy.hasMetadata || (utf8 && !IsAscii(sent)) || (agrees && !IsAscii(sent));
    if (listed && (!icy.hasMetadata || utf8 || agrees) && (proven || sent.isEmpty() || IsAscii(*listed))) {
        m_mode = Mode::Status;
        m_charsetKnown = proven;
        heard(*listed);
        return schedule(m_statusEvery);
    }
    // Neither answers: the server is away for now, which says nothing of how to read it later.
    if (!listed && !icy.ok)
        return schedule(m_icyEvery);
    // One more look before the document is given up on; nothing is shown meanwhile, as either
    // title may be the wrong one.
    if (listed && ++m_mismatches < 2)
        return schedule(m_statusEvery);
    m_mode = Mode::Icy;
    heard(sent);
    schedule(icyWait(icy.bytes, icy.bitrate, m_icyEvery));
}

} // namespace sora
