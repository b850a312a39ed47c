// The program as one media player, without a bus: which window the desktop's media controls act
// on, what they do to its page, and that nothing brings the window back once the exit has begun.
#include "Harness.h"
#include "frame/PlayerModel.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

TEST(PlayerModel, ActOnThePlayerWindowThatPlayedSoundLastElseTheActiveOneNeverAPingWindow)
{
    Harness h;
    ASSERT_TRUE(h.load()); // the default layout: a player window, then a ping window
    h.main().M_NewPlayerWindow_Click();
    PlayerModel media(h.main(), QString());
    ChildWindow* first = h.main().childAt(1);
    ChildWindow* ping = h.main().childAt(2);
    ChildWindow* second = h.main().childAt(3);

    h.main().mdiArea->setActiveSubWindow(second);
    EXPECT_EQ(media.playingWindow(), second);
    h.main().mdiArea->setActiveSubWindow(ping);
    EXPECT_EQ(media.playingWindow(), first); // no active player window: the first

    h.browser(1)->setAudible(true);
    h.browser(3)->setAudible(true);
    EXPECT_EQ(media.playingWindow(), second); // the latest to sound
    h.browser(3)->setAudible(false);
    EXPECT_EQ(media.playingWindow(), first); // still sounding
    h.browser(1)->setAudible(false);
    h.browser(2)->setAudible(true);
    EXPECT_EQ(media.playingWindow(), first); // sounded last; a ping window never counts
    h.main().mdiArea->setActiveSubWindow(second);
    EXPECT_EQ(media.playingWindow(), first);

    first->close();
    EXPECT_EQ(media.playingWindow(), second);
    second->close();
    EXPECT_EQ(media.playingWindow(), nullptr);
    EXPECT_EQ(media.state().status, PlaybackStatus::Stopped);
    EXPECT_FALSE(media.state().canControl);
    EXPECT_EQ(media.state().track, 0);
}

TEST(PlayerModel, PauseAndPlayTheElementsOfThePageOrMuteAPlayerNoScriptReaches)
{
    Harness h;
    ASSERT_TRUE(h.load());
    PlayerModel media(h.main(), QString());
    FakeBrowser* b = h.browser(1);
    b->setTitle(QStringLiteral("ラジオ夢見"));
    QSignalSpy statuses(&media, &PlayerModel::playbackStatusChanged);
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    PlayerState s = media.state();
    EXPECT_EQ(s.status, PlaybackStatus::Playing);
    EXPECT_EQ(s.title, QStringLiteral("ラジオ夢見"));
    EXPECT_GT(s.track, 0);
    EXPECT_TRUE(s.canControl);

    media.PlayPause();
    EXPECT_EQ(b->mediaCommands.last(), MediaCommand::Pause);
    EXPECT_EQ(media.state().status, PlaybackStatus::Paused);
    EXPECT_FALSE(b->muted);
    media.Play();
    EXPECT_EQ(b->mediaCommands.last(), MediaCommand::Resume);
    EXPECT_EQ(media.state().status, PlaybackStatus::Playing);
    EXPECT_EQ(media.state().track, s.track); // the same window, the same track

    // The page paused by itself.
    b->reportMedia(MediaEvent::Kind::Paused, 0, 1);
    EXPECT_EQ(media.state().status, PlaybackStatus::Paused);
    EXPECT_EQ(statuses.size(), 4); // Playing, Paused, Playing, Paused: each change once
    EXPECT_EQ(statuses.last().at(0).value<PlaybackStatus>(), PlaybackStatus::Paused);

    // The player sits in another site's frame: only its sound tells that it plays.
    b->reportMedia(MediaEvent::Kind::Changed, 0, 0);
    b->media.unreachable = true;
    b->setAudible(true);
    EXPECT_EQ(media.state().status, PlaybackStatus::Playing);
    media.Stop();
    EXPECT_TRUE(b->muted);
    EXPECT_EQ(media.state().status, PlaybackStatus::Paused);
    EXPECT_EQ(media.state().volume, 1.0);
    media.Play();
    EXPECT_FALSE(b->muted);
    EXPECT_EQ(media.state().status, PlaybackStatus::Playing);

    media.SetVolume(0);
    EXPECT_TRUE(b->muted);
    EXPECT_EQ(media.state().volume, 0.0);
    media.SetVolume(0.5);
    EXPECT_FALSE(b->muted);
}

TEST(PlayerModel, APlayingPageWhoseProcessDiesStopsPlayingAndLetsTheComputerSleep)
{
    Harness h;
    ASSERT_TRUE(h.load());
    PlayerModel media(h.main(), QString());
    FakeBrowser* b = h.browser(1);
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    EXPECT_EQ(media.state().status, PlaybackStatus::Playing);
    EXPECT_TRUE(h.sleep.held.contains(SleepInhibitor::Hold::Playing));

    b->killPageProcess();
    EXPECT_EQ(media.state().status, PlaybackStatus::Stopped);
    EXPECT_FALSE(h.sleep.held.contains(SleepInhibitor::Hold::Playing));
    media.PlayPause(); // plays again rather than pausing what is gone
    EXPECT_EQ(b->mediaCommands.last(), MediaCommand::Resume);
}

