#include "RecordingsWatch.h"

#include "SleepHolds.h"

#include <QTimer>

namespace sora {

namespace {

constexpr int kLookMs = 2000;

} // namespace

RecordingsWatch::RecordingsWatch(Recordings& recordings, SleepHolds& holds, QObject* parent)
    : QObject(parent), m_recordings(recordings), m_holds(holds), m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("recordingsWatch"));
    m_timer->setInterval(kLookMs);
    connect(m_timer, &QTimer::timeout, this, &RecordingsWatch::look);
    connect(&recordings, &Recordings::changed, this, &RecordingsWatch::look);
}

void RecordingsWatch::look()
{
    const QList<Recording> running = m_recordings.running();
    QMap<QString, QString> now;
    QStringList stations;
    for (const Recording& r : running) {
        now.insert(r.id, r.station);
        stations.append(r.station.isEmpty() ? r.address : r.station);
    }
    const QMap<QString, QString> before = std::exchange(m_watched, now);
    m_stationFolders.removeIf([&now](const auto& found) { return !now.contains(found.key()); });
    m_holds.setRecording(stations);
    // Where the recorders tell their end themselves, looking again is only for the figures shown.
    const bool again = !now.isEmpty() && (m_figuresShown || !m_recordings.announcesEnds());
    if (!again)
        m_timer->stop();
    else if (!m_timer->isActive())
        m_timer->start();
    for (auto it = before.cbegin(); it != before.cend(); ++it)
        if (!now.contains(it.key()) && !m_stoppedByUser.remove(it.key()))
            emit Ended(it.value());
    emit Looked(running);
}

} // namespace sora
