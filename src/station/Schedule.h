#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace sora {

// One scheduled recording as the listener set it. Times are local wall-clock times: 20:00 stays
// 20:00 across a change to or from summer time.
struct ScheduleEntry
{
    enum class Repeat
    {
        Once,
        Daily,
        Weekdays, // Monday to Friday
        Days      // the days in `days`
    };

    QString station;  // the station's name as shown, may be empty
    QString address;  // the station page's address, as 録音 reads it
    QDateTime start;  // the first start (date and time, local)
    int minutes = 60; // length; an end before the start means the next day
    Repeat repeat = Repeat::Once;
    int days = 0; // bit (dayOfWeek - 1): Monday = 1, Sunday = 64
    bool enabled = true;
    QDateTime handled; // the start of the last occurrence started or told as missed

    QString name() const { return station.isEmpty() ? address : station; }
    bool operator==(const ScheduleEntry&) const = default;
};

// One airing of an entry.
struct Occurrence
{
    QDateTime start;
    QDateTime end;
    bool operator==(const Occurrence&) const = default;
};

// The end as a time of day for an entry starting at `start` and lasting `minutes`.
QTime EndTime(const QTime& start, int minutes);
// Minutes from `start` to `end`, crossing midnight when `end` is not later (a whole day for equal).
int MinutesBetween(const QTime& start, const QTime& end);

// Whether the entry airs on `date` (its first date or later).
bool AirsOn(const ScheduleEntry& entry, const QDate& date);
// The entry's occurrence starting on `date`, wherever it airs that day or not.
Occurrence OccurrenceOn(const ScheduleEntry& entry, const QDate& date);
// The first occurrence that has not ended at `now`: the one running, or the next one. None for a
// single entry that is over, or an entry that never airs.
std::optional<Occurrence> NextOccurrence(const ScheduleEntry& entry, const QDateTime& now);

// What the runner does with an entry at `now`.
struct ScheduleDue
{
    std::optional<Occurrence> startNow; // inside a window not yet handled
    QList<Occurrence> missed;           // started and ended without being handled, oldest first
    std::optional<Occurrence> next;     // the next one after those, not yet started
};
// `entry.handled` tells what was done; a handled start later than `now` (the clock was set back)
// counts as not done, so the programme is recorded when its time comes again.
ScheduleDue Due(const ScheduleEntry& entry, const QDateTime& now);

// The repeat in words ("毎日", "平日", "毎週 月・水", or the date for a single one).
QString RepeatText(const ScheduleEntry& entry);
// "12/24(木) 20:00～22:00 毎日" for the list.
QString EntryText(const ScheduleEntry& entry);

// Pairs of entries (indexes into `entries`) whose next occurrences within a week overlap, for
// different stations or the same: enabled ones only.
QList<std::pair<int, int>> Overlaps(const QList<ScheduleEntry>& entries, const QDateTime& now);

} // namespace sora
