// The timing marks as bench/run reads them: one whole line each, on the clock Python's
// time.monotonic_ns() reads, and one "painted" per native window.
#include "platform/BenchProbe.h"

#include <gtest/gtest.h>

#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {

long long monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

struct Mark
{
    long long ns = 0;
    std::string event;
    std::string detail;
};

std::vector<Mark> parse(const std::string& text)
{
    std::vector<Mark> out;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string tag;
        Mark m;
        fields >> tag >> m.ns >> m.event;
        fields >> m.detail;
        EXPECT_EQ(tag, "sora-bench") << line;
        out.push_back(m);
    }
    return out;
}

} // namespace

TEST(BenchProbe, EachMarkIsOneLineStampedWithTheMonotonicClock)
{
    const long long before = monotonicNs();
    testing::internal::CaptureStderr();
    sora::bench::pageLoaded(true);
    sora::bench::pageLoaded(false);
    sora::bench::rawButtonPress(8);
    sora::bench::browserStep(true);
    sora::bench::browserStep(false);
    const std::string text = testing::internal::GetCapturedStderr();
    const long long after = monotonicNs();

    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    const std::vector<Mark> marks = parse(text);
    ASSERT_EQ(marks.size(), 5u) << text;
    const char* events[] = {"loaded", "loaded", "raw-press", "go-back", "go-forward"};
    const char* details[] = {"1", "0", "8", "", ""};
    long long previous = before;
    for (size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].event, events[i]);
        EXPECT_EQ(marks[i].detail, details[i]);
        EXPECT_GE(marks[i].ns, previous);
        EXPECT_LE(marks[i].ns, after);
        previous = marks[i].ns;
    }
}

TEST(BenchProbe, PaintedOnlyOnTheFirstPaintOfEachNativeWindow)
{
    testing::internal::CaptureStderr();
    sora::bench::mainWindowCreated();
    sora::bench::mainWindowPainted();
    sora::bench::mainWindowPainted();
    sora::bench::mainWindowCreated(); // the window made anew: its first paint counts again
    sora::bench::mainWindowPainted();
    sora::bench::mainWindowPainted();
    const std::vector<Mark> marks = parse(testing::internal::GetCapturedStderr());
    std::vector<std::string> events;
    for (const Mark& m : marks)
        events.push_back(m.event);
    EXPECT_EQ(events, (std::vector<std::string>{"created", "painted", "created", "painted"}));
}
