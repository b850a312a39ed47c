// The process model added to flags a user gives the browser engine.
#include "windows/EngineFlags.h"

#include <gtest/gtest.h>

using sora::withProcessPerSite;

TEST(EngineFlags, UserFlagsGetTheProcessPerSite)
{
    EXPECT_EQ(withProcessPerSite("--disable-gpu"), "--disable-gpu --process-per-site");
    EXPECT_EQ(withProcessPerSite(" --disable-gpu  --enable-logging "), "--disable-gpu  --enable-logging --process-per-site");
    EXPECT_EQ(withProcessPerSite(""), "--process-per-site");
    // A switch that only starts like a process model is not one.
    EXPECT_EQ(withProcessPerSite("--single-process-x"), "--single-process-x --process-per-site");
}

TEST(EngineFlags, AProcessModelOfTheUsersOwnStaysAlone)
{
    for (const char* flags : {"--single-process", "--disable-gpu --process-per-tab", "-site-per-process",
                              "--process-per-site", "--disable-gpu\t--single-process=1"})
        EXPECT_EQ(withProcessPerSite(flags), flags) << flags;
}

TEST(EngineFlags, TheMediaBridgeGoesIntoTheOneListOfDisabledFeatures)
{
    using sora::withoutMediaBridge;
    EXPECT_EQ(withoutMediaBridge(""), "--disable-features=HardwareMediaKeyHandling");
    EXPECT_EQ(withoutMediaBridge("--disable-gpu --process-per-site"),
              "--disable-gpu --process-per-site --disable-features=HardwareMediaKeyHandling");
    EXPECT_EQ(withoutMediaBridge("--disable-features=Vulkan --disable-gpu"),
              "--disable-features=Vulkan,HardwareMediaKeyHandling --disable-gpu");
    EXPECT_EQ(withoutMediaBridge("--disable-features=HardwareMediaKeyHandling,Vulkan"),
              "--disable-features=HardwareMediaKeyHandling,Vulkan");
    EXPECT_EQ(withoutMediaBridge("--disable-features="), "--disable-features=HardwareMediaKeyHandling");
}

TEST(EngineFlags, TheAudioBufferIsLargerUnlessTheUserSizesIt)
{
    using sora::withAudioBuffer;
    EXPECT_EQ(withAudioBuffer(""), "--audio-buffer-size=4096");
    EXPECT_EQ(withAudioBuffer(" --disable-gpu "), "--disable-gpu --audio-buffer-size=4096");
    EXPECT_EQ(withAudioBuffer("--disable-gpu -audio-buffer-size=512"), "--disable-gpu -audio-buffer-size=512");
}
