#include "ScheduleRunner.h"

#include "ScheduleFile.h"
#include "SleepHolds.h"
#include "platform/Platform.h"
#include "platform/Recordings.h"
#include "platform/WallClock.h"

#include <QSet>
#include <QTimer>

namespace sora {

namespace {

// Sleep is held off from this long before a start.
constexpr qint64 kHoldAheadSecs = 5 * 60;
// Looked at again at least this often, whatever the timer was set for: a timer counts time since
// boot, which may not be the clock's.
constexpr qint64 kLookMs = 60 * 1000;

const QString kNotRunning = QStringLiteral("ソラマドが起動していなかったため");
const QString kSlept = QStringLiteral("コンピューターがスリープしていたため");
const QString kClockSet = QStringLiteral("時計が変更されたため");
const QString kLate = QStringLiteral("開始時刻に録音を始められなかったため");

} // namespace

QString MissedRecording::text() const
{
    ScheduleEntry once;
    once.start = occurrence.start;
    once.minutes = static_cast<int>(occurrence.start.secsTo(occurrence.end) / 60);
    return QStringLiteral("未録音: ") + station + u' ' + EntryText(once) + u'（' + reason + u'）';
}

ScheduleRunner::ScheduleRunner(Platform& platform, SleepHolds& holds, QString path,
                               std::function<QString(const QString&)> streamOf, QObject* parent)
    : QObject(parent), m_platform(platform), m_holds(holds), m_path(std::move(path)), m_streamOf(std::move(streamOf)),
      m_timer(new QTimer(this)), m_reason(kNotRunning)
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &ScheduleRunner::check);
    connect(&m_platform.clock, &WallClock::resumed, this, [this] {
        m_reason = kSlept;
        check();
    });
    connect(&m_platform.clock, &WallClock::clockChanged, this, [this] {
        m_reason = kClockSet;
        check();
    });
}

QString ScheduleRunner::load()
{
    const ScheduleFile::Read read = ScheduleFile::read(m_path);
    m_entries = read.entries;
    // A file that could not be read at all is never written over.
    m_unreadable = read.error;
    check();
    return read.message();
}

bool ScheduleRunner::setEntries(QList<ScheduleEntry> entries, QString* error)
{
    if (!m_unreadable.isEmpty()) {
        if (error)
            *error = m_unreadable;
        return false;
    }
    if (!ScheduleFile::write(m_path, entries, error))
        return false;
    m_entries = std::move(entries);
    check();
    return true;
}

bool ScheduleRunner::activeFor(const QString& stream, const QDateTime& now) const
{
    return std::any_of(m_entries.begin(), m_entries.end(), [&](const ScheduleEntry& e) {
        const std::optional<Occurrence> o =
            e.enabled && m_streamOf(e.address) == stream ? NextOccurrence(e, now) : std::nullopt;
        return o && o->start <= now;
    });
}

void ScheduleRunner::check()
{
    const QDateTime now = m_platform.clock.now();
    const QList<Recording> running = m_platform.recordings.running();
    QSet<QString> recording, ids;
    for (const Recording& r : running) {
        recording.insert(r.address);
        ids.insert(r.id);
    }
    m_stopped.intersect(ids);

    bool changed = false;
    QList<MissedRecording> found;
    QList<std::pair<ScheduleEntry, QDateTime>> starts;
    QStringList soon;
    for (ScheduleEntry& e : m_entries) {
        if (!e.enabled)
            continue;
        const ScheduleDue due = Due(e, now);
        for (const Occurrence& o : due.missed)
            found.append({e.name(), o, m_reason});
        QDateTime handled = !due.missed.isEmpty() ? due.missed.last().start : e.handled;
        if (due.startNow) {
            handled = due.startNow->start;
            // The same station twice at once is recorded once, until the later end.
            const auto same = std::find_if(starts.begin(), starts.end(), [&](const auto& s) {
                return m_streamOf(s.first.address) == m_streamOf(e.address);
            });
            if (same != starts.end())
                same->second = std::max(same->second, due.startNow->end);
            else if (!recording.contains(m_streamOf(e.address)))
                starts.append({e, due.startNow->end});
        }
        // Unknown, or ahead of a clock set back: from now on, whatever comes counts.
        if (!handled.isValid() || handled > now)
            handled = now;
        if (handled != e.handled) {
            e.handled = handled;
            changed = true;
        }
        if (const std::optional<Occurrence> next = NextOccurrence(e, now);
            next && now.secsTo(next->start) <= kHoldAheadSecs)
            soon.append(e.name());
    }
    m_reason = kLate;

    if (changed && m_unreadable.isEmpty()) {
        QString error;
        if (!ScheduleFile::write(m_path, m_entries, &error))
            emit saveFailed(error);
    }
    // Only a recording this schedule started has an end; a listener's own is never stopped.
    for (const Recording& r : running)
        if (r.ends.isValid() && r.ends <= now && !activeFor(r.address, now) && !m_stopped.contains(r.id)) {
            // Told once: the recorder finishes its files and ends by itself.
            QString error;
            if (m_platform.recordings.stop(r, &error))
                m_stopped.insert(r.id);
        }
    m_holds.setScheduled(soon);
    for (const auto& [entry, ends] : starts)
        emit startRequested(entry, ends);
    if (!found.isEmpty()) {
        m_missed.append(found);
        emit missedFound(found);
    }
    arm(now, running);
}

void ScheduleRunner::arm(const QDateTime& now, const QList<Recording>& running)
{
    QDateTime next = now.addMSecs(kLookMs);
    const auto sooner = [&](const QDateTime& t) {
        if (t.isValid() && t > now && t < next)
            next = t;
    };
    for (const ScheduleEntry& e : m_entries) {
        if (const std::optional<Occurrence> o = e.enabled ? NextOccurrence(e, now) : std::nullopt) {
            sooner(o->start.addSecs(-kHoldAheadSecs));
            sooner(o->start);
            sooner(o->end);
        }
    }
    for (const Recording& r : running)
        sooner(r.ends);
    m_timer->start(static_cast<int>(std::max<qint64>(0, now.msecsTo(next))));
}

} // namespace sora
