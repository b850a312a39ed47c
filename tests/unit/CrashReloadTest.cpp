// How often a window whose page process keeps dying loads its page again.
#include "windows/WebEngineBrowser.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using sora::CrashReloadLimiter;

TEST(CrashReload, TheFirstCrashReloadsAtOnceAndLaterOnesWaitOutTheInterval)
{
    CrashReloadLimiter limiter(5000ms);
    const auto t0 = CrashReloadLimiter::Clock::time_point{} + 1h;
    EXPECT_EQ(limiter.wait(t0), 0ms);
    limiter.reloaded(t0);

    // A page that kills its process as it opens: each reload comes a whole interval after the last.
    EXPECT_EQ(limiter.wait(t0 + 300ms), 4700ms);
    EXPECT_EQ(limiter.wait(t0 + 4999ms), 1ms);
    EXPECT_EQ(limiter.wait(t0 + 5000ms), 0ms);
    limiter.reloaded(t0 + 5000ms);
    EXPECT_EQ(limiter.wait(t0 + 5001ms), 4999ms);

    // A crash long after the last reload is answered at once again.
    EXPECT_EQ(limiter.wait(t0 + 1h), 0ms);
    // Sub-millisecond remainders round up, so the timer never fires before the interval is over.
    EXPECT_EQ(limiter.wait(t0 + 5000ms + 1500us), 4999ms);
}
