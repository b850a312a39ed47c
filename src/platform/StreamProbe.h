#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

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
    QByteArray body;           // the first bytes after the headers, metadata blocks included
};

// The response head at the start of `received`: the status line and the fields up to the first
// blank line (CR LF or bare LF, as servers differ), with the bytes after it as the body. Nothing
// while that blank line has not arrived.
std::optional<ProbeReply> ParseResponseHead(const QByteArray& received);

// An HTTP/1.0 GET of `address` as the program sends it: `headers` are further lines, each ending
// in CR LF.
QByteArray GetRequest(const QUrl& address, const QByteArray& headers);

// Whether a content type names a web page, which no stream server sends for a stream: the probe
// stops reading there, and the check before a recording refuses it.
bool IsWebPage(const QByteArray& contentType);

// Connects to a stream as a listener does (asking for ICY metadata), reads a little of it and
// closes. Asynchronous: `done` runs later on the GUI thread, never if `context` is gone by then.
class StreamProbe
{
public:
    virtual ~StreamProbe() = default;
    virtual void probe(const QUrl& address, QObject* context,
                       std::function<void(const ProbeReply&)> done) = 0;
};

// The real probe: one plain TCP connection (stream servers answer "ICY 200 OK" as often as
// HTTP), at most 5 s and 64 KiB; it stops as soon as the headers, the first metadata block and a
// few kilobytes of audio are in.
class TcpStreamProbe final : public StreamProbe
{
public:
    void probe(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done) override;
};

} // namespace sora
