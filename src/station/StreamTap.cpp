#include "StreamTap.h"

#include "Icy.h"
#include "SongSpool.h"

#include <QHostAddress>
#include <QMutexLocker>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace sora {

namespace {

constexpr qsizetype kMaxRequest = 16 * 1024;
constexpr int kRequestMs = 10000;
// The engine takes a live stream as it plays: beyond this much unsent, the station waits.
constexpr qint64 kEngineBacklog = 1024 * 1024;

QByteArray newToken()
{
    quint64 words[3];
    QRandomGenerator::system()->fillRange(words);
    return QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex();
}

} // namespace

// The relay's server, on the tap's thread: every connection of the engine is a session of its own.
class TapServer final : public QObject
{
public:
    TapServer(std::shared_ptr<TapBook> book, std::shared_ptr<SongSpool> spool, StreamTap* tap)
        : m_book(std::move(book)), m_spool(std::move(spool)), m_tap(tap)
    {
    }

    quint16 listen()
    {
        m_server = new QTcpServer(this);
        if (!m_server->listen(QHostAddress::LocalHost, 0))
            return 0;
        connect(m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server->nextPendingConnection())
                session(socket);
        });
        return m_server->serverPort();
    }

private:
    // One connection of the engine; it goes with its socket's close.
    struct Session final : QObject
    {
        explicit Session(QObject* parent, QTcpSocket* socket) : QObject(parent), engine(socket)
        {
            engine->setParent(this);
        }
        QTcpSocket* engine;
        IcyReader* station = nullptr;
        bool ended = false;
        QByteArray request;
        QUrl stream;
        bool answered = false; // the engine has its answer's head
        bool serving = false;
        int spooled = 0; // the spool's number for this connection
        QString title;
    };

    void session(QTcpSocket* engine)
    {
        auto* s = new Session(this, engine);
        auto* timer = new QTimer(s);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, s, [this, s] { refuse(s, "408 Request Timeout"); });
        timer->start(kRequestMs);
        connect(engine, &QTcpSocket::readyRead, s, [this, s, timer] {
            if (!s->stream.isEmpty()) {
                s->engine->readAll(); // nothing more is asked on this connection
                return;
            }
            s->request += s->engine->readAll();
            const qsizetype end = s->request.indexOf("\r\n\r\n");
            if (end < 0) {
                if (s->request.size() > kMaxRequest)
                    refuse(s, "431 Request Header Fields Too Large");
                return;
            }
            timer->stop();
            requested(s, s->request.left(end));
        });
        connect(engine, &QTcpSocket::disconnected, s, [this, s] { end(s); });
        connect(engine, &QTcpSocket::errorOccurred, s, [this, s] { end(s); });
        connect(engine, &QTcpSocket::bytesWritten, s, [s] {
            if (s->station && s->engine->bytesToWrite() < kEngineBacklog / 4)
                s->station->setPaused(false);
        });
    }

    void requested(Session* s, const QByteArray& request)
    {
        // "GET /<token> HTTP/1.1"; the engine sends nothing else worth reading (its Range asks
        // from the start, and a live stream has no other).
        const QList<QByteArray> line = request.left(request.indexOf('\r')).split(' ');
        if (line.size() != 3 || line[0] != "GET")
            return refuse(s, "405 Method Not Allowed");
        QByteArray token = line[1].mid(1);
        token.truncate(token.indexOf('?') < 0 ? token.size() : token.indexOf('?'));
        {
            QMutexLocker lock(&m_book->mutex);
            s->stream = m_book->streams.value(token);
        }
        if (s->stream.isEmpty())
            return refuse(s, "403 Forbidden");

        s->station = new IcyReader(s);
        connect(s->station, &IcyReader::HeadArrived, s, [this, s] {
            const ProbeReply& head = s->station->head();
            if (head.status != 200 || IsWebPage(head.contentType))
                return pass(s, QStringLiteral("the station answered ") + QString::fromLatin1(head.statusLine));
            QByteArray answer = "HTTP/1.1 200 OK\r\n";
            if (!head.contentType.isEmpty())
                answer += "Content-Type: " + head.contentType + "\r\n";
            answer += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
            s->engine->write(answer);
            s->answered = true;
            s->serving = true;
            if (m_serving[s->stream]++ == 0)
                emit m_tap->Serving(s->stream, true);
            if (m_spool)
                s->spooled = m_spool->begin(s->stream, head.contentType, IcyText(head.icyName));
        });
        connect(s->station, &IcyReader::Audio, s, [this, s](const QByteArray& audio) {
            s->engine->write(audio);
            if (s->spooled)
                m_spool->audio(s->spooled, audio);
            if (s->engine->bytesToWrite() > kEngineBacklog)
                s->station->setPaused(true);
        });
        connect(s->station, &IcyReader::Metadata, s, [this, s](qint64, const QByteArray& text) {
            const std::optional<QString> title = IcyStreamTitleText(text);
            if (!title || *title == s->title)
                return;
            s->title = *title;
            if (s->spooled)
                m_spool->title(s->spooled, *title);
            emit m_tap->Title(s->stream, *title);
        });
        connect(s->station, &IcyReader::Ended, s, [this, s](const QString& why) {
            if (!s->answered)
                return pass(s, why);
            // A drop, as the engine would have seen it of the station itself.
            s->engine->disconnectFromHost();
        });
        s->station->open(s->stream);
    }

    void refuse(Session* s, const QByteArray& status)
    {
        s->engine->write("HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        s->engine->disconnectFromHost();
    }

    // Sends the engine to the station itself, which then behaves for it as it always did.
    void pass(Session* s, const QString& why)
    {
        {
            QMutexLocker lock(&m_book->mutex);
            m_book->direct.insert(s->stream);
        }
        s->answered = true;
        s->station->close();
        s->engine->write("HTTP/1.1 307 Temporary Redirect\r\nLocation: " + s->stream.toEncoded() +
                         "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        s->engine->disconnectFromHost();
        emit m_tap->Passed(s->stream, why);
    }

    void end(Session* s)
    {
        if (s->ended)
            return;
        s->ended = true;
        if (s->station)
            s->station->close();
        if (s->spooled)
            m_spool->end(s->spooled);
        if (s->serving && --m_serving[s->stream] == 0) {
            m_serving.remove(s->stream);
            emit m_tap->Serving(s->stream, false);
        }
        s->deleteLater();
    }

    std::shared_ptr<TapBook> m_book;
    std::shared_ptr<SongSpool> m_spool;
    StreamTap* m_tap;
    QTcpServer* m_server = nullptr;
    QHash<QUrl, int> m_serving; // sessions handing each stream to the engine
};

StreamTap::StreamTap(std::shared_ptr<SongSpool> spool, QObject* parent)
    : QObject(parent), m_book(std::make_shared<TapBook>()), m_spool(std::move(spool)), m_thread(new QThread(this)),
      m_server(new TapServer(m_book, m_spool, this))
{
    m_thread->setObjectName(QStringLiteral("StreamTap"));
    m_server->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_server, &QObject::deleteLater);
    m_thread->start();
    QMetaObject::invokeMethod(m_server, [this] { m_port = m_server->listen(); }, Qt::BlockingQueuedConnection);
    if (m_port == 0)
        std::fprintf(stderr, "sorawindowex: the stream tap cannot listen; pages connect to stations directly\n");
    connect(this, &StreamTap::Passed, this, [this](const QUrl& stream, const QString& why) {
        if (m_told.contains(stream))
            return;
        m_told.insert(stream);
        std::fprintf(stderr, "sorawindowex: the stream tap cannot serve %s (%s); the page connects to it directly\n",
                     stream.toEncoded().constData(), why.toLocal8Bit().constData());
    });
}

StreamTap::~StreamTap()
{
    m_thread->quit();
    m_thread->wait();
}

QUrl StreamTap::relayAddress(const QUrl& stream)
{
    const QString scheme = stream.scheme().toLower();
    if (m_port == 0 || (scheme != u"http" && scheme != u"https") || stream.host().isEmpty())
        return QUrl();
    // The relay's own address, as the engine asks it after the redirection.
    if (QHostAddress(stream.host()).isLoopback() && stream.port() == m_port)
        return QUrl();
    QMutexLocker lock(&m_book->mutex);
    if (m_book->direct.remove(stream))
        return QUrl();
    QByteArray& token = m_book->tokens[stream];
    if (token.isEmpty()) {
        token = newToken();
        m_book->streams.insert(token, stream);
    }
    return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(QString::fromLatin1(token)));
}

} // namespace sora
