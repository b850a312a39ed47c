#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

namespace sora {

// When a player window loads its station page again after the station stopped by itself: first
// soon, then less and less often, so a server that stays down is not hammered.
class RetryIntervals
{
public:
    using Wait = std::chrono::milliseconds;

    // The wait before the next try: 2 s, 5 s, 15 s, then 60 s for as long as it keeps failing.
    Wait next();
    void reset() { m_tries = 0; }

private:
    std::size_t m_tries = 0;
};

// Whether a page's station must be brought back. Only sound that played and then stopped
// without the listener's doing is: a page that never played is the page's business, and a pause
// or a page of the listener's own choosing ends any retry.
class RetryPolicy
{
public:
    using Wait = RetryIntervals::Wait;
    // How long a page that a try loaded has to make sound before the next try: a stream may
    // take a while to buffer, and a new load would only start that over.
    static constexpr Wait kQuietPage{30000};

    // Sound plays: a retry, if any, has done its job.
    void playing();
    // The listener paused: nothing to bring back.
    void paused();
    // Playback failed or stalled, or a try's page did not load. The wait before the next load:
    // the first when this starts a retry, the next when a try failed; nothing when the page was
    // not playing, or this try already failed.
    std::optional<Wait> failed();
    // A try's load was started: the wait for sound before the next try, should it not fail first.
    Wait retried();
    // Another page than the one that played: what was playing is gone.
    void navigated();

    bool retrying() const { return m_state == State::Retrying; }

private:
    enum class State { Idle, Playing, Retrying };
    State m_state = State::Idle;
    RetryIntervals m_intervals;
    Wait m_next{0};         // the wait before the next try
    bool m_tryOpen = false; // a try's load was started and has not failed yet
};

} // namespace sora
