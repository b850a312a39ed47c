#include "Icy.h"

#include "app/Cp932.h"

#include <QList>
#include <QRegularExpression>
#include <QSslSocket>
#include <QStringDecoder>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace sora {

namespace {

// No head this long is one anybody could read.
constexpr qsizetype kMaxHead = 64 * 1024;
// What the server may send ahead while the listener takes nothing.
constexpr qint64 kPausedBuffer = 64 * 1024;
// A server that takes the connection but never answers (a stalled TLS handshake, a head that never
// comes) is given up on, as a browser gives up on a handshake, rather than waited for forever.
constexpr int kAnswerMs = 30000;

bool isRedirection(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

std::optional<ResponseHead> ParseResponseHead(const QByteArray& received)
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

    ResponseHead head{ProbeReply(), received.mid(bodyStart)};
    ProbeReply& reply = head.reply;
    reply.headersArrived = true;
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
    return head;
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

bool IsUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    Q_UNUSED(text)
    return !decoder.hasError();
}

QString DecodedTitle(const QString& text)
{
    static const QRegularExpression reference(QStringLiteral("&#(?:([0-9]{1,7})|[xX]([0-9a-fA-F]{1,6}));"));
    QString out;
    qsizetype last = 0;
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        bool ok = false;
        const uint code = m.hasCaptured(1) ? m.captured(1).toUInt(&ok) : m.captured(2).toUInt(&ok, 16);
        if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            continue;
        out += QStringView(text).mid(last, m.capturedStart() - last);
        const char32_t c = code;
        out += QString::fromUcs4(&c, 1);
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out.trimmed();
}

std::optional<QString> IcyStreamTitleText(const QByteArray& metadata)
{
    static const QByteArray key = "StreamTitle='";
    const qsizetype start = metadata.indexOf(key);
    if (start < 0)
        return std::nullopt;
    const qsizetype from = start + key.size();
    // The title may hold quotes of its own: it ends at the quote before the next field.
    qsizetype end = metadata.indexOf("';", from);
    if (end < 0)
        end = metadata.lastIndexOf('\'');
    if (end < from)
        end = metadata.size();
    return IcyText(metadata.mid(from, end - from));
}

QString IcyText(const QByteArray& raw)
{
    return IsUtf8(raw) ? QString::fromUtf8(raw) : cp932::decode(raw);
}

IcyBlocks::Split IcyBlocks::feed(const QByteArray& data)
{
    Split out;
    if (m_metaInt == 0) {
        m_audio += data.size();
        out.audio = data;
        return out;
    }
    qsizetype i = 0;
    while (i < data.size()) {
        if (m_blockLeft < 0) {
            if (m_left > 0) {
                const qsizetype n = std::min<qint64>(m_left, data.size() - i);
                out.audio += QByteArrayView(data).sliced(i, n);
                m_left -= n;
                m_audio += n;
                i += n;
                continue;
            }
            // The length byte: sixteens of bytes, none for "no change".
            m_blockLeft = static_cast<unsigned char>(data.at(i++)) * 16;
            m_block.clear();
        } else {
            const qsizetype n = std::min<qint64>(m_blockLeft, data.size() - i);
            m_block += QByteArrayView(data).sliced(i, n);
            m_blockLeft -= n;
            i += n;
        }
        if (m_blockLeft == 0) {
            while (m_block.endsWith('\0'))
                m_block.chop(1);
            if (!m_block.isEmpty())
                out.blocks.append({m_audio, std::exchange(m_block, QByteArray())});
            m_blockLeft = -1;
            m_left = m_metaInt;
        }
    }
    return out;
}

IcyReader::IcyReader(QObject* parent)
    : QObject(parent), m_socket(new QSslSocket(this)), m_answerTimer(new QTimer(this))
{
    m_answerTimer->setSingleShot(true);
    m_answerTimer->setInterval(kAnswerMs);
    connect(m_answerTimer, &QTimer::timeout, this, [this] { fail(QStringLiteral("no answer in 30 s")); });
    const auto send = [this] {
        m_socket->write(GetRequest(m_address, "Icy-MetaData: 1\r\nAccept: */*\r\n"));
    };
    connect(m_socket, &QSslSocket::connected, this, [this, send] {
        if (m_receiveBuffer > 0)
            m_socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, m_receiveBuffer);
        if (!m_tls)
            send();
    });
    connect(m_socket, &QSslSocket::encrypted, this, send);
    connect(m_socket, &QSslSocket::readyRead, this, &IcyReader::received);
    connect(m_socket, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // What came with the close is the stream's last.
        if (error == QAbstractSocket::RemoteHostClosedError && !m_paused)
            received();
        fail(error == QAbstractSocket::RemoteHostClosedError ? QStringLiteral("the server closed the stream")
                                                             : m_socket->errorString(),
             error);
    });
}

