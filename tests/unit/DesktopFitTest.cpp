// Where a restored main window goes on the screens there are, and which Qt platform a start asks for.
#include "app/ScreenFit.h"
#include "platform/SessionPlatform.h"

#include <gtest/gtest.h>

using namespace sora;

namespace {

const QRect small(0, 0, 1024, 600);

} // namespace

TEST(ReachableFrame, AWholeTitleBarOnAScreenLeavesTheFrameAlone)
{
    for (const QRect frame : {QRect(30, 20, 600, 400), QRect(400, 300, 600, 500), QRect(0, 0, 1024, 600)})
        EXPECT_EQ(reachableFrame(frame, {small}, 32), frame);
    // The title bar on the second screen, though the frame hangs below it.
    const QList<QRect> two{small, QRect(1024, 0, 1280, 1024)};
    EXPECT_EQ(reachableFrame(QRect(1100, 900, 300, 300), two, 32), QRect(1100, 900, 300, 300));
    EXPECT_EQ(reachableFrame(QRect(5, 5, 100, 100), {}, 32), QRect(5, 5, 100, 100)); // no screens known
}

TEST(ReachableFrame, ALayoutFromALargerScreenFitsTheSmallerOneKeepingWhatSizeItCan)
{
    // Saved on 1190x909: the close box off to the right, the status bar off the bottom.
    EXPECT_EQ(reachableFrame(QRect(30, 20, 1100, 850), {small}, 32), QRect(0, 0, 1024, 600));
    // Only too far right: it moves left, its size kept.
    EXPECT_EQ(reachableFrame(QRect(700, 100, 500, 400), {small}, 32), QRect(524, 100, 500, 400));
    // The title bar on the screen but the frame taller than it: window managers push such a
    // window up until the title bar is off the screen.
    EXPECT_EQ(reachableFrame(QRect(30, 20, 600, 850), {small}, 32), QRect(30, 0, 600, 600));
    // The title bar above the screen.
    EXPECT_EQ(reachableFrame(QRect(100, -450, 500, 700), {small}, 32), QRect(100, 0, 500, 600));
    // A panel takes the top of the screen: the available area is what counts.
    EXPECT_EQ(reachableFrame(QRect(100, 10, 400, 300), {QRect(0, 24, 1024, 576)}, 32),
              QRect(100, 24, 400, 300));
}

TEST(ReachableFrame, TheScreenHoldingMostOfTheFrameOrTheNearestOneTakesIt)
{
    const QList<QRect> two{small, QRect(1024, 0, 1280, 1024)};
    // Straddling both, title bar split between them: most of it is on the right one.
    EXPECT_EQ(reachableFrame(QRect(900, -10, 600, 400), two, 32), QRect(1024, 0, 600, 400));
    // Off every screen (a screen that is gone): onto the nearest, wholly.
    EXPECT_EQ(reachableFrame(QRect(-5000, 200, 300, 200), two, 32), QRect(0, 200, 300, 200));
    EXPECT_EQ(reachableFrame(QRect(9000, 9000, 300, 200), two, 32), QRect(2004, 824, 300, 200));
}

TEST(QtPlatform, XcbOnlyOnAWaylandSessionWithAnXDisplayAndNoChoiceOfTheUsers)
{
    EXPECT_EQ(chooseQtPlatform("", "wayland-0", ":0"), QByteArray("xcb"));
    EXPECT_EQ(chooseQtPlatform("wayland", "wayland-0", ":0"), QByteArray()); // the user's choice stands
    EXPECT_EQ(chooseQtPlatform("offscreen", "wayland-0", ":0"), QByteArray());
    // No X display: nothing to switch to (input set-up says so with its own message).
    EXPECT_EQ(chooseQtPlatform("", "wayland-0", ""), QByteArray());
    EXPECT_EQ(chooseQtPlatform("", "", ":0"), QByteArray()); // plain X11 already is xcb
}
