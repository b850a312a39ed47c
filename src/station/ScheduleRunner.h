#pragma once

#include "Schedule.h"

#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>

class QTimer;

namespace sora {

struct Platform;
class SleepHolds;
struct Recording;

// A scheduled airing that was not recorded, and why.
struct MissedRecording
{
    QString station;
    Occurrence occurrence;
    QString reason;
    QString text() const; // "未録音: <station> 12/24(木) 20:00～22:00（<reason>）"
};

// Runs the scheduled recordings while the program runs. Every decision is taken from the wall
// clock: a timer only says when to look again (at most a minute ahead), and a wake from sleep or a
// clock that was set makes it look at once. A start it finds inside its window is asked for at
// once; one that passed entirely is told as missed. A scheduled recording carries its end in its
// state and is stopped then, by whichever run of the program is running.
class ScheduleRunner final : public QObject
{
    Q_OBJECT
public:
    // `streamOf` gives the stream address a station page records, as a recording lists it.
    ScheduleRunner(Platform& platform, SleepHolds& holds, QString path,
                   std::function<QString(const QString&)> streamOf, QObject* parent);

    // Reads the file and looks for what is due; the message for the listener when the file had
    // entries that could not be read (kept aside), else empty.
    QString load();
    const QList<ScheduleEntry>& entries() const { return m_entries; }
    // Saves the listener's entries and looks again; false, with the reason, when they could not
    // be saved (nothing changes then).
    bool setEntries(QList<ScheduleEntry> entries, QString* error);
    const QList<MissedRecording>& missed() const { return m_missed; }

    // Looks at the clock and does what is due; then waits for the next thing to do.
    void check();

signals:
    // Record `entry`'s station until `ends`, as 録音 does.
    void startRequested(const ScheduleEntry& entry, const QDateTime& ends);
    // Airings that were missed just now were found.
    void missedFound(const QList<MissedRecording>& found);
    // Why the entries, as the runner marked them, could not be saved.
    void saveFailed(const QString& error);

private:
    bool activeFor(const QString& stream, const QDateTime& now) const;
    void arm(const QDateTime& now, const QList<Recording>& running);

    Platform& m_platform;
    SleepHolds& m_holds;
    QString m_path;
    std::function<QString(const QString&)> m_streamOf;
    QList<ScheduleEntry> m_entries;
    QList<MissedRecording> m_missed;
    QTimer* m_timer;
    QString m_unreadable;    // why the file could not be read: it is left as it is
    QString m_reason;        // why a start that passed now was missed
    QSet<QString> m_stopped; // recordings told to stop at their end
};

} // namespace sora
