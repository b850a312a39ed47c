#pragma once

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <memory>

class QThread;

namespace sora {

class SongSpool;
class TapServer;

// What the relay's thread and the program's own share: the token of each stream, and the
// streams the relay sent back to the station itself.
struct TapBook
{
    QMutex mutex;
    QHash<QByteArray, QUrl> streams; // by token
    QHash<QUrl, QByteArray> tokens;
    QSet<QUrl> direct;
};

// The stream tap: a relay on the loopback interface, on a thread of its own, that the engine's
// requests for a station's stream are sent to. Each stream has a path of its own holding an
// unguessable token; any other request is refused. For each request it makes one connection to
// the station, asking for metadata, hands the engine the audio alone, and tells the titles as
// they pass. A stream it cannot serve (no answer, an answer that is no stream) it sends back to
// the station's own address, so the engine connects there itself as without it.
class StreamTap final : public QObject
{
    Q_OBJECT
public:
    // With a spool, the tap keeps the last songs it hands on there.
    explicit StreamTap(std::shared_ptr<SongSpool> spool = nullptr, QObject* parent = nullptr);
    ~StreamTap() override;

    const std::shared_ptr<SongSpool>& spool() const { return m_spool; }

    // Where the engine is sent for `stream`: the relay's address for it, or nothing where the
    // tap does not serve it (no http or https address, the relay not listening, or sent back to
    // the station just before: that request goes there, once).
    QUrl relayAddress(const QUrl& stream);
    // The relay's port, 0 when it could not listen.
    quint16 port() const { return m_port; }

signals:
    // The relay hands the engine `stream` (serving), or no longer does (one connection of the
    // engine or more to it).
    void Serving(const QUrl& stream, bool serving);
    // The title of `stream` changed at this point of its audio (UTF-8 or code page 932, as the
    // stream's bytes say).
    void Title(const QUrl& stream, const QString& title);
    // The relay sent the engine to the station itself: `why` is for the log.
    void Passed(const QUrl& stream, const QString& why);

private:
    std::shared_ptr<TapBook> m_book;
    std::shared_ptr<SongSpool> m_spool;
    QThread* m_thread;
    TapServer* m_server;
    quint16 m_port = 0;
    QSet<QUrl> m_told; // streams already said on stderr to be connected directly
};

} // namespace sora
