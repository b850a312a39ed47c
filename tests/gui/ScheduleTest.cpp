// Scheduled recordings on fakes and a clock set by hand: the start through the path of 録音, the
// end kept in the recording's state across a restart, a missed airing, and a wake from sleep.
#include "Harness.h"
#include "frame/RecordingsWindow.h"
#include "frame/ScheduleWindow.h"
#include "station/ScheduleFile.h"
#include "station/ScheduleRunner.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

const QString kKiri =
    QStringLiteral("http://d/radioobx.cgi?x=1&title=Kiri&serv=127.0.0.1&port=8001&mount=/kiri");
const QString kOther =
    QStringLiteral("http://d/radioobx.cgi?x=1&title=Umi&serv=127.0.0.1&port=8002&mount=/umi");

const QDate kDay(2027, 1, 5);

QDateTime at(int day, int hour, int minute, int second = 0)
{
    return QDateTime(kDay.addDays(day), QTime(hour, minute, second));
}

ScheduleEntry entry(const QString& address, const QDateTime& start, int minutes, ScheduleEntry::Repeat repeat)
{
    ScheduleEntry e;
    e.station = address == kKiri ? QStringLiteral("Kiri") : QStringLiteral("Umi");
    e.address = address;
    e.start = start;
    e.minutes = minutes;
    e.repeat = repeat;
    e.handled = at(-1, 20, 0);
    return e;
}

// The program in recording mode, started at `now` on this schedule and these running recordings.
std::unique_ptr<Harness> start(const QDateTime& now, const QByteArray& schedule,
                               const QList<Recording>& running)
{
    auto h = std::make_unique<Harness>();
    h->enableRecording();
    QFile::setPermissions(QDir(h->folder()).filePath(QStringLiteral("streamripper.exe")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile file(ScheduleFile::pathIn(h->folder()));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(schedule);
    file.close();
    h->recordings.list = running;
    h->clock.time = now;
    EXPECT_TRUE(h->load());
    gRecFolder = QDir(h->folder()).filePath(QStringLiteral("rec")) + u'/';
    return h;
}

QByteArray scheduleOf(const Harness& h)
{
    QFile file(ScheduleFile::pathIn(h.folder()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Schedule, StartsStopsAtItsEndAcrossARestartTellsWhatWasMissedAndWakesRight)
{
    using R = ScheduleEntry::Repeat;
    // Kiri daily 20:00-21:00 and once more 20:30-21:30 (recorded once, to the later end); Umi this
    // morning, while the program was not running.
    const QByteArray file = ScheduleFile::text({entry(kKiri, at(-3, 20, 0), 60, R::Daily),
                                                entry(kKiri, at(0, 20, 30), 60, R::Once),
                                                entry(kOther, at(0, 10, 0), 30, R::Once)});
    auto h = start(at(0, 19, 0), file, {});
    const QString missed =
        QStringLiteral("未録音: Umi 2027/01/05(火) 10:00～10:30（ソラマドが起動していなかったため）");
    EXPECT_EQ(h->main().statusText(), missed);
    h->main().M_Recordings_Click();
    ASSERT_TRUE(h->main().recordingsWindow());
    const QList<QLabel*> labels = h->main().recordingsWindow()->findChildren<QLabel*>();
    EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&](const QLabel* l) {
        return l->accessibleName() == u"未録音" && l->text() == missed;
    })) << "listed in 録音一覧";
    EXPECT_FALSE(h->sleep.held.contains(SleepInhibitor::Hold::Scheduled));

    // Five minutes ahead the computer is kept awake; at the start the recording goes as 録音's.
    h->clock.set(at(0, 19, 55));
    EXPECT_EQ(h->sleep.held.value(SleepInhibitor::Hold::Scheduled), QStringLiteral("予約録音: Kiri"));
    h->clock.set(at(0, 20, 0, 1));
    ASSERT_EQ(h->launcher.started.size(), 1);
    EXPECT_EQ(h->launcher.started[0].arguments.value(0), QStringLiteral("http://127.0.0.1:8001/kiri"));
    ASSERT_EQ(h->recordings.list.size(), 1);
    EXPECT_EQ(h->recordings.list[0].ends, at(0, 21, 0));
    h->clock.set(at(0, 20, 30, 1));
    EXPECT_EQ(h->launcher.started.size(), 1) << "the same station is recorded once";

    // Restarted in between: nothing starts twice, and the end in its state still stops it, at the
    // later entry's end.
    const QByteArray kept = scheduleOf(*h);
    QList<Recording> running = h->recordings.list;
    running.append(
        Recording{QStringLiteral("own"), 7, 0, {}, QStringLiteral("Umi"), kOther, at(0, 20, 0), {}, {}, {}});
    h.reset();
    h = start(at(0, 20, 40), kept, running);
    EXPECT_TRUE(h->launcher.started.isEmpty());
    h->clock.set(at(0, 21, 0, 1));
    EXPECT_TRUE(h->recordings.stopped.isEmpty());
    h->clock.set(at(0, 21, 30, 1));
    EXPECT_EQ(h->recordings.stopped, QStringList{running[0].id}) << "only that recording";

    // The computer slept through the next evening's start: woken inside the window it starts at
    // once; the evening after, slept through entirely, is missed and said so.
    h->clock.time = at(1, 20, 10);
    h->clock.resume();
    ASSERT_EQ(h->launcher.started.size(), 1);
    EXPECT_EQ(h->recordings.list.last().ends, at(1, 21, 0));
    h->clock.time = at(2, 22, 0);
    h->clock.resume();
    EXPECT_EQ(h->recordings.stopped.size(), 2);
    EXPECT_EQ(
        h->main().statusText(),
        QStringLiteral("未録音: Kiri 2027/01/07(木) 20:00～21:00（コンピューターがスリープしていたため）"));
    EXPECT_EQ(h->launcher.started.size(), 1);
}

TEST(Schedule, TheWindowChecksTheAddressAsRecordingDoesAndSavesAtOnce)
{
    auto h = start(at(0, 19, 0), QByteArray(), {});
    h->main().M_Schedule_Click();
    ScheduleWindow* window = h->main().scheduleWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("予約録音"));
    window->add();
    ScheduleEditor* editor = window->editor();
    ASSERT_TRUE(editor);
    editor->station->setText(QStringLiteral("http://d/radioobx.cgi?x=1&serv=127.0.0.1&mount=/kiri"));
    editor->accept();
    ASSERT_EQ(h->messages.shown.size(), 1);
    EXPECT_EQ(h->messages.shown[0].text,
              QStringLiteral("予約できません。\r\n放送局のアドレスにポート番号（port）がありません。"));

    editor->station->setText(kKiri);
    editor->startEdit->setDateTime(at(0, 23, 30));
    editor->endEdit->setTime(QTime(0, 30));
    EXPECT_EQ(editor->lengthEdit->value(), 60) << "across midnight";
    editor->repeatEdit->setCurrentIndex(static_cast<int>(ScheduleEntry::Repeat::Daily));
    editor->accept();
    ASSERT_EQ(h->main().scheduleRunner()->entries().size(), 1);
    EXPECT_TRUE(scheduleOf(*h).contains("start=2027-01-05 23:30\nminutes=60\nrepeat=daily"));
    EXPECT_EQ(window->list()->item(0)->text(), QStringLiteral("Kiri　毎日 23:30～00:30"));
}
