#include "StreamProbe.h"

#include <QList>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

namespace sora {

namespace {

constexpr int kMaxBytes = 64 * 1024;
constexpr int kMaxMs = 5000;
// Enough audio to read the first Ogg page (its header and the codec's first packet).
constexpr int kAudioWanted = 4096;

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

// One listen to one stream. It reports once, to `done` while its context lives, and then
// deletes itself.
class ProbeRun final : public QObject
{
public:
    ProbeRun(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done)
        : m_address(address), m_context(context), m_done(std::move(done))
    {
        connect(&m_socket, &QTcpSocket::connected, this, &ProbeRun::sendRequest);
        connect(&m_socket, &QTcpSocket::readyRead, this, &ProbeRun::readReply);
        connect(&m_socket, &QTcpSocket::errorOccurred, this, &ProbeRun::failed);
        connect(&m_timer, &QTimer::timeout, this, &ProbeRun::finish);
        // Nobody left to tell: the connection closes at once.
        if (context)
            connect(context, &QObject::destroyed, this, &ProbeRun::abandon);
        m_timer.setSingleShot(true);
        m_timer.start(kMaxMs);
        m_socket.connectToHost(address.host(), static_cast<quint16>(address.port(80)));
    }

private:
    void sendRequest() { m_socket.write(GetRequest(m_address, "Icy-MetaData: 1\r\nAccept: */*\r\n")); }

    void readReply()
    {
        if (m_reply.headersArrived) {
            m_reply.body += m_socket.readAll();
        } else {
            m_head += m_socket.readAll();
            std::optional<ProbeReply> head = ParseResponseHead(m_head);
            if (!head) {
                // No head this long is no response anyone could read.
                if (m_head.size() > kMaxBytes)
                    finish();
                return;
            }
            m_reply = std::move(*head);
            m_head.clear();
            // An error, a redirection or a page, not a stream: the head says all there is.
            if (m_reply.status != 200 || IsWebPage(m_reply.contentType))
                return finish();
        }
        if (m_reply.body.size() > kMaxBytes)
            m_reply.body.truncate(kMaxBytes);
        if (enough(m_reply))
            finish();
    }

    void failed(QAbstractSocket::SocketError error)
    {
        if (!m_reply.headersArrived)
            m_reply.failure = error == QAbstractSocket::ConnectionRefusedError ? ProbeReply::Failure::Refused
                              : error == QAbstractSocket::HostNotFoundError
                                  ? ProbeReply::Failure::HostNotFound
                                  : ProbeReply::Failure::Other;
        finish();
    }

    void abandon()
    {
        m_done = nullptr;
        finish();
    }

    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_timer.stop();
        m_socket.disconnect(this);
        m_socket.abort();
        deleteLater();
        if (!m_reply.headersArrived && m_reply.failure == ProbeReply::Failure::None)
            m_reply.failure = ProbeReply::Failure::Other;
        if (m_context && m_done)
            std::exchange(m_done, nullptr)(m_reply);
    }

    const QUrl m_address;
    QPointer<QObject> m_context;
    std::function<void(const ProbeReply&)> m_done;
    QTcpSocket m_socket;
    QTimer m_timer;
    QByteArray m_head; // what came before the head was whole
    ProbeReply m_reply;
    bool m_finished = false;
};

} // namespace

std::optional<ProbeReply> ParseResponseHead(const QByteArray& received)
{
    // The first blank line ends the head, whichever line ending the server uses (some mix them).
    qsizetype end = -1;
    qsizetype bodyStart = 0;
    for (qsizetype lineStart = 0, nl; (nl = received.indexOf('\n', lineStart)) >= 0; lineStart = nl + 1) {
        if (nl == lineStart || (nl == lineStart + 1 && received.at(lineStart) == '\r')) {
            end = lineStart;
            bodyStart = nl + 1;
            break;
        }
    }
    if (end < 0)
        return std::nullopt;

    ProbeReply reply;
    reply.headersArrived = true;
    reply.body = received.mid(bodyStart);
    const QList<QByteArray> lines = received.left(end).split('\n');
    reply.statusLine = lines.value(0).trimmed();
    // "HTTP/1.1 200 OK" or "ICY 200 OK"
    reply.status = reply.statusLine.simplified().split(' ').value(1).toInt();

    // Fields in order, a folded line (one that starts with a blank) joined to the one before.
    QList<std::pair<QByteArray, QByteArray>> fields;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        if ((line.startsWith(' ') || line.startsWith('\t')) && !fields.isEmpty()) {
            QByteArray& value = fields.last().second;
            value = (value + ' ' + line.trimmed()).trimmed();
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            fields.append({line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed()});
    }
    // The first of each field counts.
    for (auto it = fields.crbegin(); it != fields.crend(); ++it) {
        const auto& [key, value] = *it;
        if (key == "content-type")
            reply.contentType = value.toLower();
        else if (key == "icy-name")
            reply.icyName = value;
        else if (key == "icy-metaint")
            reply.metaInt = qMax(0, value.toInt());
        else if (key == "location")
            reply.location = value;
        else if (key == "content-length")
            reply.contentLength = value.toLongLong();
        else if (key == "icy-br")
            reply.bitrate = value.split(',').value(0).toInt();
    }
    return reply;
}

QByteArray GetRequest(const QUrl& address, const QByteArray& headers)
{
    QByteArray path = address.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (address.hasQuery())
        path += '?' + address.query(QUrl::FullyEncoded).toLatin1();
    const QByteArray host = address.host(QUrl::FullyEncoded).toLatin1() +
                            (address.port() > 0 ? ':' + QByteArray::number(address.port()) : QByteArray());
    return "GET " + path + " HTTP/1.0\r\nHost: " + host + "\r\nUser-Agent: SoraWindowEX\r\n" + headers +
           "\r\n";
}

bool IsWebPage(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').value(0).trimmed().toLower();
    return type == "text/html" || type == "application/xhtml+xml";
}

void TcpStreamProbe::probe(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done)
{
    new ProbeRun(address, context, std::move(done));
}

} // namespace sora
