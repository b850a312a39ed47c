#pragma once

// Timing marks read by the benchmarks in bench/. Only a build configured with SORA_BENCH writes
// them; in every other build each call is an empty inline function and leaves no code behind.
//
// A mark is one line on stderr, written with a single write() so that lines from different
// moments never mix with other output:  "sora-bench <CLOCK_MONOTONIC ns> <event> [<detail>]".

#ifdef SORA_BENCH
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#endif

namespace sora::bench {

#ifdef SORA_BENCH

inline void mark(const char* event, long long detail = -1)
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const long long ns = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
    char line[160];
    const int n = detail < 0 ? std::snprintf(line, sizeof line, "sora-bench %lld %s\n", ns, event)
                             : std::snprintf(line, sizeof line, "sora-bench %lld %s %lld\n", ns, event, detail);
    const size_t size = n < 0 ? 0 : std::min(static_cast<size_t>(n), sizeof line - 1);
    if (size > 0 && ::write(STDERR_FILENO, line, size) < 0) {
        // Nothing to do: a lost mark shows up as a missing figure.
    }
}

inline bool paintedSinceCreated = false;

// The main window's first paint on a native window: it is on the screen.
inline void mainWindowPainted()
{
    if (!paintedSinceCreated)
        mark("painted");
    paintedSinceCreated = true;
}
// The main window got a native window, the first time or anew.
inline void mainWindowCreated()
{
    mark("created");
    paintedSinceCreated = false;
}
inline void pageLoaded(bool ok) { mark("loaded", ok ? 1 : 0); }
// A raw button press as read from the X server.
inline void rawButtonPress(int button) { mark("raw-press", button); }
inline void browserStep(bool back) { mark(back ? "go-back" : "go-forward"); }

#else

inline void mainWindowPainted() {}
inline void mainWindowCreated() {}
inline void pageLoaded(bool) {}
inline void rawButtonPress(int) {}
inline void browserStep(bool) {}

#endif

} // namespace sora::bench
