// The program as one media player, without a bus: which window the desktop's media controls act
// on, what they do to its page, and that nothing brings the window back once the exit has begun.
#include "Harness.h"
#include "frame/PlayerModel.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"

#include <QFile>
#include <QMdiArea>
#include <QSignalSpy>

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
    EXPECT_EQ(media.state().status, QStringLiteral("Stopped"));
    EXPECT_FALSE(media.state().canControl);
    EXPECT_EQ(media.state().trackId, QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));
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
    EXPECT_EQ(s.status, QStringLiteral("Playing"));
    EXPECT_EQ(s.title, QStringLiteral("ラジオ夢見"));
    EXPECT_TRUE(s.trackId.startsWith(QStringLiteral("/org/sorawindowex/")));
    EXPECT_TRUE(s.canControl);

    media.PlayPause();
    EXPECT_EQ(b->mediaCommands.last(), MediaCommand::Pause);
    EXPECT_EQ(media.state().status, QStringLiteral("Paused"));
    EXPECT_FALSE(b->muted);
    media.Play();
    EXPECT_EQ(b->mediaCommands.last(), MediaCommand::Resume);
    EXPECT_EQ(media.state().status, QStringLiteral("Playing"));
    EXPECT_EQ(media.state().trackId, s.trackId); // the same window, the same track

    // The page paused by itself.
    b->reportMedia(MediaEvent::Kind::Paused, 0, 1);
    EXPECT_EQ(media.state().status, QStringLiteral("Paused"));
    EXPECT_EQ(statuses.size(), 4); // Playing, Paused, Playing, Paused: each change once
    EXPECT_EQ(statuses.last().at(0).toString(), QStringLiteral("Paused"));

    // The player sits in another site's frame: only its sound tells that it plays.
    b->reportMedia(MediaEvent::Kind::Changed, 0, 0);
    b->media.unreachable = true;
    b->setAudible(true);
    EXPECT_EQ(media.state().status, QStringLiteral("Playing"));
    media.Stop();
    EXPECT_TRUE(b->muted);
    EXPECT_EQ(media.state().status, QStringLiteral("Paused"));
    EXPECT_EQ(media.state().volume, 1.0);
    media.Play();
    EXPECT_FALSE(b->muted);
    EXPECT_EQ(media.state().status, QStringLiteral("Playing"));

    media.SetVolume(0);
    EXPECT_TRUE(b->muted);
    EXPECT_EQ(media.state().volume, 0.0);
    media.SetVolume(0.5);
    EXPECT_FALSE(b->muted);
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
