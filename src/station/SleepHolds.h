#pragma once

#include <QStringList>

namespace sora {

class SleepInhibitor;

// The computer's automatic suspend, held off from this one place: while a station plays, while
// recordings run, and shortly before a scheduled recording starts.
class SleepHolds
{
public:
    explicit SleepHolds(SleepInhibitor& inhibitor) : m_inhibitor(inhibitor) {}

    void setPlaying(bool playing);
    // The stations being recorded now; none lets go.
    void setRecording(const QStringList& stations);
    // The scheduled recordings starting soon; none lets go.
    void setScheduled(const QStringList& stations);

private:
    SleepInhibitor& m_inhibitor;
};

} // namespace sora
