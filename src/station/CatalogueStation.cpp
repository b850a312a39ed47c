#include "CatalogueStation.h"

#include "app/Defaults.h"

#include <QJsonValue>

namespace sora {

namespace {

// The catalogue writes numbers and flags as numbers, older mirrors as text.
qint64 number(const QJsonValue& v)
{
    return v.isString() ? v.toString().toLongLong() : v.toVariant().toLongLong();
}

} // namespace

CatalogueStation CatalogueStation::fromJson(const QJsonObject& o)
{
    CatalogueStation s;
    s.uuid = o.value(u"stationuuid").toString();
    s.name = o.value(u"name").toString().trimmed();
    s.stream = o.value(u"url_resolved").toString().trimmed();
    if (s.stream.isEmpty())
        s.stream = o.value(u"url").toString().trimmed();
    s.homepage = o.value(u"homepage").toString().trimmed();
    for (const QString& tag : o.value(u"tags").toString().split(u',', Qt::SkipEmptyParts)) {
        if (!tag.trimmed().isEmpty())
            s.tags << tag.trimmed();
    }
    s.country = o.value(u"country").toString();
    s.countryCode = o.value(u"countrycode").toString().toUpper();
    s.codec = o.value(u"codec").toString().trimmed();
    s.bitrate = static_cast<int>(number(o.value(u"bitrate")));
    s.hls = number(o.value(u"hls")) != 0;
    s.lastCheckOk = !o.contains(u"lastcheckok") || number(o.value(u"lastcheckok")) != 0;
    s.clicks = number(o.value(u"clickcount"));
    return s;
}

QJsonObject CatalogueStation::toJson() const
{
    return QJsonObject{{QStringLiteral("stationuuid"), uuid},       {QStringLiteral("name"), name},
                       {QStringLiteral("url_resolved"), stream},    {QStringLiteral("homepage"), homepage},
                       {QStringLiteral("tags"), tags.join(u',')},   {QStringLiteral("country"), country},
                       {QStringLiteral("countrycode"), countryCode}, {QStringLiteral("codec"), codec},
                       {QStringLiteral("bitrate"), bitrate},        {QStringLiteral("hls"), hls ? 1 : 0},
                       {QStringLiteral("lastcheckok"), lastCheckOk ? 1 : 0}, {QStringLiteral("clickcount"), clicks}};
}

std::optional<StreamValues> StreamValuesOf(const QUrl& stream)
{
    if (!stream.isValid() || stream.scheme() != u"http" || stream.host().isEmpty() || stream.hasQuery() ||
        stream.hasFragment() || !stream.userInfo().isEmpty())
        return std::nullopt;
    StreamValues v;
    v.serv = QString::fromLatin1(QUrl::toAce(stream.host()));
    if (v.serv.isEmpty())
        v.serv = stream.host(QUrl::FullyEncoded);
    if (v.serv.contains(u':'))
        v.serv = u'[' + v.serv + u']';
    v.port = QString::number(stream.port(80));
    v.mount = stream.path(QUrl::FullyEncoded);
    if (v.mount.isEmpty())
        v.mount = QStringLiteral("/");
    // A value runs up to the next "&": one inside would cut the address short.
    if (v.mount.contains(u'&') || v.serv.contains(u'&'))
        return std::nullopt;
    return v;
}

std::optional<QString> NotRecordable(const CatalogueStation& station)
{
    const QUrl url(station.stream);
    const QString codec = station.codec.toUpper();
    if (url.scheme() == u"https")
        return QStringLiteral("https の放送は録音できません");
    if (station.hls || codec.contains(u"HLS") || url.path().endsWith(u".m3u8", Qt::CaseInsensitive))
        return QStringLiteral("HLS の放送は録音できません");
    if (codec.contains(u"OPUS") || codec.contains(u"FLAC"))
        return QStringLiteral("%1 の放送は録音できません").arg(station.codec);
    if (!StreamValuesOf(url))
        return QStringLiteral("このアドレスの放送は録音できません");
    if (!codec.isEmpty() && codec != u"UNKNOWN" && !codec.contains(u"MP3") && !codec.contains(u"AAC"))
        return QStringLiteral("%1 の放送は録音できません").arg(station.codec);
    return std::nullopt;
}

QString TitleValue(const QString& name)
{
    // What an address escapes or cuts at, and what stands in its place.
    static const QString from = QStringLiteral(" &#%\"<>\\`{}|^");
    static const QString to = QStringLiteral("\u00a0＆＃％＂＜＞＼｀｛｝｜＾");
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        const qsizetype at = from.indexOf(c);
        if (at >= 0)
            out += to.at(at);
        else if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            out += c;
    }
    return out;
}

QString StationPageAddress(const CatalogueStation& station)
{
    // The uuid first: the catalogue's own key, never cut by the values after it.
    QString address = defaults::builtInDirectoryAddress() + QStringLiteral("station?id=") +
                      QString::fromLatin1(QUrl::toPercentEncoding(station.uuid)) + QStringLiteral("&title=") +
                      TitleValue(station.name);
    if (!NotRecordable(station)) {
        if (const std::optional<StreamValues> v = StreamValuesOf(QUrl(station.stream)))
            address += QStringLiteral("&serv=") + v->serv + QStringLiteral("&port=") + v->port +
                       QStringLiteral("&mount=") + v->mount;
    }
    return address + QStringLiteral("&end=1");
}

} // namespace sora
