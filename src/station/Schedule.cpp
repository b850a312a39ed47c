#include "Schedule.h"

#include <algorithm>

namespace sora {

namespace {

constexpr int kMinutesPerDay = 24 * 60;
// How far back missed airings are looked for, and how many are told per entry.
constexpr int kMissedDays = 400;
constexpr qsizetype kMissedKept = 20;
// How far ahead an entry's next airing is looked for: a week covers every repeat.
constexpr int kAheadDays = 8;

const QString kDayNames[] = {QStringLiteral("月"), QStringLiteral("火"), QStringLiteral("水"),
                             QStringLiteral("木"), QStringLiteral("金"), QStringLiteral("土"),
                             QStringLiteral("日")};

QString dayName(const QDate& date)
{
    return kDayNames[std::clamp(date.dayOfWeek(), 1, 7) - 1];
}

} // namespace

QTime EndTime(const QTime& start, int minutes)
{
    const int total = start.msecsSinceStartOfDay() / 60000 + minutes;
    return QTime(0, 0).addSecs(static_cast<qint64>(total % kMinutesPerDay) * 60);
}

int MinutesBetween(const QTime& start, const QTime& end)
{
    const int from = start.msecsSinceStartOfDay() / 60000;
    const int to = end.msecsSinceStartOfDay() / 60000;
    return to > from ? to - from : to - from + kMinutesPerDay;
}

bool AirsOn(const ScheduleEntry& entry, const QDate& date)
{
    if (!entry.start.isValid() || date < entry.start.date())
        return false;
    switch (entry.repeat) {
    case ScheduleEntry::Repeat::Once:
        return date == entry.start.date();
    case ScheduleEntry::Repeat::Daily:
        return true;
    case ScheduleEntry::Repeat::Weekdays:
        return date.dayOfWeek() <= 5;
    case ScheduleEntry::Repeat::Days:
        return (entry.days & (1 << (date.dayOfWeek() - 1))) != 0;
    }
    return false;
}

Occurrence OccurrenceOn(const ScheduleEntry& entry, const QDate& date)
{
    // Both ends are wall-clock times of their own days: a window across a change to or from
    // summer time starts and ends at the times on the clock, one hour longer or shorter.
    const QTime from = entry.start.time();
    const int total = from.msecsSinceStartOfDay() / 60000 + std::max(1, entry.minutes);
    return {QDateTime(date, from),
            QDateTime(date.addDays(total / kMinutesPerDay), EndTime(from, entry.minutes))};
}

std::optional<Occurrence> NextOccurrence(const ScheduleEntry& entry, const QDateTime& now)
{
    if (!entry.start.isValid())
        return std::nullopt;
    // A window may have begun the day before (crossing midnight) or earlier for a long one.
    const QDate first = std::max(entry.start.date(), now.date().addDays(-2));
    for (QDate d = first; d <= first.addDays(kAheadDays + 2); d = d.addDays(1)) {
        if (!AirsOn(entry, d))
            continue;
        const Occurrence o = OccurrenceOn(entry, d);
        if (o.end > now)
            return o;
    }
    return std::nullopt;
}

ScheduleDue Due(const ScheduleEntry& entry, const QDateTime& now)
{
    ScheduleDue due;
    if (!entry.start.isValid())
        return due;
    // Handled "later than now" means the clock went back: nothing after now counts as done.
    const QDateTime handled = entry.handled.isValid() && entry.handled <= now ? entry.handled : QDateTime();
    QDate first = handled.isValid() ? handled.date().addDays(-1) : now.date().addDays(-2);
    first = std::max({first, entry.start.date(), now.date().addDays(-kMissedDays)});
    const QDate last = std::max(first, now.date()).addDays(kAheadDays);
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        if (!AirsOn(entry, d))
            continue;
        const Occurrence o = OccurrenceOn(entry, d);
        if (handled.isValid() && o.start <= handled)
            continue;
        if (o.start > now) {
            due.next = o;
            break;
        }
        if (o.end > now)
            due.startNow = o;
        else if (handled.isValid()) // never known: set after it aired, nothing was missed
            due.missed.append(o);
    }
    if (due.missed.size() > kMissedKept)
        due.missed = due.missed.mid(due.missed.size() - kMissedKept);
    return due;
}

QString RepeatText(const ScheduleEntry& entry)
{
    switch (entry.repeat) {
    case ScheduleEntry::Repeat::Once:
        return entry.start.toString(QStringLiteral("yyyy/MM/dd")) + u'(' + dayName(entry.start.date()) + u')';
    case ScheduleEntry::Repeat::Daily:
        return QStringLiteral("毎日");
    case ScheduleEntry::Repeat::Weekdays:
        return QStringLiteral("平日");
    case ScheduleEntry::Repeat::Days: {
        QStringList names;
        for (int i = 0; i < 7; ++i)
            if (entry.days & (1 << i))
                names.append(kDayNames[i]);
        return QStringLiteral("毎週 ") + names.join(u'・');
    }
    }
    return QString();
}

QString EntryText(const ScheduleEntry& entry)
{
    const QTime from = entry.start.time();
    return RepeatText(entry) + u' ' + from.toString(QStringLiteral("HH:mm")) + u'～' +
           EndTime(from, entry.minutes).toString(QStringLiteral("HH:mm"));
}

QList<std::pair<int, int>> Overlaps(const QList<ScheduleEntry>& entries, const QDateTime& now)
{
    QList<QList<Occurrence>> airings;
    for (const ScheduleEntry& e : entries) {
        QList<Occurrence> list;
        for (QDate d = now.date().addDays(-1); e.enabled && d <= now.date().addDays(kAheadDays);
             d = d.addDays(1))
            if (AirsOn(e, d))
                if (const Occurrence o = OccurrenceOn(e, d); o.end > now)
                    list.append(o);
        airings.append(list);
    }
    QList<std::pair<int, int>> pairs;
    for (int i = 0; i < airings.size(); ++i)
        for (int j = i + 1; j < airings.size(); ++j) {
            const bool meet = std::any_of(airings[i].begin(), airings[i].end(), [&](const Occurrence& a) {
                return std::any_of(airings[j].begin(), airings[j].end(),
                                   [&](const Occurrence& b) { return a.start < b.end && b.start < a.end; });
            });
            if (meet)
                pairs.append({i, j});
        }
    return pairs;
}

} // namespace sora
