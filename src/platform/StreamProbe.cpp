#include "StreamProbe.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace sora {

namespace {

constexpr int kMaxBytes = 64 * 1024;
constexpr int kMaxMs = 5000;
// Enough audio to read the first Ogg page (its header and the codec's first packet).
constexpr int kAudioWanted = 4096;

// Parses the header block (status line and fields, CR LF separated) into `reply`.
void readHeaders(const QByteArray& block, ProbeReply& reply)
{
    const QList<QByteArray> lines = block.split('\n');
    reply.statusLine = lines.value(0).trimmed();
    // "HTTP/1.0 200 OK" or "ICY 200 OK"
    reply.status = reply.statusLine.split(' ').value(1).toInt();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray key = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (key == "content-type")
            reply.contentType = value.toLower();
        else if (key == "icy-name")
            reply.icyName = value;
        else if (key == "icy-metaint")
            reply.metaInt = value.toInt();
    }
}

// Whether the body holds what the check needs: the first metadata block where there is one,
// and some audio.
bool enough(const ProbeReply& reply)
{
    const qsizetype size = reply.body.size();
    if (size >= kMaxBytes)
        return true;
    if (reply.metaInt <= 0)
        return size >= kAudioWanted;
    if (size <= reply.metaInt)
        return false;
    const qsizetype blockEnd =
        reply.metaInt + 1 + static_cast<unsigned char>(reply.body.at(reply.metaInt)) * 16;
    return size >= blockEnd &&
           (size - (blockEnd - reply.metaInt) >= kAudioWanted || reply.metaInt >= kAudioWanted);
}

QString socketError(QAbstractSocket::SocketError error, const QString& text)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("放送のサーバーに接続を拒否されました。");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("放送のサーバーが見つかりません。");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("放送のサーバーに到達できません。");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("放送のサーバーから応答がありません。");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("放送のサーバーが応答せずに接続を閉じました。");
    default:
        return QStringLiteral("放送のサーバーに接続できません（") + text + QStringLiteral("）。");
    }
}

} // namespace

void TcpStreamProbe::probe(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done)
{
    auto* socket = new QTcpSocket;
    auto* timer = new QTimer(socket);
    auto reply = std::make_shared<ProbeReply>();
    auto headerBuffer = std::make_shared<QByteArray>();
    QPointer<QObject> guard(context);

    auto finish = [socket, reply, guard, done](const QString& error) {
        if (socket->property("finished").toBool())
            return;
        socket->setProperty("finished", true);
        socket->disconnect();
        socket->abort();
        socket->deleteLater();
        if (!reply->headersArrived && reply->error.isEmpty())
            reply->error = error;
        if (guard)
            done(*reply);
    };

    QObject::connect(socket, &QTcpSocket::connected, socket, [socket, address] {
        QByteArray path = address.path(QUrl::FullyEncoded).toLatin1();
        if (path.isEmpty())
            path = "/";
        if (address.hasQuery())
            path += '?' + address.query(QUrl::FullyEncoded).toLatin1();
        const QByteArray host =
            address.host(QUrl::FullyEncoded).toLatin1() +
            (address.port() > 0 ? ':' + QByteArray::number(address.port()) : QByteArray());
        socket->write("GET " + path + " HTTP/1.0\r\nHost: " + host +
                      "\r\nUser-Agent: SoraWindowEX\r\nIcy-MetaData: 1\r\nAccept: */*\r\n\r\n");
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, reply, headerBuffer, finish] {
        const QByteArray data = socket->readAll();
        if (!reply->headersArrived) {
            headerBuffer->append(data);
            const qsizetype end = headerBuffer->indexOf("\r\n\r\n");
            const qsizetype endLf = headerBuffer->indexOf("\n\n");
            const qsizetype cut = end >= 0 ? end : endLf;
            if (cut < 0) {
                if (headerBuffer->size() > kMaxBytes)
                    finish(QStringLiteral("放送のサーバーの応答を読み取れません。"));
                return;
            }
            readHeaders(headerBuffer->left(cut), *reply);
            reply->headersArrived = true;
            reply->body = headerBuffer->mid(cut + (end >= 0 ? 4 : 2));
            headerBuffer->clear();
            // An error or a page, not a stream: the headers say all there is.
            const bool audio = reply->contentType.isEmpty() || reply->contentType.startsWith("audio/") ||
                               reply->contentType.startsWith("application/ogg");
            if (reply->status != 200 || !audio)
                return finish(QString());
        } else {
            reply->body.append(data);
        }
        if (reply->body.size() > kMaxBytes)
            reply->body.truncate(kMaxBytes);
        if (enough(*reply))
            finish(QString());
    });
    QObject::connect(
        socket, &QTcpSocket::errorOccurred, socket,
        [socket, finish](QAbstractSocket::SocketError e) { finish(socketError(e, socket->errorString())); });
    QObject::connect(timer, &QTimer::timeout, socket,
                     [finish] { finish(QStringLiteral("放送のサーバーから応答がありません。")); });
    timer->setSingleShot(true);
    timer->start(kMaxMs);
    const int port = address.port(80);
    socket->connectToHost(address.host(), static_cast<quint16>(port));
}

} // namespace sora
