// Following a stream's title: which way it is read, and what counts as a new song.
#include "station/NowPlaying.h"
#include "FakeRecordings.h"
#include "FakeTitleReader.h"
#include "app/Cp932.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;
using namespace std::chrono_literals;

namespace {

const QUrl kStream(QStringLiteral("http://127.0.0.1:8000/live"));

struct Watch
{
    FakeTitleReader reader;
    std::optional<QString> recorded;
    NowPlaying playing{reader, [this](const QUrl&, QObject*, auto done) { done(recorded); }};
    QStringList songs;

    Watch()
    {
        playing.setIntervals(5ms, 5ms, 5ms);
        QObject::connect(&playing, &NowPlaying::NewSong, [this](const QString& t) { songs << t; });
    }
    bool readsUntil(int statusReads, int icyReads)
    {
        return QTest::qWaitFor(
            [&] { return reader.statusReads.size() >= statusReads && reader.icyReads.size() >= icyReads; });
    }
};

} // namespace

TEST(NowPlaying,
     TheDocumentIsTrustedWhereItTellsTheStreamsOwnTitlesAllowingForTheStreamsFirstSecondsOfOldAudio)
{
    // UTF-8 titles: the document as it is, though the stream's first bytes carry the title before.
    Watch w;
    w.reader.statusQueue = {FakeTitleReader::document("/live", "A - New")};
    w.reader.icyQueue = {FakeTitleReader::metadata("StreamTitle='A - Old';")};
    w.reader.status = FakeTitleReader::document("/live", "A - Next");
    w.playing.watch(kStream);
    ASSERT_TRUE(w.readsUntil(3, 1));
    EXPECT_EQ(w.reader.icyReads.size(), 1); // from then on the document alone
    EXPECT_EQ(w.songs, (QStringList{"A - New", "A - Next"}));

    // Shift_JIS titles, which the server told right: one more look, nothing shown meanwhile.
    Watch sjis;
    const auto title = [](const char* text) {
        return "StreamTitle='" + *cp932::encode(QString::fromUtf8(text)) + "';";
    };
    sjis.reader.statusQueue = {FakeTitleReader::document("/live", QStringLiteral("歌手 - 新曲")),
                               FakeTitleReader::document("/live", QStringLiteral("歌手 - 新曲"))};
    sjis.reader.icyQueue = {FakeTitleReader::metadata(title("歌手 - 旧曲")),
                            FakeTitleReader::metadata(title("歌手 - 新曲"))};
    sjis.reader.status = FakeTitleReader::document("/live", QStringLiteral("歌手 - 次の曲"));
    sjis.playing.watch(kStream);
    ASSERT_TRUE(sjis.readsUntil(4, 2));
    EXPECT_EQ(sjis.reader.icyReads.size(), 2);
    EXPECT_EQ(sjis.songs, (QStringList{QStringLiteral("歌手 - 新曲"), QStringLiteral("歌手 - 次の曲")}));
}

TEST(NowPlaying, ADocumentThatSpoilsTheStreamsShiftJisTitlesIsLeftForTheStreamsOwn)
{
    Watch w;
    const QString song = QStringLiteral("歌手 - 曲名");
    // The server took the title's bytes for Latin-1.
    w.reader.status = FakeTitleReader::document("/live", QString::fromLatin1(*cp932::encode(song)));
    w.reader.icy = FakeTitleReader::metadata("StreamTitle='" + *cp932::encode(song) + "';");
    w.playing.watch(kStream);
    ASSERT_TRUE(w.readsUntil(2, 4));
    EXPECT_EQ(w.reader.statusReads.size(), 2);
    EXPECT_EQ(w.songs, QStringList{song}); // an unchanged title is no new song
    EXPECT_EQ(w.playing.song(), song);

    // Stopped: no song, no reads; the stream again shows its last title at once.
    w.playing.watch(QUrl());
    EXPECT_TRUE(w.playing.song().isEmpty());
    const auto reads = w.reader.icyReads.size();
    QTest::qWait(30);
    EXPECT_EQ(w.reader.icyReads.size(), reads);
    w.playing.watch(kStream);
    EXPECT_EQ(w.playing.song(), song);
    EXPECT_EQ(w.songs, QStringList{song});
}

