// When a player window brings back a station that stopped by itself, and how often it tries.
#include "windows/PlaybackRecovery.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using sora::PlaybackRecovery;

TEST(PlaybackRecovery, TriesComeAfter2_5_15sThenEveryMinuteAndStartAfreshOncePlaying)
{
    PlaybackRecovery r;
    r.playing();
    EXPECT_EQ(r.failed(), 2000ms);
    // More reports of the failing page start nothing new.
    EXPECT_EQ(r.failed(), std::nullopt);
    // Each try's page has time to buffer; one that fails brings the next try after the interval.
    EXPECT_EQ(r.retried(), PlaybackRecovery::kQuietPage);
    EXPECT_EQ(r.failed(), 5s);
    EXPECT_EQ(r.failed(), std::nullopt);
    EXPECT_EQ(r.retried(), PlaybackRecovery::kQuietPage);
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

TEST(PlaybackRecovery, OnlySoundThatPlayedAndWasNotPausedIsBroughtBack)
{
    PlaybackRecovery neverPlayed;
    EXPECT_EQ(neverPlayed.failed(), std::nullopt);

    PlaybackRecovery paused;
    paused.playing();
    paused.paused();
    EXPECT_EQ(paused.failed(), std::nullopt);

    // The listener moves on while a retry runs: it ends there.
    PlaybackRecovery navigated;
    navigated.playing();
    ASSERT_TRUE(navigated.failed());
    navigated.navigated();
    EXPECT_EQ(navigated.failed(), std::nullopt);
}
