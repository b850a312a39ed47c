#include "IcyReads.h"

#include "Icy.h"

#include <QPointer>
#include <QTimer>

#include <utility>

namespace sora {

namespace {

// Enough audio to read the first Ogg page (its header and the codec's first packet).
constexpr int kAudioWanted = 4096;

// One short read. It reports once, while its context lives, and then deletes itself; a context
// that goes closes the connection at once.
class ShortRead : public QObject
{
protected:
    ShortRead(QObject* context, int maxMs, qint64 maxBytes) : m_context(context), m_maxBytes(maxBytes)
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &ShortRead::finish);
        connect(&m_reader, &IcyReader::Ended, this, [this] { ended(); });
        connect(&m_reader, &IcyReader::HeadArrived, this, [this] { head(m_reader.head()); });
        connect(&m_reader, &IcyReader::Audio, this, [this](const QByteArray& audio) {
            if (!m_finished && (audioIn(audio) || m_reader.receivedBytes() >= m_maxBytes))
                finish();
        });
        connect(&m_reader, &IcyReader::Metadata, this, [this](qint64, const QByteArray& text) {
            if (!m_finished && metadataIn(text))
                finish();
        });
        if (context)
            connect(context, &QObject::destroyed, this, [this] {
                m_context = nullptr;
                finish();
            });
        m_timer.start(maxMs);
    }

    // Later, so that even an address the reader refuses at once is answered later, as promised.
    void start(const QUrl& address)
    {
        QMetaObject::invokeMethod(
            this,
            [this, address] {
                if (!m_finished)
                    m_reader.open(address);
            },
            Qt::QueuedConnection);
    }

    virtual void head(const ProbeReply& head) = 0;
    virtual bool audioIn(const QByteArray& audio) = 0;
    virtual bool metadataIn(const QByteArray&) { return false; }
    // The connection ended before the read did.
    virtual void ended() { finish(); }
    virtual void report() = 0;

    void finish()
    {
        if (m_finished)
            return;
        m_finished = true;
        m_timer.stop();
        m_reader.close();
        deleteLater();
        if (m_context)
            report();
    }

    IcyReader m_reader;
    bool m_finished = false;

private:
    QPointer<QObject> m_context;
    QTimer m_timer;
    qint64 m_maxBytes;
};

class ProbeRun final : public ShortRead
{
public:
    ProbeRun(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done)
        : ShortRead(context, 5000, 64 * 1024), m_done(std::move(done))
    {
        m_reader.setFollowRedirections(false);
        start(address);
    }

private:
    void head(const ProbeReply& head) override
    {
        m_reply = head;
        // An error, a redirection or a page, not a stream: the head says all there is.
        if (m_reply.status != 200 || IsWebPage(m_reply.contentType))
            finish();
    }
    bool audioIn(const QByteArray& audio) override
    {
        m_reply.audio += audio;
        return enough();
    }
    bool metadataIn(const QByteArray& text) override
    {
        if (!m_block)
            m_reply.metadata = text;
        m_block = true;
        return enough();
    }
    // The first metadata block where there is one (an empty one is passed once audio follows it),
    // and some audio.
    bool enough() const
    {
        const bool blockIn = m_reply.metaInt <= 0 || m_block || m_reply.audio.size() > m_reply.metaInt;
        return blockIn && m_reply.audio.size() >= kAudioWanted;
    }
    void ended() override
    {
        if (!m_reply.headersArrived)
            m_reply.failure = m_reader.failure();
        finish();
    }
    void report() override
    {
        if (!m_reply.headersArrived && m_reply.failure == ProbeReply::Failure::None)
            m_reply.failure = ProbeReply::Failure::Other;
        std::exchange(m_done, nullptr)(m_reply);
    }

    std::function<void(const ProbeReply&)> m_done;
    ProbeReply m_reply;
    bool m_block = false;
};

// A status document: read whole, to its length or, without one, to the server's close.
class StatusRun final : public ShortRead
{
public:
    StatusRun(const QUrl& address, QObject* context, std::function<void(const StatusReply&)> done)
        : ShortRead(context, 10000, kMaxBytes), m_done(std::move(done))
    {
        m_reader.setReceiveBuffer(16 * 1024);
        start(address);
    }

private:
    static constexpr qint64 kMaxBytes = 256 * 1024;

    void head(const ProbeReply& head) override
    {
        m_found = head.status == 200;
        m_length = head.contentLength;
        if (!m_found || m_length == 0)
            finish();
    }
    bool audioIn(const QByteArray& bytes) override
    {
        m_reply.body += bytes;
        return m_length >= 0 && m_reply.body.size() >= m_length;
    }
    void ended() override
    {
        m_closed = m_reader.closedByServer();
        finish();
    }
    void report() override
    {
        m_reply.bytes = m_reader.receivedBytes();
        m_reply.ok = m_found && (m_length >= 0 ? m_reply.body.size() >= m_length : m_closed);
        std::exchange(m_done, nullptr)(m_reply);
    }

    std::function<void(const StatusReply&)> m_done;
    StatusReply m_reply;
    qint64 m_length = -1;
    bool m_found = false;
    bool m_closed = false;
};

// A stream, up to the end of its first metadata block.
class IcyRun final : public ShortRead
{
public:
    IcyRun(const QUrl& stream, QObject* context, std::function<void(const IcyReply&)> done)
        : ShortRead(context, 10000, 256 * 1024), m_done(std::move(done))
    {
        m_reader.setReceiveBuffer(16 * 1024);
        start(stream);
    }

private:
    void head(const ProbeReply& head) override
    {
        m_reply.bitrate = head.bitrate;
        m_reply.ok = head.status == 200;
        m_metaInt = head.metaInt;
        if (!m_reply.ok || m_metaInt <= 0)
            finish();
    }
    bool audioIn(const QByteArray& audio) override
    {
        m_audio += audio.size();
        // Audio past the first block: that block was empty.
        m_reply.hasMetadata = m_audio > m_metaInt;
        return m_reply.hasMetadata;
    }
    bool metadataIn(const QByteArray& text) override
    {
        m_reply.metadata = text;
        m_reply.hasMetadata = true;
        return true;
    }
    void report() override
    {
        m_reply.bytes = m_reader.receivedBytes();
        std::exchange(m_done, nullptr)(m_reply);
    }

    std::function<void(const IcyReply&)> m_done;
    IcyReply m_reply;
    qint64 m_audio = 0;
    int m_metaInt = 0;
};

} // namespace

void IcyStreamProbe::probe(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done)
{
    new ProbeRun(address, context, std::move(done));
}

void IcyTitleReader::readStatus(const QUrl& address, QObject* context, std::function<void(const StatusReply&)> done)
{
    new StatusRun(address, context, std::move(done));
}

void IcyTitleReader::readIcy(const QUrl& stream, QObject* context, std::function<void(const IcyReply&)> done)
{
    new IcyRun(stream, context, std::move(done));
}

} // namespace sora