void IcyReader::open(const QUrl& stream)
{
    m_redirections = 0;
    m_closed = false;
    m_received = 0;
    m_failure = ProbeReply::Failure::None;
    m_closedByServer = false;
    connectTo(stream);
}

void IcyReader::connectTo(const QUrl& address)
{
    m_address = address;
    m_buffer.clear();
    m_head = ProbeReply();
    m_inHead = true;
    m_blocks.reset();
    m_socket->abort();
    m_answerTimer->start();
    const QString scheme = address.scheme().toLower();
    m_tls = scheme == u"https";
    if (m_tls)
        m_socket->connectToHostEncrypted(address.host(), static_cast<quint16>(address.port(443)));
    else if (scheme == u"http")
        m_socket->connectToHost(address.host(), static_cast<quint16>(address.port(80)));
    else
        fail(QStringLiteral("no stream address: ") + address.toString());
}

void IcyReader::close()
{
    m_closed = true;
    m_answerTimer->stop();
    m_socket->abort();
}

void IcyReader::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    m_socket->setReadBufferSize(paused ? kPausedBuffer : 0);
    if (!paused && m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &IcyReader::received, Qt::QueuedConnection);
}

void IcyReader::fail(const QString& why, int socketError)
{
    if (m_closed)
        return;
    m_closed = true;
    m_failure = socketError == QAbstractSocket::ConnectionRefusedError ? ProbeReply::Failure::Refused
                : socketError == QAbstractSocket::HostNotFoundError    ? ProbeReply::Failure::HostNotFound
                                                                       : ProbeReply::Failure::Other;
    m_closedByServer = socketError == QAbstractSocket::RemoteHostClosedError;
    m_answerTimer->stop();
    m_socket->abort();
    emit Ended(why);
}

void IcyReader::received()
{
    if (m_closed || m_paused)
        return;
    QByteArray data = m_socket->readAll();
    m_received += data.size();
    if (m_inHead) {
        m_buffer += data;
        std::optional<ResponseHead> head = ParseResponseHead(m_buffer);
        if (!head) {
            if (m_buffer.size() > kMaxHead)
                fail(QStringLiteral("no answer head"));
            return;
        }
        m_answerTimer->stop();
        m_head = std::move(head->reply);
        data = std::move(head->after);
        m_buffer.clear();
        m_inHead = false;
        if (m_follow && isRedirection(m_head.status) && !m_head.location.isEmpty()) {
            const QUrl next = m_address.resolved(QUrl::fromEncoded(m_head.location));
            const QString scheme = next.scheme().toLower();
            if (++m_redirections > kMaxRedirections || (scheme != u"http" && scheme != u"https"))
                return fail(QStringLiteral("redirected too often or away from http: ") + next.toString());
            // Not from inside the socket's own signal.
            QMetaObject::invokeMethod(
                this,
                [this, next] {
                    if (!m_closed)
                        connectTo(next);
                },
                Qt::QueuedConnection);
            return;
        }
        emit HeadArrived();
        if (m_closed || m_head.status != 200)
            return;
        m_blocks.emplace(m_head.metaInt);
    }
    const qint64 base = m_blocks->audioBytes();
    const IcyBlocks::Split split = m_blocks->feed(data);
    // Each block between the audio before it and the audio after it, so a title is told at its byte.
    qsizetype pos = 0;
    for (const IcyBlocks::Block& block : split.blocks) {
        const qsizetype n = block.at - base - pos;
        if (n > 0)
            emit Audio(split.audio.mid(pos, n));
        pos += n;
        if (m_closed)
            return;
        emit Metadata(block.at, block.text);
        if (m_closed)
            return;
    }
    if (pos < split.audio.size())
        emit Audio(split.audio.mid(pos));
}

} // namespace sora
