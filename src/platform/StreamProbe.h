#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>

class QObject;

namespace sora {

// What one short listen to a stream brought back, uninterpreted.
struct ProbeReply
{
    // Why no response head came. Other covers all that says nothing certain of the stream: no
    // answer in time, a connection closed early, a head that cannot be read.
    enum class Failure
    {
        None,
        Refused,
        HostNotFound,
        Other
    };
    Failure failure = Failure::None;
    bool headersArrived = false;
    int status = 0; // the status line's code, 200 for "ICY 200 OK"
    QByteArray statusLine;
    QByteArray contentType;    // as sent, lower case
    QByteArray icyName;        // raw bytes, in whatever character set the server uses
    int metaInt = 0;           // icy-metaint: audio bytes between metadata blocks, 0 for none
    QByteArray location;       // where a redirection leads, as sent
    qint64 contentLength = -1; // content-length, -1 when not sent
    int bitrate = 0;           // icy-br in kbit/s, 0 when not sent
    QByteArray audio;          // the first audio bytes, metadata blocks taken out
    QByteArray metadata;       // the first metadata block's text, padding removed; empty for none
};

// Connects to a stream as a listener does (asking for ICY metadata), reads a little of it and
// closes. Asynchronous: `done` runs later on the GUI thread, never if `context` is gone by then.
class StreamProbe
{
public:
    virtual ~StreamProbe() = default;
    virtual void probe(const QUrl& address, QObject* context,
                       std::function<void(const ProbeReply&)> done) = 0;
};

} // namespace sora
