#include "PlaybackRecovery.h"

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

void PlaybackRecovery::playing()
{
    m_state = State::Playing;
    m_intervals.reset();
    m_tryOpen = false;
}

void PlaybackRecovery::paused() { navigated(); }

std::optional<PlaybackRecovery::Wait> PlaybackRecovery::failed()
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

PlaybackRecovery::Wait PlaybackRecovery::retried()
{
    m_next = m_intervals.next();
    m_tryOpen = true;
    return std::max(m_next, kQuietPage);
}

void PlaybackRecovery::navigated()
{
    m_state = State::Idle;
    m_intervals.reset();
    m_tryOpen = false;
}

} // namespace sora