TEST(PlayerModel, TheTitleIsTheStationAsTheTitleStripShowsItElseThePageTitle)
{
    Harness h;
    h.enableRecording();
    ASSERT_TRUE(h.load());
    PlayerModel media(h.main(), QString());
    FakeBrowser* b = h.browser(1);
    b->setTitle(QStringLiteral("ラジオデッキ"));
    EXPECT_EQ(media.state().title, QStringLiteral("ラジオデッキ"));
    b->setTitle(QStringLiteral("局のページ"));
    b->userOpens(QStringLiteral("http://d/station.cgi?ch=1&title=深夜の灯台&serv=127.0.0.1&port=8000"));
    b->finishLoad();
    EXPECT_EQ(media.state().title, QStringLiteral("深夜の灯台"));
}

TEST(PlayerModel,
     TheSongOfThePlayingStationComesWithItsArtistAndTheStationAsAlbumEachNewOneOnceInTheHistory)
{
    Harness h; // without recording mode, too, the station's name comes from the address
    ASSERT_TRUE(h.load());
    PlayerModel media(h.main(), QString());
    FakeBrowser* b = h.browser(1);
    b->setTitle(QStringLiteral("局のページ"));
    b->userOpens(
        QStringLiteral("http://d/station.cgi?ch=2&title=深夜の灯台&serv=127.0.0.1&port=8000&mount=/m&end=1"));
    b->finishLoad();
    EXPECT_EQ(media.state().title, QStringLiteral("深夜の灯台"));

    h.titles.serve(QStringLiteral("/live"), QStringLiteral("歌手 - 曲名"));
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0, false, QStringLiteral("http://127.0.0.1:8000/live")); // what the element plays wins
    ASSERT_TRUE(QTest::qWaitFor([&] { return media.state().title == QStringLiteral("曲名"); }, 5000));
    EXPECT_EQ(media.state().artist, QStringLiteral("歌手"));
    EXPECT_EQ(media.state().album, QStringLiteral("深夜の灯台"));
    EXPECT_EQ(h.titles.statusReads.value(0).toString(), "http://127.0.0.1:8000/status-json.xsl?mount=/live");
    EXPECT_EQ(h.titles.icyReads.size(), 1); // once, to see the document tells the stream's own title

    const QString history = QDir(h.folder())
                                .filePath(QStringLiteral("曲名履歴-%1.tsv")
                                              .arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM"))));
    const auto lines = [&] {
        QFile f(history);
        return f.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   : QStringList();
    };
    ASSERT_EQ(lines().size(), 2);
    EXPECT_TRUE(
        lines().at(1).endsWith(QStringLiteral("\t深夜の灯台\t歌手 - 曲名\thttp://127.0.0.1:8000/live")));

    // Paused: the station alone; played again with the same title, no new line.
    b->reportMedia(MediaEvent::Kind::Paused, 0, 1);
    EXPECT_EQ(media.state().title, QStringLiteral("深夜の灯台"));
    EXPECT_TRUE(media.state().artist.isEmpty());
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0, false, QStringLiteral("http://127.0.0.1:8000/live"));
    EXPECT_EQ(media.state().title, QStringLiteral("曲名")); // at once, though not read again yet
    EXPECT_EQ(h.titles.statusReads.size(), 1);
    EXPECT_EQ(lines().size(), 2);

    // The station dropped and is being brought back: still playing.
    b->reportMedia(MediaEvent::Kind::Failed, 0, 0);
    EXPECT_EQ(media.state().status, PlaybackStatus::Playing);
    b->reportMedia(MediaEvent::Kind::Paused, 0, 0); // the listener's pause ends the reconnect
    EXPECT_EQ(media.state().status, PlaybackStatus::Stopped);

    // An element that plays no stream address of its own: the page's values name the stream. A
    // history that cannot be written is said once.
    ASSERT_TRUE(QFile::remove(history));
    ASSERT_TRUE(QDir(h.folder()).mkdir(QFileInfo(history).fileName()));
    h.titles.serve(QStringLiteral("/m"), QStringLiteral("Only a title"));
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0, false, QStringLiteral("blob:http://d/1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return media.state().title == QStringLiteral("Only a title"); }, 5000));
    EXPECT_TRUE(media.state().artist.isEmpty());
    EXPECT_EQ(h.titles.icyReads.last().toString(), "http://127.0.0.1:8000/m");
    EXPECT_TRUE(h.main().statusText().startsWith(QStringLiteral("曲名履歴を書き込めません: ")));
    b->reportStatus(QStringLiteral("ページが表示されました"));
    h.titles.serve(QStringLiteral("/live"), QStringLiteral("Next"));
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0, false, QStringLiteral("http://127.0.0.1:8000/live"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return media.state().title == QStringLiteral("Next"); }, 5000));
    EXPECT_EQ(h.main().statusText(), QStringLiteral("ページが表示されました"));
}


TEST(PlayerModel, NeitherASecondStartNorRaiseShowsTheWindowOnceTheExitHasBegun)
{
    Harness h;
    ASSERT_TRUE(h.load());
    PlayerModel media(h.main(), QString());
    ASSERT_TRUE(QFile::setPermissions(h.iniPath(), QFile::ReadOwner));
    bool shownDuringTheMessage = true;
    h.messages.whileShown = [&] {
        h.instance.onActivate();
        media.Raise();
        shownDuringTheMessage = h.main().isVisible();
    };
    EXPECT_EQ(endsProcess([&h] { h.main().MDIForm_QueryUnload(); }), 1);
    EXPECT_EQ(h.messages.shown.size(), 1);
    EXPECT_FALSE(shownDuringTheMessage);
}
