#include "RecordingMode.h"

#include "MDIForm1.h"
#include "RecordingsWindow.h"
#include "ScheduledRecordings.h"
#include "SongFromStart.h"
#include "platform/NotifyIcon.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/Recordings.h"
#include "station/RecordingsWatch.h"
#include "station/SongSpool.h"
#include "windows/Form1.h"
#include "windows/RecordingStart.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

namespace sora {

RecordingMode::RecordingMode(MDIForm1& main, Platform& platform)
    : QObject(&main), command(main.menuBar()->addAction(RecordingsWindow::caption())),
      indicator(new QPushButton(main.sbURLBar)), m_main(main), m_platform(platform),
      m_watch(new RecordingsWatch(platform.recordings, main.sleepHolds(), this)),
      m_schedule(new ScheduledRecordings(main, platform, this))
{
    connect(command, &QAction::triggered, this, &RecordingMode::showList);
    indicator->setFlat(true);
    indicator->setFocusPolicy(Qt::NoFocus);
    indicator->setStyleSheet(QStringLiteral("QPushButton { color: #c00000; padding: 0 6px; }"));
    indicator->setVisible(false);
    main.sbURLBar->addPermanentWidget(indicator);
    connect(indicator, &QPushButton::clicked, this, &RecordingMode::showList);

    connect(m_watch, &RecordingsWatch::Looked, this, &RecordingMode::looked);
    connect(m_watch, &RecordingsWatch::Ended, this, [this](const QString& station) {
        const QString text = QStringLiteral("録音が終了しました: ") + station;
        m_main.ShowStatusText(text);
        if (m_main.mInTray != 0)
            m_platform.tray.showMessage(ProgramInfo::title(), text);
    });
    watch();
}

void RecordingMode::record(Form1* player, const RecorderCommand& recorder, const QString& station)
{
    // Owned by the main window, not by the player window: closing that window must not drop a
    // confirmed recording.
    auto* start = new RecordingStart(m_platform, &m_main);
    connect(start, &RecordingStart::checked, player, &Form1::RecordingChecked);
    // The song under way, whole from the tap's spool, beside what the recorder writes.
    connect(start, &RecordingStart::started, this, [this](const QString& address) {
        if (const std::shared_ptr<SongSpool> spool = SongSpool::current())
            new SongFromStart(m_platform, spool, address, &m_main);
    });
    start->begin(recorder, station, player);
}

void RecordingMode::startChecked()
{
    for (RecordingStart* start : m_main.findChildren<RecordingStart*>(Qt::FindDirectChildrenOnly))
        start->startNow();
}

void RecordingMode::showList()
{
    if (!m_list) {
        m_list = new RecordingsWindow(m_platform, m_watch->stationFolders());
        connect(m_list, &RecordingsWindow::stopped, this, [this](const QString& id) {
            m_watch->stoppedByUser(id);
            watch();
        });
        // Closed, it needs no more looking: the watch settles once it is gone.
        connect(m_list, &QObject::destroyed, this, &RecordingMode::watch, Qt::QueuedConnection);
        m_schedule->showIn(m_list);
    }
    m_list->show();
    m_list->raise();
    m_list->activateWindow();
    watch();
}

RecordingsWindow* RecordingMode::list() const
{
    return m_list;
}

void RecordingMode::watch()
{
    // Its clocks and sizes are kept current while 録音一覧 is shown.
    m_watch->setFiguresShown(m_list && m_list->isVisible());
    m_watch->look();
}

void RecordingMode::looked(const QList<Recording>& running)
{
    indicator->setText(QStringLiteral("● 録音中 %1").arg(running.size()));
    indicator->setAccessibleName(indicator->text());
    indicator->setVisible(!running.isEmpty());
    if (m_list && m_list->isVisible())
        m_list->refresh(running);
}

} // namespace sora
