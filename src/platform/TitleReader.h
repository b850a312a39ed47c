#pragma once

#include <QByteArray>
#include <QUrl>

#include <functional>

class QObject;

namespace sora {

// A server's status document, as read.
struct StatusReply
{
    bool ok = false; // a 200 answer came whole
    QByteArray body;
    qint64 bytes = 0; // received, headers included
};

// The first metadata block of a stream, as read.
struct IcyReply
{
    bool ok = false;          // the headers of an audio stream came
    bool hasMetadata = false; // the stream sends metadata blocks, and the first one came
    QByteArray metadata;      // its text, raw bytes, padding removed
    int bitrate = 0;          // icy-br, kbit/s; 0 when not told
    qint64 bytes = 0;         // received, headers included
};

// What the program reads of a station to learn its current title. Each read is short and ends
// by itself; `done` runs later on the GUI thread, never if `context` is gone by then.
class TitleReader
{
public:
    virtual ~TitleReader() = default;
    // One plain GET of a status document (Icecast's /status-json.xsl).
    virtual void readStatus(const QUrl& address, QObject* context,
                            std::function<void(const StatusReply&)> done) = 0;
    // Connects to the stream asking for metadata, reads up to the end of the first metadata
    // block and closes.
    virtual void readIcy(const QUrl& stream, QObject* context, std::function<void(const IcyReply&)> done) = 0;
};

} // namespace sora
