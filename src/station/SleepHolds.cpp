#include "SleepHolds.h"

#include "platform/SleepInhibitor.h"

namespace sora {

void SleepHolds::setPlaying(bool playing)
{
    if (playing)
        m_inhibitor.hold(SleepInhibitor::Hold::Playing, QStringLiteral("再生中"));
    else
        m_inhibitor.release(SleepInhibitor::Hold::Playing);
}

void SleepHolds::setRecording(const QStringList& stations)
{
    // A computer that sleeps would cut every recording.
    if (stations.isEmpty())
        m_inhibitor.release(SleepInhibitor::Hold::Recording);
    else
        m_inhibitor.hold(SleepInhibitor::Hold::Recording, QStringLiteral("録音中: ") + stations.join(u'、'));
}

void SleepHolds::setScheduled(const QStringList& stations)
{
    // Asleep at its start, it would be missed.
    if (stations.isEmpty())
        m_inhibitor.release(SleepInhibitor::Hold::Scheduled);
    else
        m_inhibitor.hold(SleepInhibitor::Hold::Scheduled, QStringLiteral("予約録音: ") + stations.join(u'、'));
}

} // namespace sora
