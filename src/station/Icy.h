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
    // A listener that cannot take more for now: nothing is read (the server is held back by the
    // connection itself) until it is resumed.
    void setPaused(bool paused);
    // The last answer's head; its body is not kept.
    const ProbeReply& head() const { return m_head; }
    // Where the stream was found, once redirections are followed.
    QUrl address() const { return m_address; }

signals:
    // A head that is no redirection came: a stream where head().status is 200.
    void HeadArrived();
    void Audio(const QByteArray& audio);
    void Metadata(qint64 at, const QByteArray& text);
    // The connection is over, by the server or a fault; `why` is for a log line. Not after close().
    void Ended(const QString& why);

private:
    void connectTo(const QUrl& address);
    void received();
    void fail(const QString& why);

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
};

} // namespace sora
