#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace sora {

// One station as the open station catalogue describes it (the fields the directory uses).
struct CatalogueStation
{
    QString uuid;
    QString name;
    QString stream;   // the resolved stream address, else the one the station gave
    QString homepage;
    QStringList tags;
    QString country;
    QString countryCode;
    QString codec;
    int bitrate = 0;
    bool hls = false;
    bool lastCheckOk = true;
    qint64 clicks = 0;

    static CatalogueStation fromJson(const QJsonObject& o);
    QJsonObject toJson() const;
};

// The station-page values of a stream address: what the recorder is started with.
struct StreamValues
{
    QString serv; // host; an IPv6 host in brackets, as an address spells it
    QString port;
    QString mount; // the path, as encoded in the address
};

// Why the recorder cannot record the station (Japanese, short), or nothing when it can: it takes
// plain http:// MP3 and AAC streams without a query, and not HLS or Opus.
std::optional<QString> NotRecordable(const CatalogueStation& station);

// The serv, port and mount of a plain http:// stream address without a query or fragment, or
// nothing: any other address cannot be rebuilt from them and must not reach the recorder.
std::optional<StreamValues> StreamValuesOf(const QUrl& stream);

// The station's name as a "&title=" value: read up to the next "&" and shown as the address spells
// it, so the characters an address escapes or cuts at are replaced by their full-width forms (a
// space by a no-break space) and control characters dropped.
QString TitleValue(const QString& name);

// The built-in directory's page for one station, with "&title=", "&serv=", "&port=" and "&mount="
// each followed by another key; a station the recorder cannot take carries no stream values.
QString StationPageAddress(const CatalogueStation& station);

} // namespace sora
