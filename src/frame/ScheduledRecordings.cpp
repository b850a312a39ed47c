#include "ScheduledRecordings.h"

#include "MDIForm1.h"
#include "RecordingsWindow.h"
#include "ScheduleWindow.h"
#include "app/Globals.h"
#include "platform/MessageBoxes.h"
#include "platform/NotifyIcon.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/WebBrowser.h"
#include "station/RecorderCommand.h"
#include "station/ScheduleFile.h"
#include "station/ScheduleRunner.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"
#include "windows/RecordingStart.h"

namespace sora {

ScheduledRecordings::ScheduledRecordings(MDIForm1& main, Platform& platform, QObject* parent)
    : QObject(parent), m_main(main), m_platform(platform)
{
    const QString folder = platform.program.folder();
    m_runner = new ScheduleRunner(
        platform, main.sleepHolds(), ScheduleFile::pathIn(folder),
        [folder](const QString& page) { return BuildRecorderCommand(page, folder, gRecFolder).address; }, this);
    connect(m_runner, &ScheduleRunner::startRequested, this, [this](const ScheduleEntry& entry, const QDateTime& ends) {
        // The main window's, as a confirmed 録音 is: the exit starts checks still under way.
        auto* start = new RecordingStart(m_platform, &m_main);
        start->setEnds(ends);
        start->begin(BuildRecorderCommand(entry.address, m_platform.program.folder(), gRecFolder), entry.station,
                     nullptr);
    });
    connect(m_runner, &ScheduleRunner::missedFound, this, [this](const QList<MissedRecording>& found) {
        const QString text = found.size() == 1
                                 ? found.first().text()
                                 : QStringLiteral("未録音の予約が %1 件あります（録音一覧）").arg(found.size());
        m_main.ShowStatusText(text);
        if (m_main.mInTray != 0)
            m_platform.tray.showMessage(ProgramInfo::title(), text);
        if (m_list)
            showIn(m_list);
    });
    connect(m_runner, &ScheduleRunner::saveFailed, this, [this](const QString& error) {
        m_platform.messages.show(&m_main, error, MsgButtons::Ok, MsgIcon::Exclamation);
    });
    const QString problem = m_runner->load();
    if (!problem.isEmpty())
        m_platform.messages.show(&m_main, problem, MsgButtons::Ok, MsgIcon::Exclamation);
}

void ScheduledRecordings::showIn(RecordingsWindow* list)
{
    m_list = list;
    QStringList missed;
    for (const MissedRecording& m : m_runner->missed())
        missed.append(m.text());
    list->setMissed(missed);
    connect(list, &RecordingsWindow::scheduleRequested, this, &ScheduledRecordings::showWindow, Qt::UniqueConnection);
}

ScheduleWindow* ScheduledRecordings::window() const
{
    return m_window;
}

void ScheduledRecordings::showWindow()
{
    if (!m_window)
        m_window = new ScheduleWindow(m_platform, *m_runner, [this]() -> std::pair<QString, QString> {
            // The station of the active player window, as its 録音 button would record it.
            auto* player = qobject_cast<Form1*>(m_main.activeChild());
            if (!player)
                return {};
            return {player->stationTitle(), player->WebBrowser1->LocationURL()};
        });
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

} // namespace sora
