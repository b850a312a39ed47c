#pragma once

#include "platform/StreamProbe.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace sora {

// What is wrong with a station page's stream values (Japanese, one line, for the user), or
// nothing: serv and port must be there and the port a number from 1 to 65535. No mount is
// needed: a server's root is a stream address too.
std::optional<QString> StationValueProblem(const QString& serv, const QString& port);

// The character set the recorder is told the station's titles come in: "UTF-8" for bytes that
// are valid UTF-8 (ASCII and nothing included), else code page 932, as old Japanese encoders send.
QString MetadataCodeset(const QByteArray& text);

enum class OggCodec
{
    NotOgg,
    Opus,
    Flac,
    Vorbis,
    Other
};
// The codec of an Ogg stream's first logical stream, from the bytes of its first page.
OggCodec SniffOgg(const QByteArray& audio);

// What a probe found: why the recorder must not start (Japanese, for the user), else the
// character set of the station's titles. Only what the recorder certainly cannot record is
// refused; a slow or unclear answer is the recorder's to try.
struct ProbeVerdict
{
    std::optional<QString> problem;
    QString codeset = QStringLiteral("UTF-8");
};
ProbeVerdict JudgeProbe(const ProbeReply& reply);

// Where a probe of `probed` is sent on, as the recorder would follow: a plain http:// address
// a redirection names; nothing for any other answer, which JudgeProbe judges.
std::optional<QUrl> RedirectionToFollow(const QUrl& probed, const ProbeReply& reply);

} // namespace sora
