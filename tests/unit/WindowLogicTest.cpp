// Layout arithmetic of the child windows and the reload timer's tick counting.
#include "app/Defaults.h"
#include "frame/Refresh.h"
#include "windows/Layout.h"

#include <gtest/gtest.h>

using namespace sora;

TEST(PlayerLayout, TallWindowGivesTheBrowserAllButTheFrame)
{
    const WindowLayout l = playerLayout(5460, 6300, StateNormal, false, false);
    EXPECT_EQ(l.browserHeight, 5900);
    EXPECT_EQ(l.browserWidth, 5360);
    EXPECT_FALSE(l.windowHeight);
    EXPECT_FALSE(l.frameWidth); // the strip belongs to recording mode
}

TEST(PlayerLayout, AnEnabledRecordButtonMakesRoomForTheStrip)
{
    EXPECT_EQ(playerLayout(5460, 6300, StateNormal, true, true).browserHeight, 5350);
    EXPECT_EQ(playerLayout(5460, 6300, StateNormal, true, false).browserHeight, 5900);
    EXPECT_EQ(playerLayout(5460, 6300, StateNormal, false, true).browserHeight, 5900);
    const WindowLayout l = playerLayout(5460, 6300, StateMaximized, true, false);
    EXPECT_EQ(l.frameWidth, 5360);
    EXPECT_EQ(l.titleWidth, 4100);
    EXPECT_EQ(l.recLeft, 4660);
}

TEST(PlayerLayout, ANormalWindowTooLowIsSnappedBackAndOthersAreNot)
{
    EXPECT_EQ(playerLayout(5460, 400, StateNormal, true, true).windowHeight, 400);
    EXPECT_FALSE(playerLayout(5460, 400, StateNormal, true, true).browserHeight);
    EXPECT_FALSE(playerLayout(5460, 300, StateMinimized, false, false).windowHeight);
    EXPECT_FALSE(playerLayout(5460, 300, StateMaximized, false, false).windowHeight);
    EXPECT_EQ(playerLayout(5460, 401, StateNormal, false, false).browserHeight, 1);
}

TEST(PlayerLayout, NarrowWindowsKeepTheirHorizontalLayout)
{
    const WindowLayout l = playerLayout(100, 6300, StateNormal, true, false);
    EXPECT_FALSE(l.browserWidth);
    EXPECT_FALSE(l.frameWidth);
    EXPECT_FALSE(l.recLeft);
    EXPECT_EQ(playerLayout(101, 6300, StateNormal, false, false).browserWidth, 1);
}

TEST(PlayerLayout, NegativeSizesBecomeNothing)
{
    EXPECT_EQ(playerLayout(5460, 600, StateNormal, true, true).browserHeight, 0); // 600 - 950
    const WindowLayout l = playerLayout(1000, 6300, StateNormal, true, false);
    EXPECT_EQ(l.titleWidth, 0); // 1000 - 1360
    EXPECT_EQ(l.recLeft, 200);
}

TEST(PingLayout, SameRulesWithoutTheStrip)
{
    const WindowLayout l = pingLayout(7080, 6300, StateNormal);
    EXPECT_EQ(l.browserHeight, 5900);
    EXPECT_EQ(l.browserWidth, 6980);
    EXPECT_FALSE(l.frameWidth);
    EXPECT_EQ(pingLayout(7080, 350, StateNormal).windowHeight, 400);
    EXPECT_FALSE(pingLayout(7080, 350, StateMinimized).windowHeight);
    EXPECT_FALSE(pingLayout(90, 6300, StateNormal).browserWidth);
}

TEST(TickCounting, APassIsDueWhenTheCountReachesTheInterval)
{
    qint16 count = 0;
    std::vector<int> due;
    for (int tick = 1; tick <= 9; ++tick)
        if (countTick(count, 3)) {
            due.push_back(tick);
            count = 0;
        }
    EXPECT_EQ(due, (std::vector<int>{3, 6, 9}));
    count = 0;
    EXPECT_TRUE(countTick(count, 0));
    count = 0;
    EXPECT_TRUE(countTick(count, -5));
}

TEST(TickCounting, TheCountStopsAtItsLargestValueAndPassesStillComeDue)
{
    qint16 count = 32766;
    EXPECT_TRUE(countTick(count, 32767));
    EXPECT_EQ(count, 32767);
    EXPECT_TRUE(countTick(count, 32767));
    EXPECT_EQ(count, 32767);
}
