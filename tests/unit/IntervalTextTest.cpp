// The ▲/▼ stepping of the interval box and what counts as an interval.
#include "dialogs/IntervalText.h"

#include <gtest/gtest.h>

using namespace sora;

TEST(IntervalStepping, StaysWithinOneToNinetyNineBothInclusive)
{
    EXPECT_EQ(stepIntervalUp("98"), "99");
    EXPECT_EQ(stepIntervalUp("99"), "99");
    EXPECT_EQ(stepIntervalUp("1"), "2");
    EXPECT_EQ(stepIntervalDown("2"), "1");
    EXPECT_EQ(stepIntervalDown("1"), "1");
}

TEST(IntervalStepping, ValuesAlreadyOutsideAreNotClamped)
{
    EXPECT_EQ(stepIntervalUp("150"), "150");
    EXPECT_EQ(stepIntervalDown("150"), "149");
    EXPECT_EQ(stepIntervalDown("0"), "0");
    EXPECT_EQ(stepIntervalUp("0"), "1");
    EXPECT_EQ(stepIntervalUp("-5"), "-4");
    EXPECT_EQ(stepIntervalUp("2.5"), "3.5");
}

TEST(IntervalStepping, TextThatIsNoNumberIsLeftAlone)
{
    EXPECT_EQ(stepIntervalUp("abc"), "abc");
    EXPECT_EQ(stepIntervalDown(""), "");
}

TEST(IntervalText, OnlyWholeNumbersThatFitSixteenBits)
{
    EXPECT_EQ(intervalFromText(" 7 "), 7);
    EXPECT_EQ(intervalFromText("-3"), -3);
    EXPECT_EQ(intervalFromText("32767"), 32767);
    EXPECT_FALSE(intervalFromText("32768"));
    EXPECT_FALSE(intervalFromText("2.5"));
    EXPECT_FALSE(intervalFromText("abc"));
    EXPECT_FALSE(intervalFromText(""));
}