TEST(NowPlaying, AJapaneseTitleAfterAsciiOnesIsHeldAgainstTheStreamBeforeTheDocumentIsBelieved)
{
    Watch w;
    const QString song = QStringLiteral("懐メロ - 昭和の歌");
    w.reader.statusQueue = {FakeTitleReader::document("/live", "Intro")};
    w.reader.icyQueue = {FakeTitleReader::metadata("StreamTitle='Intro';")};
    // Shift_JIS on a mount that declares no character set: the server took it for Latin-1.
    w.reader.status = FakeTitleReader::document("/live", QString::fromLatin1(*cp932::encode(song)));
    w.reader.icy = FakeTitleReader::metadata("StreamTitle='" + *cp932::encode(song) + "';");
    w.playing.watch(kStream);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.songs.size() >= 2; }));
    EXPECT_EQ(w.songs, (QStringList{"Intro", song}));
}

TEST(NowPlaying, TheRecordersTrackIsReadFromItsFolderAwayFromTheWindow)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(QDir(tmp.path()).mkpath("Station/incomplete"));
    const QString file = tmp.filePath(QStringLiteral("Station/incomplete/歌手 - 曲.mp3"));
    QFile(file).open(QIODevice::WriteOnly);
    FakeRecordings recordings;
    Recording r;
    r.address = kStream.toString();
    r.folder = tmp.path();
    ASSERT_TRUE(recordings.add(r));
    recordings.open.insert(recordings.list.at(0).id, {file});

    QObject context;
    std::optional<std::optional<QString>> told;
    RecorderTrackOf(recordings, kStream, &context, [&](const std::optional<QString>& t) { told = t; });
    EXPECT_FALSE(told); // not on this thread
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.has_value(); }));
    EXPECT_EQ(*told, QStringLiteral("歌手 - 曲"));
}

TEST(NowPlaying, WhileThisProgramRecordsTheStreamTheRecordersTrackStandsInWithoutAConnection)
{
    Watch w;
    const QString track = QStringLiteral("録音中の歌手 - 録音中の曲");
    w.recorded = track;
    w.playing.watch(kStream);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.playing.song().isEmpty(); }));
    QTest::qWait(30);
    EXPECT_EQ(w.songs, QStringList{track});
    EXPECT_TRUE(w.reader.statusReads.isEmpty());
    EXPECT_TRUE(w.reader.icyReads.isEmpty());

    // Recording ended: a server without a status document is read through the stream; a stream
    // without titles is no song.
    w.recorded.reset();
    w.reader.status.ok = false;
    w.reader.icy = IcyReply{};
    w.reader.icy.ok = true;
    ASSERT_TRUE(w.readsUntil(1, 3));
    EXPECT_EQ(w.reader.statusReads.size(), 1);
    EXPECT_EQ(w.songs, QStringList{track});
}

TEST(NowPlaying, WhileTheTapServesTheStreamItsTitlesComeFromThereAndNothingIsReadBeside)
{
    Watch w;
    w.reader.serve("/live", "A - Side");
    w.recorded = QStringLiteral("A - Recorder");
    // The tap serves before the page reports playing; its title waits for the watch.
    const QUrl tapped(QStringLiteral("http://127.0.0.1:8000/live?fresh=1"));
    w.playing.tapped(tapped, true);
    w.playing.tapTitle(tapped, QStringLiteral("A - &#27703;"));
    w.playing.watch(kStream);
    w.playing.tapTitle(tapped, QStringLiteral("B - Two"));
    w.playing.tapTitle(QUrl(QStringLiteral("http://127.0.0.1:8000/other")), QStringLiteral("C - Other"));
    QTest::qWait(50); // reads would be due every 5 ms
    EXPECT_TRUE(w.reader.statusReads.isEmpty());
    EXPECT_TRUE(w.reader.icyReads.isEmpty());
    EXPECT_EQ(w.songs, (QStringList{QStringLiteral("A - 氷"), QStringLiteral("B - Two")}));

    // The tap no longer serves (the stream went back to the engine): the reads take over.
    w.playing.tapped(tapped, false);
    w.recorded.reset();
    ASSERT_TRUE(w.readsUntil(1, 1));
    EXPECT_EQ(w.playing.song(), "A - Side");
}
