#include "RecordingCheck.h"

#include "station/Icy.h"

#include <algorithm>

namespace sora {

std::optional<QString> StationValueProblem(const QString& serv, const QString& port)
{
    if (serv.isEmpty())
        return QStringLiteral("放送局のアドレスにサーバー名（serv）がありません。");
    if (port.isEmpty())
        return QStringLiteral("放送局のアドレスにポート番号（port）がありません。");
    bool number = false;
    const int value = port.toInt(&number);
    // toInt takes signs and blanks; a port is digits alone.
    const bool digits = std::all_of(port.begin(), port.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!number || !digits || value < 1 || value > 65535)
        return QStringLiteral("放送局のアドレスのポート番号（port）「") + port +
               QStringLiteral("」は 1～65535 の数ではありません。");
    return std::nullopt;
}

QString MetadataCodeset(const QByteArray& text)
{
    return IsUtf8(text) ? QStringLiteral("UTF-8") : QStringLiteral("CP932");
}

OggCodec SniffOgg(const QByteArray& audio)
{
    if (!audio.startsWith("OggS"))
        return OggCodec::NotOgg;
    // Page header: 27 bytes, then one lacing value per segment; the first packet follows.
    if (audio.size() < 27)
        return OggCodec::Other;
    const int segments = static_cast<unsigned char>(audio.at(26));
    const QByteArray packet = audio.mid(27 + segments, 9);
    if (packet.startsWith("OpusHead"))
        return OggCodec::Opus;
    if (packet.startsWith("\x7f"
                          "FLAC") ||
        packet.startsWith("fLaC"))
        return OggCodec::Flac;
    if (packet.startsWith("\x01vorbis"))
        return OggCodec::Vorbis;
    return OggCodec::Other;
}

std::optional<QUrl> RedirectionToFollow(const QUrl& probed, const ProbeReply& reply)
{
    if (reply.status < 300 || reply.status >= 400)
        return std::nullopt;
    const QUrl next = probed.resolved(QUrl::fromEncoded(reply.location.trimmed()));
    if (!next.isValid() || next.scheme() != u"http" || next.host().isEmpty())
        return std::nullopt;
    return next;
}

ProbeVerdict JudgeProbe(const ProbeReply& reply)
{
    ProbeVerdict v;
    if (!reply.headersArrived) {
        if (reply.failure == ProbeReply::Failure::Refused)
            v.problem = QStringLiteral("放送のサーバーに接続を拒否されました。");
        else if (reply.failure == ProbeReply::Failure::HostNotFound)
            v.problem = QStringLiteral("放送のサーバーが見つかりません。");
        return v;
    }
    if (reply.status >= 300 && reply.status < 400) {
        // The recorder follows a redirection, but it has no TLS: one to https:// makes it crash.
        if (reply.location.trimmed().toLower().startsWith("https://"))
            v.problem =
                QStringLiteral("この放送は https:// のアドレスへ転送されます（") +
                QString::fromLatin1(reply.location) +
                QStringLiteral("）。録音プログラム streamripper 1.64.6 は TLS（https）の放送で異常終了"
                               "するため、録音できません。");
        return v;
    }
    if (reply.status >= 400 && reply.status < 600) {
        v.problem = QStringLiteral("放送のサーバーがエラーを返しました（") +
                    QString::fromLatin1(reply.statusLine) + QStringLiteral("）。");
        return v;
    }
    if (IsWebPage(reply.contentType)) {
        v.problem = QStringLiteral("この放送のアドレスは音声ではなくウェブページです（") +
                    QString::fromLatin1(reply.contentType.split(';').value(0).trimmed()) +
                    QStringLiteral("）。");
        return v;
    }
    switch (SniffOgg(reply.audio)) {
    case OggCodec::Opus:
        v.problem = QStringLiteral("この放送は Ogg Opus 形式で、録音プログラムはこの形式を録音できません。");
        return v;
    case OggCodec::Flac:
        v.problem = QStringLiteral("この放送は Ogg FLAC 形式で、録音プログラムはこの形式を録音できません。");
        return v;
    default:
        break;
    }
    // Each on its own: a character cut at the end of one must not look whole joined to the other.
    const bool utf8 =
        MetadataCodeset(reply.icyName) == u"UTF-8" && MetadataCodeset(reply.metadata) == u"UTF-8";
    v.codeset = utf8 ? QStringLiteral("UTF-8") : QStringLiteral("CP932");
    return v;
}

} // namespace sora
