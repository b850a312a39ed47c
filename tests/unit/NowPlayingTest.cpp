// What is playing: the station's title in a status document, in a stream's metadata, split for the
// desktop, and kept as one line of the history of titles.
#include "station/NowPlaying.h"
#include "app/Cp932.h"
#include "station/SongHistory.h"
#include "station/Icy.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sora;

TEST(NowPlaying, TheStatusDocumentGivesTheTitleOfTheStreamsOwnMountOnly)
{
    const QByteArray two = R"({"icestats":{"host":"radio.example","source":[
        {"listenurl":"http://radio.example:8000/a.mp3","title":"One - Song A","listeners":3},
        {"listenurl":"http://radio.example:8000/b.mp3","title":"Two - Song B"}]}})";
    EXPECT_EQ(StatusDocumentTitle(two, "/b.mp3"), QStringLiteral("Two - Song B"));
    EXPECT_EQ(StatusDocumentTitle(two, "/a.mp3"), QStringLiteral("One - Song A"));
    EXPECT_EQ(StatusDocumentTitle(two, "/a"), std::nullopt); // no prefix matches
    EXPECT_EQ(StatusDocumentTitle(two, "/"), std::nullopt);

    // A single source is an object, not a list; a Japanese mount is listed escaped.
    const QByteArray one = R"({"icestats":{"source":{"listenurl":"http://127.0.0.1:8000/%E3%83%A9",
        "title":"歌手 - 曲名"}}})";
    EXPECT_EQ(StatusDocumentTitle(one, QStringLiteral("/ラ")), QStringLiteral("歌手 - 曲名"));
    // Listed without a title, or with artist and title apart (Ogg sources).
    EXPECT_EQ(StatusDocumentTitle(R"({"icestats":{"source":{"listenurl":"http://h/m"}}})", "/m"), QString());
    EXPECT_EQ(StatusDocumentTitle(
                  R"({"icestats":{"source":{"listenurl":"http://h/m","artist":"A","title":"T"}}})", "/m"),
              QStringLiteral("A - T"));
    // A title of digits alone, or a word like true, is written as a number or a boolean.
    EXPECT_EQ(StatusDocumentTitle(R"({"icestats":{"source":{"listenurl":"http://h/m","title":1999}}})", "/m"),
              QStringLiteral("1999"));
    EXPECT_EQ(StatusDocumentTitle(
                  R"({"icestats":{"source":{"listenurl":"http://h/m","artist":42,"title":true}}})", "/m"),
              QStringLiteral("42 - true"));
    // No document of a stream server.
    for (const QByteArray& other : {QByteArray("<html>404</html>"), QByteArray(R"({"icestats":{}})"),
                                    QByteArray(R"({"icestats":{"source":null}})"), QByteArray()})
        EXPECT_EQ(StatusDocumentTitle(other, "/m"), std::nullopt) << other.constData();

    const QUrl doc = StatusDocumentAddress(QUrl(QStringLiteral("http://radio.example:8000/ラ?x=1")));
    EXPECT_EQ(doc.toString(QUrl::FullyEncoded), "http://radio.example:8000/status-json.xsl?mount=/%E3%83%A9");
    // A "+" of the mount would reach the server as a space.
    EXPECT_TRUE(GetRequest(StatusDocumentAddress(QUrl(QStringLiteral("http://h:8000/a+b"))), "")
                    .startsWith("GET /status-json.xsl?mount=/a%2Bb HTTP/1.0\r\n"));
}

TEST(NowPlaying, StreamTitlesAreDecodedAsTheRecordingCheckDoesAndSplitIntoArtistAndTitle)
{
    EXPECT_EQ(IcyStreamTitle("StreamTitle='Artist - Song';StreamUrl='';"), "Artist - Song");
    EXPECT_EQ(IcyStreamTitle(QStringLiteral("StreamTitle='歌手 - 曲名';").toUtf8()),
              QStringLiteral("歌手 - 曲名"));
    EXPECT_EQ(IcyStreamTitle(*cp932::encode(QStringLiteral("StreamTitle='懐メロ - 昭和の歌';"))),
              QStringLiteral("懐メロ - 昭和の歌"));
    EXPECT_EQ(IcyStreamTitle("StreamTitle='Rock 'n' Roll';"), "Rock 'n' Roll");
    // Characters a server kept as references, as Debian's icecast2 does with titles sent in UTF-8.
    EXPECT_EQ(IcyStreamTitle("StreamTitle='&#27703;&#x6CB3; - A&#9;&amp;&#0;&#xD800;&#99999999;';"),
              QStringLiteral("氷河 - A\t&amp;&#0;&#xD800;&#99999999;"));
    EXPECT_EQ(
        StatusDocumentTitle(
            R"({"icestats":{"source":{"listenurl":"http://h/m","title":"&#21271;&#12398;&#26143;"}}})", "/m"),
        QStringLiteral("北の星"));
    EXPECT_EQ(IcyStreamTitle("StreamTitle='';"), "");
    EXPECT_EQ(IcyStreamTitle("StreamUrl='x';"), "");

    const auto split = [](const char* song) {
        const SongParts p = SplitSong(QString::fromUtf8(song));
        return std::pair(p.artist, p.title);
    };
    EXPECT_EQ(split("Artist - Song"), std::pair(QStringLiteral("Artist"), QStringLiteral("Song")));
    EXPECT_EQ(split("A - B - C"), std::pair(QStringLiteral("A"), QStringLiteral("B - C")));
    EXPECT_EQ(split("歌手 - 曲名"), std::pair(QStringLiteral("歌手"), QStringLiteral("曲名")));
    // No artist to be had: the whole text is the title.
    for (const char* whole : {"Song", "Jay-Z", " - Song", "Artist - ", "A-B"})
        EXPECT_EQ(split(whole), std::pair(QString(), QString::fromUtf8(whole))) << whole;
}

TEST(SongHistory, OneLineATitleWithTabsAndLineBreaksMadeHarmless)
{
    const QDateTime when(QDate(2026, 12, 8), QTime(1, 2, 3));
    EXPECT_EQ(SongHistory::line(when, QStringLiteral("深夜の灯台"), QStringLiteral("歌手 - 曲名"),
                                QStringLiteral("http://127.0.0.1:8000/ラ")),
              QStringLiteral("2026-12-08 01:02:03\t深夜の灯台\t歌手 - 曲名\thttp://127.0.0.1:8000/ラ\n"));
    const QString line =
        SongHistory::line(when, QStringLiteral("局\t名"), QStringLiteral("a\tb\r\nc\nd\u2028e\x1b"),
                          QStringLiteral("http://h/m\n"));
    EXPECT_EQ(line, QStringLiteral("2026-12-08 01:02:03\t局 名\ta b  c d e\thttp://h/m\n"));
    EXPECT_EQ(SongHistory::fileName(QDate(2026, 12, 31)), QStringLiteral("曲名履歴-2026-12.tsv"));
    // What a spreadsheet would take for a formula, or for a quoted field, is text.
    EXPECT_EQ(SongHistory::line(when, QStringLiteral("=HYPERLINK(\"x\")"), QStringLiteral("-1+2"),
                                QStringLiteral("@h")),
              QStringLiteral("2026-12-08 01:02:03\t'=HYPERLINK(\"x\")\t'-1+2\t'@h\n"));
    EXPECT_EQ(SongHistory::line(when, QStringLiteral(" +局"), QStringLiteral("\"曲\""), QStringLiteral("'q")),
              QStringLiteral("2026-12-08 01:02:03\t'+局\t'\"曲\"\t''q\n"));
}

TEST(SongHistory, EachMonthsFileGetsItsColumnsOnceAndEveryLineAtOnce)
{
    QTemporaryDir dir;
    SongHistory history(dir.path());
    const QDateTime dec(QDate(2026, 12, 31), QTime(23, 59, 0));
    ASSERT_TRUE(history.append(dec, "S", "One", "http://h/m"));
    ASSERT_TRUE(history.append(dec, "S", "Two", "http://h/m"));
    ASSERT_TRUE(history.append(dec.addSecs(120), "S", "Three", "http://h/m"));
    QFile december(QDir(dir.path()).filePath(QStringLiteral("曲名履歴-2026-12.tsv")));
    ASSERT_TRUE(december.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(december.readAll()),
              QStringLiteral("日時\t放送局\t曲名\tアドレス\n2026-12-31 23:59:00\tS\tOne\thttp://h/m\n"
                             "2026-12-31 23:59:00\tS\tTwo\thttp://h/m\n"));
    EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("曲名履歴-2027-01.tsv"))));

    // A line cut short (a full disk) is ended before the next one, which stays whole.
    QFile january(QDir(dir.path()).filePath(QStringLiteral("曲名履歴-2027-01.tsv")));
    ASSERT_TRUE(january.open(QIODevice::Append));
    january.write("2027-01-01 00:01:00\tS\tCu");
    january.close();
    ASSERT_TRUE(history.append(QDateTime(QDate(2027, 1, 1), QTime(0, 2)), "S", "Five", "http://h/m"));
    ASSERT_TRUE(january.open(QIODevice::ReadOnly));
    EXPECT_TRUE(january.readAll().endsWith("\tS\tCu\n2027-01-01 00:02:00\tS\tFive\thttp://h/m\n"));

    // A file that cannot be written (here a folder in its place) says so.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("曲名履歴-2027-02.tsv")));
    EXPECT_FALSE(history.append(QDateTime(QDate(2027, 2, 1), QTime(0, 0)), "S", "Four", "http://h/m"));
}
