// Scheduled recordings: the runner started with recording mode, its starts through the same path
// as 録音, what it missed on the status bar and in 録音一覧, and the 予約録音 window.
#include "MDIForm1.h"
#include "RecordingsWindow.h"
#include "ScheduleWindow.h"
#include "app/Globals.h"
#include "platform/MessageBoxes.h"
#include "platform/NotifyIcon.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/WebBrowser.h"
#include "station/ScheduleFile.h"
#include "station/ScheduleRunner.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"
#include "windows/RecordingStart.h"

namespace sora {

void MDIForm1::setUpSchedule()
{
    if (m_schedule)
        return;
    const QString folder = m_platform.program.folder();
    m_schedule = new ScheduleRunner(
        m_platform, ScheduleFile::pathIn(folder),
        [folder](const QString& page) {
            return BuildRecorderCommand(page, folder, gRecFolder).arguments.value(0);
        },
        this);
    connect(m_schedule, &ScheduleRunner::startRequested, this,
            [this](const ScheduleEntry& entry, const QDateTime& ends) {
                auto* start = new RecordingStart(m_platform, this);
                start->setEnds(ends);
                start->begin(BuildRecorderCommand(entry.address, m_platform.program.folder(), gRecFolder),
                             entry.station, nullptr);
            });
    connect(m_schedule, &ScheduleRunner::missedFound, this, [this](const QList<MissedRecording>& found) {
        const QString text =
            found.size() == 1 ? found.first().text()
                              : QStringLiteral("未録音の予約が %1 件あります（録音一覧）").arg(found.size());
        ShowStatusText(text);
        if (mInTray != 0)
            m_platform.tray.showMessage(ProgramInfo::title(), text);
        if (m_recordings)
            showSchedule(m_recordings);
    });
    connect(m_schedule, &ScheduleRunner::saveFailed, this, [this](const QString& error) {
        m_platform.messages.show(this, error, MsgButtons::Ok, MsgIcon::Exclamation);
    });
    const QString problem = m_schedule->load();
    if (!problem.isEmpty())
        m_platform.messages.show(this, problem, MsgButtons::Ok, MsgIcon::Exclamation);
}

void MDIForm1::showSchedule(RecordingsWindow* window)
{
    QStringList missed;
    for (const MissedRecording& m : m_schedule->missed())
        missed.append(m.text());
    window->setMissed(missed);
    connect(window, &RecordingsWindow::scheduleRequested, this, &MDIForm1::M_Schedule_Click,
            Qt::UniqueConnection);
}

void MDIForm1::M_Schedule_Click()
{
    if (!m_schedule)
        return;
    if (!m_scheduleWindow)
        m_scheduleWindow =
            new ScheduleWindow(m_platform, *m_schedule, [this]() -> std::pair<QString, QString> {
                // The station of the active player window, as its 録音 button would record it.
                auto* player = qobject_cast<Form1*>(activeChild());
                if (!player)
                    return {};
                return {player->stationTitle(), player->WebBrowser1->LocationURL()};
            });
    m_scheduleWindow->show();
    m_scheduleWindow->raise();
    m_scheduleWindow->activateWindow();
}

ScheduleWindow* MDIForm1::scheduleWindow() const
{
    return m_scheduleWindow;
}

} // namespace sora
