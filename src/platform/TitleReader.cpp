#include "TitleReader.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <optional>

namespace sora {

namespace {

constexpr qint64 kMaxBytes = 256 * 1024;
constexpr int kMaxMs = 10000;
// Little kernel buffer: a server that sends its burst at once should not find room for more
// than the program reads.
constexpr int kReceiveBuffer = 16 * 1024;

struct Head
{
    int status = 0;
    QByteArray contentType;
    qint64 contentLength = -1;
    int metaInt = 0;
    int bitrate = 0;
};

Head parseHead(const QByteArray& block)
{
    Head h;
    const QList<QByteArray> lines = block.split('\n');
    // "HTTP/1.0 200 OK" or "ICY 200 OK"
    h.status = lines.value(0).trimmed().split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray key = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (key == "content-type")
            h.contentType = value.toLower();
        else if (key == "content-length")
            h.contentLength = value.toLongLong();
        else if (key == "icy-metaint")
            h.metaInt = value.toInt();
        else if (key == "icy-br")
            h.bitrate = value.split(',').value(0).toInt();
    }
    return h;
}

// One short HTTP/1.0 GET: `body` is called with the head and the body so far until it says the
// read is over; `end` once, with whether the server ended it (closed) rather than a fault.
void shortGet(const QUrl& address, const QByteArray& extraHeaders, QObject* context,
              std::function<bool(const Head&, const QByteArray&, qint64 bytes)> body,
              std::function<void(bool closed)> end)
{
    auto* socket = new QTcpSocket;
    auto* timer = new QTimer(socket);
    auto buffer = std::make_shared<QByteArray>();
    auto head = std::make_shared<std::optional<Head>>();
    auto bytes = std::make_shared<qint64>(0);
    const QPointer<QObject> guard(context);

    auto finish = [socket, guard, end](bool closed) {
        if (socket->property("finished").toBool())
            return;
        socket->setProperty("finished", true);
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
        if (guard)
            end(closed);
    };
    QObject::connect(socket, &QTcpSocket::connected, socket, [socket, address, extraHeaders] {
        socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBuffer);
        QByteArray path = address.path(QUrl::FullyEncoded).toLatin1();
        if (path.isEmpty())
            path = "/";
        if (address.hasQuery())
            path += '?' + address.query(QUrl::FullyEncoded).toLatin1();
        const QByteArray host =
            address.host(QUrl::FullyEncoded).toLatin1() +
            (address.port() > 0 ? ':' + QByteArray::number(address.port()) : QByteArray());
        socket->write("GET " + path + " HTTP/1.0\r\nHost: " + host +
                      "\r\nUser-Agent: SoraWindowEX\r\nConnection: close\r\n" + extraHeaders + "\r\n");
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer, head, bytes, body, finish] {
        const QByteArray data = socket->readAll();
        *bytes += data.size();
        buffer->append(data);
        if (!*head) {
            const qsizetype crlf = buffer->indexOf("\r\n\r\n");
            const qsizetype lf = buffer->indexOf("\n\n");
            const qsizetype cut = crlf >= 0 ? crlf : lf;
            if (cut < 0) {
                if (buffer->size() > kMaxBytes)
                    finish(false);
                return;
            }
            *head = parseHead(buffer->left(cut));
            buffer->remove(0, cut + (crlf >= 0 ? 4 : 2));
        }
        if (buffer->size() > kMaxBytes)
            return finish(false);
        if (body(**head, *buffer, *bytes))
            finish(true);
    });
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [finish](QAbstractSocket::SocketError e) {
        finish(e == QAbstractSocket::RemoteHostClosedError);
    });
    QObject::connect(timer, &QTimer::timeout, socket, [finish] { finish(false); });
    timer->setSingleShot(true);
    timer->start(kMaxMs);
    if (address.scheme() != u"http") {
        // Plain connections only: another scheme is not read.
        QTimer::singleShot(0, socket, [finish] { finish(false); });
        return;
    }
    socket->connectToHost(address.host(), static_cast<quint16>(address.port(80)));
}

} // namespace

void NetworkTitleReader::readStatus(const QUrl& address, QObject* context,
                                    std::function<void(const StatusReply&)> done)
{
    auto reply = std::make_shared<StatusReply>();
    auto found = std::make_shared<bool>(false);
    shortGet(
        address, QByteArray(), context,
        [reply, found](const Head& head, const QByteArray& body, qint64 bytes) {
            reply->bytes = bytes;
            reply->body = body;
            *found = head.status == 200;
            if (!*found)
                return true;
            reply->ok = head.contentLength >= 0 && body.size() >= head.contentLength;
            return reply->ok;
        },
        [reply, found, done](bool closed) {
            // Without a length, the server's close ends the document.
            if (closed && *found && !reply->ok)
                reply->ok = true;
            done(*reply);
        });
}

void NetworkTitleReader::readIcy(const QUrl& stream, QObject* context,
                                 std::function<void(const IcyReply&)> done)
{
    auto reply = std::make_shared<IcyReply>();
    shortGet(
        stream, QByteArrayLiteral("Icy-MetaData: 1\r\n"), context,
        [reply](const Head& head, const QByteArray& body, qint64 bytes) {
            reply->bytes = bytes;
            reply->bitrate = head.bitrate;
            reply->ok = head.status == 200;
            if (!reply->ok || head.metaInt <= 0)
                return true;
            if (body.size() <= head.metaInt)
                return false;
            const qsizetype length = static_cast<unsigned char>(body.at(head.metaInt)) * 16;
            if (body.size() < head.metaInt + 1 + length)
                return false;
            QByteArray text = body.mid(head.metaInt + 1, length);
            while (text.endsWith('\0'))
                text.chop(1);
            reply->metadata = text;
            reply->hasMetadata = true;
            return true;
        },
        [reply, done](bool) { done(*reply); });
}

} // namespace sora
