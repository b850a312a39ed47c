// Scheduled recordings: when each entry airs next in wall-clock time, and its file read back after
// a person edited it.
#include "station/Schedule.h"
#include "station/ScheduleFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>

using namespace sora;

namespace {

QDateTime at(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

ScheduleEntry entry(const char* start, int minutes, ScheduleEntry::Repeat repeat, int days = 0)
{
    ScheduleEntry e;
    e.address = QStringLiteral("http://dir.example/play?&serv=s&port=8000&mount=/m");
    e.start = at(start);
    e.minutes = minutes;
    e.repeat = repeat;
    e.days = days;
    return e;
}

Occurrence airing(const char* start, const char* end)
{
    return {at(start), at(end)};
}

// The local zone, for one test.
class Zone : public ::testing::Test
{
protected:
    void use(const char* zone)
    {
        qputenv("TZ", zone);
        ::tzset();
    }
    void TearDown() override
    {
        if (m_old.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", m_old);
        ::tzset();
    }

private:
    QByteArray m_old = qgetenv("TZ");
};

} // namespace

TEST(Schedule, NextOccurrenceOfEachRepeat)
{
    using R = ScheduleEntry::Repeat;
    // 2027-01-04 is a Monday.
    const ScheduleEntry daily = entry("2027-01-04 20:00", 60, R::Daily);
    EXPECT_EQ(NextOccurrence(daily, at("2027-01-06 21:30")), airing("2027-01-07 20:00", "2027-01-07 21:00"));
    EXPECT_EQ(NextOccurrence(daily, at("2027-01-06 20:30")), airing("2027-01-06 20:00", "2027-01-06 21:00"))
        << "the one running counts";
    EXPECT_EQ(NextOccurrence(daily, at("2026-12-01 00:00")), airing("2027-01-04 20:00", "2027-01-04 21:00"))
        << "never before its first date";

    const ScheduleEntry weekdays = entry("2027-01-04 20:00", 60, R::Weekdays);
    EXPECT_EQ(NextOccurrence(weekdays, at("2027-01-08 21:00"))->start, at("2027-01-11 20:00"))
        << "Friday to Monday";

    const ScheduleEntry tueSat = entry("2027-01-04 20:00", 60, R::Days, 0b0100010);
    EXPECT_EQ(NextOccurrence(tueSat, at("2027-01-06 12:00"))->start, at("2027-01-09 20:00"));
    EXPECT_EQ(NextOccurrence(entry("2027-01-04 20:00", 60, R::Days, 0), at("2027-01-06 12:00")),
              std::nullopt);

    const ScheduleEntry once = entry("2027-01-04 20:00", 60, R::Once);
    EXPECT_EQ(NextOccurrence(once, at("2027-01-04 21:00")), std::nullopt) << "over at its end";
    EXPECT_EQ(RepeatText(tueSat), QStringLiteral("毎週 火・土"));
}

TEST(Schedule, AWindowAcrossMidnightEndsTheNextDay)
{
    const ScheduleEntry late = entry("2027-01-04 23:30", 90, ScheduleEntry::Repeat::Weekdays);
    EXPECT_EQ(EndTime(QTime(23, 30), 90), QTime(1, 0));
    EXPECT_EQ(MinutesBetween(QTime(23, 30), QTime(1, 0)), 90);
    EXPECT_EQ(MinutesBetween(QTime(20, 0), QTime(20, 0)), 24 * 60);
    // Saturday 00:30 is inside Friday's window.
    EXPECT_EQ(NextOccurrence(late, at("2027-01-09 00:30")), airing("2027-01-08 23:30", "2027-01-09 01:00"));
    EXPECT_EQ(EntryText(late), QStringLiteral("平日 23:30～01:00"));
}

TEST_F(Zone, SummerTimeChangesMoveNothingOnTheClock)
{
    use("Europe/Berlin");
    const ScheduleEntry daily = entry("2027-03-01 20:00", 60, ScheduleEntry::Repeat::Daily);
    // The last Sundays of March and October: the day is 23 and 25 hours long.
    const Occurrence saturday = *NextOccurrence(daily, at("2027-03-27 12:00"));
    const Occurrence sunday = *NextOccurrence(daily, saturday.end);
    EXPECT_EQ(sunday.start.time(), QTime(20, 0));
    EXPECT_EQ(saturday.start.secsTo(sunday.start), 23 * 3600);
    const Occurrence octSaturday = *NextOccurrence(daily, at("2027-10-30 12:00"));
    const Occurrence octSunday = *NextOccurrence(daily, octSaturday.end);
    EXPECT_EQ(octSunday.start.time(), QTime(20, 0));
    EXPECT_EQ(octSaturday.start.secsTo(octSunday.start), 25 * 3600);
    // The night of the change: the window keeps its times on the clock.
    const Occurrence night =
        *NextOccurrence(entry("2027-10-31 01:00", 180, ScheduleEntry::Repeat::Once), at("2027-10-30 12:00"));
    EXPECT_EQ(night.end.time(), QTime(4, 0));
    EXPECT_EQ(night.start.secsTo(night.end), 4 * 3600);
    const Occurrence spring =
        *NextOccurrence(entry("2027-03-28 01:00", 180, ScheduleEntry::Repeat::Once), at("2027-03-27 12:00"));
    EXPECT_EQ(spring.start.secsTo(spring.end), 2 * 3600);
}

TEST(Schedule, DueAfterSleepAClosedProgramOrAClockSetBack)
{
    ScheduleEntry daily = entry("2027-01-04 20:00", 60, ScheduleEntry::Repeat::Daily);
    daily.handled = at("2027-01-05 20:00");

    // Two evenings passed unseen, and the third is on now.
    ScheduleDue due = Due(daily, at("2027-01-08 20:30"));
    EXPECT_EQ(due.missed, (QList<Occurrence>{airing("2027-01-06 20:00", "2027-01-06 21:00"),
                                             airing("2027-01-07 20:00", "2027-01-07 21:00")}));
    EXPECT_EQ(due.startNow, airing("2027-01-08 20:00", "2027-01-08 21:00"));
    EXPECT_EQ(due.next->start, at("2027-01-09 20:00"));

    // Recorded, then the clock was set back before the start: it comes again, nothing missed.
    due = Due(daily, at("2027-01-05 19:00"));
    EXPECT_TRUE(due.missed.isEmpty());
    EXPECT_FALSE(due.startNow);
    EXPECT_EQ(due.next->start, at("2027-01-05 20:00"));

    // Never handled (just set): what aired before is not missed, a window open now starts.
    daily.handled = QDateTime();
    due = Due(daily, at("2027-01-08 20:30"));
    EXPECT_TRUE(due.missed.isEmpty());
    EXPECT_EQ(due.startNow->start, at("2027-01-08 20:00"));
}

TEST(Schedule, OverlapsOfEnabledEntries)
{
    using R = ScheduleEntry::Repeat;
    QList<ScheduleEntry> entries = {entry("2027-01-04 20:00", 60, R::Daily),
                                    entry("2027-01-09 20:30", 60, R::Once),
                                    entry("2027-01-04 21:00", 60, R::Daily)};
    EXPECT_EQ(Overlaps(entries, at("2027-01-05 00:00")), (QList<std::pair<int, int>>{{0, 1}, {1, 2}}));
    entries[1].enabled = false;
    EXPECT_TRUE(Overlaps(entries, at("2027-01-05 00:00")).isEmpty());
}

TEST(ScheduleFile, ABrokenEntryIsLeftOutToldAndKeptAside)
{
    QTemporaryDir dir;
    const QString path = ScheduleFile::pathIn(dir.path());
    ScheduleEntry first = entry("2027-01-04 20:00", 120, ScheduleEntry::Repeat::Days, 0b1000001);
    first.station = QStringLiteral("ジャズ局\nです");
    first.handled = at("2027-01-04 20:00");
    ScheduleEntry last = entry("2027-02-01 06:00", 30, ScheduleEntry::Repeat::Once);
    last.enabled = false;
    QString error;
    ASSERT_TRUE(ScheduleFile::write(path, {first, last}, &error)) << error.toStdString();
    ScheduleFile::Read read = ScheduleFile::read(path);
    first.station = QStringLiteral("ジャズ局 です");
    EXPECT_EQ(read.entries, (QList<ScheduleEntry>{first, last}));
    EXPECT_TRUE(read.message().isEmpty());

    // Hand edits: a start that is no time, a section misnamed, a line outside any entry.
    QByteArray text = ScheduleFile::text({first, last});
    text.replace("start=2027-01-04 20:00", "start=月曜 20時");
    text += "\n[よやく]\naddress=x\nstray line\n";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    read = ScheduleFile::read(path);
    EXPECT_EQ(read.entries, (QList<ScheduleEntry>{last}));
    EXPECT_EQ(read.problems.size(), 3);
    EXPECT_TRUE(read.problems.join(u'\n').contains(QStringLiteral("開始（start）「月曜 20時」")));
    EXPECT_TRUE(read.message().startsWith(QStringLiteral("予約録音のファイルに読めない予約があった")));
    QFile aside(read.keptAside);
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), text) << "the listener's text is kept whole";
}
