#include "TitleReader.h"

#include "StreamProbe.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

namespace sora {

namespace {

constexpr qint64 kMaxBytes = 256 * 1024;
constexpr int kMaxMs = 10000;
// Little kernel buffer: a server that sends its burst at once should not find room for more
// than the program reads.
constexpr int kReceiveBuffer = 16 * 1024;

// One short HTTP/1.0 GET: `body` is called with the head and the body so far until it says the
// read is over; `end` once, with whether the server ended it (closed) rather than a fault.
void shortGet(const QUrl& address, const QByteArray& extraHeaders, QObject* context,
              std::function<bool(const ProbeReply&, const QByteArray&, qint64 bytes)> body,
              std::function<void(bool closed)> end)
{
    auto* socket = new QTcpSocket;
    auto* timer = new QTimer(socket);
    auto buffer = std::make_shared<QByteArray>();
    auto head = std::make_shared<std::optional<ProbeReply>>();
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
        socket->write(GetRequest(address, "Connection: close\r\n" + extraHeaders));
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, buffer, head, bytes, body, finish] {
        const QByteArray data = socket->readAll();
        *bytes += data.size();
        buffer->append(data);
        if (!*head) {
            *head = ParseResponseHead(*buffer);
            if (!*head) {
                if (buffer->size() > kMaxBytes)
                    finish(false);
                return;
            }
            *buffer = std::exchange((*head)->body, QByteArray());
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
        [reply, found](const ProbeReply& head, const QByteArray& body, qint64 bytes) {
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
        [reply](const ProbeReply& head, const QByteArray& body, qint64 bytes) {
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
