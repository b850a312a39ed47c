// When a player window brings back a station that stopped by itself, and how often it tries.
#include "station/RetryPolicy.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using sora::RetryPolicy;

TEST(RetryPolicy, TriesComeAfter2_5_15sThenEveryMinuteAndStartAfreshOncePlaying)
{
    RetryPolicy r;
    r.playing();
    EXPECT_EQ(r.failed(), 2000ms);
    // More reports of the failing page start nothing new.
    EXPECT_EQ(r.failed(), std::nullopt);
    // Each try's page has time to buffer; one that fails brings the next try after the interval.
    EXPECT_EQ(r.retried(), RetryPolicy::kQuietPage);
    EXPECT_EQ(r.failed(), 5s);
    EXPECT_EQ(r.failed(), std::nullopt);
    EXPECT_EQ(r.retried(), RetryPolicy::kQuietPage);
    EXPECT_EQ(r.failed(), 15s);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(r.retried(), 60s);
        EXPECT_EQ(r.failed(), 60s);
    }

    // Sound again: the next drop starts from the shortest wait.
    r.playing();
    EXPECT_FALSE(r.retrying());
    EXPECT_EQ(r.failed(), 2s);
}

TEST(RetryPolicy, OnlySoundThatPlayedAndWasNotPausedIsBroughtBack)
{
    RetryPolicy neverPlayed;
    EXPECT_EQ(neverPlayed.failed(), std::nullopt);

    RetryPolicy paused;
    paused.playing();
    paused.paused();
    EXPECT_EQ(paused.failed(), std::nullopt);

    // The listener moves on while a retry runs: it ends there.
    RetryPolicy navigated;
    navigated.playing();
    ASSERT_TRUE(navigated.failed());
    navigated.navigated();
    EXPECT_EQ(navigated.failed(), std::nullopt);
}
