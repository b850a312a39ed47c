#include "PlaybackRecovery.h"

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
}

void PlaybackRecovery::paused()
{
    m_state = State::Idle;
    m_intervals.reset();
}

std::optional<PlaybackRecovery::Wait> PlaybackRecovery::failed()
{
    if (m_state != State::Playing)
        return std::nullopt;
    m_state = State::Retrying;
    return m_intervals.next();
}

PlaybackRecovery::Wait PlaybackRecovery::retried() { return m_intervals.next(); }

void PlaybackRecovery::navigated()
{
    m_state = State::Idle;
    m_intervals.reset();
}

} // namespace sora
