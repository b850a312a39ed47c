#pragma once

#include "platform/StreamProbe.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

class QSslSocket;
class QTimer;

namespace sora {

// A response head read off the start of what came: the status line and the fields up to the first
// blank line (CR LF or bare LF, as servers differ), and the bytes after it.
struct ResponseHead
{
    ProbeReply reply; // headersArrived set, no audio yet
    QByteArray after;
};
// Nothing while that blank line has not arrived.
std::optional<ResponseHead> ParseResponseHead(const QByteArray& received);

// An HTTP/1.0 GET of `address` as the program sends it: `headers` are further lines, each ending
// in CR LF.
QByteArray GetRequest(const QUrl& address, const QByteArray& headers);

// Whether a content type names a web page, which no stream server sends for a stream: the check
// before a recording refuses it, and the tap leaves it to the engine.
bool IsWebPage(const QByteArray& contentType);

// The text of a metadata block's StreamTitle, decoded by itself: UTF-8 where its bytes are UTF-8
// (ASCII included), else code page 932, as old Japanese encoders send. Every title is judged on
// its own, as an encoder may send the two by turns. Nothing when the block has no StreamTitle.
std::optional<QString> IcyStreamTitleText(const QByteArray& metadata);

// A title as it is meant to read: some stream servers keep its characters beyond ASCII as XML
// character references ("&#27703;"), in their status document and in the stream alike, and the
// recorder names its files with them as sent.
QString DecodedTitle(const QString& text);

// Whether bytes are valid UTF-8 (ASCII and nothing included).
bool IsUtf8(const QByteArray& bytes);
// Text a stream server sends (a title, a station's name): UTF-8 where its bytes are UTF-8, else
// code page 932.
QString IcyText(const QByteArray& raw);

// A stream's body as it arrives, split into its audio and its metadata blocks: `metaInt` audio
// bytes, one length byte (times 16), the block, and again. Reads may cut anywhere, the length
// byte and a block included.
class IcyBlocks
{
public:
    struct Block
    {
        qint64 at = 0;   // audio bytes of the stream before the block
        QByteArray text; // padding removed; empty blocks are not reported
        bool operator==(const Block&) const = default;
    };
    struct Split
    {
        QByteArray audio;
        QList<Block> blocks;
    };

    // 0 (or less) for a stream without metadata: everything is audio.
    explicit IcyBlocks(int metaInt) : m_metaInt(metaInt > 0 ? metaInt : 0), m_left(m_metaInt) {}
    Split feed(const QByteArray& data);
    // Audio bytes handed out so far.
    qint64 audioBytes() const { return m_audio; }

private:
    int m_metaInt;
    qint64 m_left;           // audio bytes before the next length byte, while in audio
    qint64 m_blockLeft = -1; // bytes of the block still to come, -1 while in audio
    QByteArray m_block;
    qint64 m_audio = 0;
};

// One listener's connection to a station's stream, asking for metadata: it follows up to five
// redirections (http and https, TLS from the program), reads the answer's head and hands on the
// audio and the metadata blocks as they come. A server without a head 30 s into a connection is
// given up on (Ended). Works on the thread it lives on.
class IcyReader final : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxRedirections = 5;

    explicit IcyReader(QObject* parent = nullptr);

    void open(const QUrl& stream);
    void close();
    // Off: a redirection is reported as any other head, for the caller to judge.
    void setFollowRedirections(bool follow) { m_follow = follow; }
    // A small kernel buffer for a short read: a server's burst should not find room for much more
    // than is read. 0 leaves the system's.
    void setReceiveBuffer(int bytes) { m_receiveBuffer = bytes; }
    // A listener that cannot take more for now: nothing is read (the server is held back by the
    // connection itself) until it is resumed.
    void setPaused(bool paused);
    // The last answer's head; its body is not kept.
    const ProbeReply& head() const { return m_head; }
    // Where the stream was found, once redirections are followed.
    QUrl address() const { return m_address; }
    // Bytes received, heads included, over every connection since open().
    qint64 receivedBytes() const { return m_received; }
    // Why the connection ended, once Ended: no server there, no such host, or Other.
    ProbeReply::Failure failure() const { return m_failure; }
    // Whether it was the server that closed it.
    bool closedByServer() const { return m_closedByServer; }

signals:
    // A head came that is not followed: a stream where head().status is 200.
    void HeadArrived();
    void Audio(const QByteArray& audio);
    void Metadata(qint64 at, const QByteArray& text);
    // The connection is over, by the server or a fault; `why` is for a log line. Not after close().
    void Ended(const QString& why);

private:
    void connectTo(const QUrl& address);
    void received();
    void fail(const QString& why, int socketError = -1);

    QSslSocket* m_socket;  // plain TCP for http, TLS for https
    QTimer* m_answerTimer; // from each connection's start until its answer's head
    QUrl m_address;
    int m_redirections = 0;
    QByteArray m_buffer; // what came before the head was whole
    ProbeReply m_head;
    bool m_inHead = true;
    std::optional<IcyBlocks> m_blocks;
    bool m_closed = false;
    bool m_paused = false;
    bool m_tls = false;
    bool m_follow = true;
    int m_receiveBuffer = 0;
    qint64 m_received = 0;
    ProbeReply::Failure m_failure = ProbeReply::Failure::None;
    bool m_closedByServer = false;
};

} // namespace sora
