// Catalogue stations turned into the built-in directory's station-page addresses.
#include "station/CatalogueStation.h"
#include "station/DirectoryPages.h"
#include "station/UrlValue.h"
#include "station/RecorderCommand.h"

#include <gtest/gtest.h>

using namespace sora;

namespace {

CatalogueStation station(const QString& stream, const QString& codec = QStringLiteral("MP3"))
{
    CatalogueStation s;
    s.uuid = QStringLiteral("9617a958-0601-11e8-ae97-52543be04c81");
    s.name = QStringLiteral("ラジオ & Jazz <b>#1</b>");
    s.stream = stream;
    s.codec = codec;
    return s;
}

// The stream address the recorder would get from the page, as 録音 builds it.
QString recorded(const QString& page)
{
    return StreamAddress(GetUrlValue(page, "&serv="), GetUrlValue(page, "&port="), GetUrlValue(page, "&mount="));
}

} // namespace

TEST(StationPageAddress, CarriesTheStreamSoThatTheRecorderGetsItBack)
{
    const struct
    {
        QString stream, recorder;
    } cases[] = {
        {"http://radio.example.jp:8000/live.mp3", "http://radio.example.jp:8000/live.mp3"},
        {"http://radio.example.jp/", "http://radio.example.jp:80/"},
        {"http://radio.example.jp", "http://radio.example.jp:80/"},
        {"http://Radio.Example.JP:8080/a%20b/%E3%83%A9", "http://radio.example.jp:8080/a%20b/%E3%83%A9"},
        {"http://[2001:db8::1]:8000/stream", "http://[2001:db8::1]:8000/stream"},
        {"http://192.0.2.7:8010/;", "http://192.0.2.7:8010/;"},
    };
    for (const auto& c : cases) {
        const QString page = StationPageAddress(station(c.stream));
        EXPECT_TRUE(page.startsWith("soramado://directory/station?id=9617a958-0601-11e8-ae97-52543be04c81&"));
        EXPECT_EQ(recorded(page), c.recorder) << page.toStdString();
        EXPECT_EQ(GetUrlValue(page, "&title="), QStringLiteral("ラジオ\u00a0＆\u00a0Jazz\u00a0＜b＞＃1＜/b＞"));
    }
}

TEST(StationPageAddress, StreamsTheRecorderCannotTakeCarryNoStreamValues)
{
    const QString https = StationPageAddress(station("https://radio.example.jp/live.mp3"));
    EXPECT_EQ(GetUrlValue(https, "&serv="), "");
    EXPECT_EQ(*NotRecordable(station("https://radio.example.jp/live.mp3")), QStringLiteral("https の放送は録音できません"));
    for (const QString& stream : {QStringLiteral("http://radio.example.jp/live?type=.mp3&x=1"),
                                  QStringLiteral("http://radio.example.jp/live.m3u8"),
                                  QStringLiteral("http://user:pw@radio.example.jp/live")}) {
        EXPECT_TRUE(NotRecordable(station(stream)));
        const QString page = StationPageAddress(station(stream));
        EXPECT_EQ(GetUrlValue(page, "&serv="), "") << page.toStdString();
        EXPECT_EQ(GetUrlValue(page, "&mount="), "") << page.toStdString();
    }
    EXPECT_TRUE(NotRecordable(station("http://radio.example.jp/live", "OGG,OPUS")));
    EXPECT_FALSE(NotRecordable(station("http://radio.example.jp/live", "AAC+")));
    EXPECT_FALSE(NotRecordable(station("http://radio.example.jp/live", "")));
}

TEST(CatalogueTag, JapaneseGenreNamesBecomeTheCataloguesTags)
{
    EXPECT_EQ(CatalogueTag(QStringLiteral("ジャズ")), "jazz");
    EXPECT_EQ(CatalogueTag(QStringLiteral(" News ")), "news");
    EXPECT_EQ(CatalogueTag(QStringLiteral("昭和")), QStringLiteral("昭和"));
}
