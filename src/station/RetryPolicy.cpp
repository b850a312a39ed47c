#include "RetryPolicy.h"

#include <algorithm>
#include <array>

namespace sora {

using namespace std::chrono_literals;

RetryIntervals::Wait RetryIntervals::next()
{
    static constexpr std::array<Wait, 4> kWaits{2s, 5s, 15s, 60s};
    const Wait wait = kWaits[m_tries < kWaits.size() ? m_tries : kWaits.size() - 1];
    if (m_tries < kWaits.size())
        ++m_tries;
    return wait;
}

void RetryPolicy::playing()
{
    m_state = State::Playing;
    m_intervals.reset();
    m_tryOpen = false;
}

void RetryPolicy::paused() { navigated(); }

std::optional<RetryPolicy::Wait> RetryPolicy::failed()
{
    if (m_state == State::Playing) {
        m_state = State::Retrying;
        m_next = m_intervals.next();
        return m_next;
    }
    if (m_state == State::Retrying && m_tryOpen) {
        m_tryOpen = false;
        return m_next;
    }
    return std::nullopt;
}

RetryPolicy::Wait RetryPolicy::retried()
{
    m_next = m_intervals.next();
    m_tryOpen = true;
    return std::max(m_next, kQuietPage);
}

void RetryPolicy::navigated()
{
    m_state = State::Idle;
    m_intervals.reset();
    m_tryOpen = false;
}

} // namespace sora
