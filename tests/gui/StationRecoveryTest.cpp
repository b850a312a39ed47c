// A player window brings back a station that stopped by itself, through the browser's reports
// alone: what counts as a drop, the tries, and what ends them.
#include "windows/StationRecovery.h"
#include "Harness.h"
#include "frame/PlayerModel.h"
#include "windows/ChildWindow.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

const QString kStation =
    QStringLiteral("http://d/station.cgi?ch=1&title=夢見&serv=127.0.0.1&port=8000&mount=/s1");
const QString kFile = QStringLiteral("http://d/jingle.html");

} // namespace

TEST(StationRecovery, ADropIsTriedAgainUntilSoundPlaysAndAnyOtherLoadEndsTheTries)
{
    Harness h;
    ASSERT_TRUE(h.load());
    ChildWindow* window = h.main().childAt(1);
    FakeBrowser* b = h.browser(1);
    auto* recovery = window->findChild<StationRecovery*>();
    ASSERT_NE(recovery, nullptr);
    QSignalSpy status(window, &ChildWindow::StatusTextChange);

    // A stream that stalls on a station page: the page is loaded again after a short wait.
    b->userOpens(kStation);
    b->finishLoad();
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    b->navigations.clear();
    b->reportMedia(MediaEvent::Kind::Stalled, 1, 0);
    EXPECT_TRUE(recovery->retrying());
    EXPECT_EQ(status.last().at(0).toString(), QStringLiteral("接続が切れたため、再接続します。"));
    ASSERT_TRUE(QTest::qWaitFor([b] { return !b->navigations.isEmpty(); }, 10000));
    EXPECT_EQ(b->navigations, QStringList{kStation});
    b->finishLoad();
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    EXPECT_FALSE(recovery->retrying());

    // The stream's end on a station page is a drop, even when the stream announced a length; the
    // listener then clicks a link before the try: the tries end as the click's load starts.
    b->reportMedia(MediaEvent::Kind::Ended, 0, 0);
    EXPECT_TRUE(recovery->retrying());
    b->startLoad(QStringLiteral("http://d/radioobx.cgi"));
    EXPECT_FALSE(recovery->retrying());
    b->navigations.clear();
    QTest::qWait(2500); // past the first try's wait
    EXPECT_TRUE(b->navigations.isEmpty());

    // Elsewhere only an element that announced no length, or played past it, is live.
    b->userOpens(kFile);
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    b->reportMedia(MediaEvent::Kind::Ended, 0, 0);
    EXPECT_FALSE(recovery->retrying());
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    b->reportMedia(MediaEvent::Kind::Ended, 0, 0, true);
    EXPECT_TRUE(recovery->retrying());
    // A pause is the listener's: nothing to bring back.
    b->reportMedia(MediaEvent::Kind::Paused, 0, 1);
    EXPECT_FALSE(recovery->retrying());
}

TEST(StationRecovery, AStationThatStaysAwayStopsCountingAsPlayingAfterAWhileWhileTheTriesGoOn)
{
    Harness h;
    ASSERT_TRUE(h.load());
    PlayerModel media(h.main(), QString());
    ChildWindow* window = h.main().childAt(1);
    FakeBrowser* b = h.browser(1);
    auto* recovery = window->findChild<StationRecovery*>();
    recovery->setPlaysOnFor(std::chrono::milliseconds(50));
    QSignalSpy status(window, &ChildWindow::StatusTextChange);
    b->userOpens(kStation);
    b->finishLoad();
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    b->reportMedia(MediaEvent::Kind::Failed, 0, 0);
    EXPECT_EQ(media.state().status, PlaybackStatus::Playing);
    EXPECT_TRUE(h.sleep.held.contains(SleepInhibitor::Hold::Playing));

    ASSERT_TRUE(QTest::qWaitFor([&] { return media.state().status == PlaybackStatus::Stopped; }));
    EXPECT_FALSE(h.sleep.held.contains(SleepInhibitor::Hold::Playing));
    EXPECT_TRUE(status.last().at(0).toString().contains(QStringLiteral("スリープを妨げるのをやめました")));
    EXPECT_TRUE(recovery->retrying());
    // Back at last: playing, and held off again.
    b->reportMedia(MediaEvent::Kind::Playing, 1, 0);
    EXPECT_TRUE(h.sleep.held.contains(SleepInhibitor::Hold::Playing));
}
