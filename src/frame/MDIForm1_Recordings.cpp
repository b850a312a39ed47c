// Recording mode's watch over the recorders: the 録音一覧 command, the status bar's indicator and
// the word when a recording ended by itself.
#include "MDIForm1.h"
#include "RecordingsWindow.h"
#include "platform/NotifyIcon.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/Recordings.h"
#include "station/RecordingsWatch.h"
#include "windows/Form1.h"
#include "windows/RecordingStart.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>

namespace sora {

void MDIForm1::addRecordingCommands()
{
    if (M_Recordings)
        return;
    M_Recordings = menuBar()->addAction(RecordingsWindow::caption());
    connect(M_Recordings, &QAction::triggered, this, &MDIForm1::M_Recordings_Click);

    recIndicator = new QPushButton(sbURLBar);
    recIndicator->setFlat(true);
    recIndicator->setFocusPolicy(Qt::NoFocus);
    recIndicator->setStyleSheet(QStringLiteral("QPushButton { color: #c00000; padding: 0 6px; }"));
    recIndicator->setVisible(false);
    sbURLBar->addPermanentWidget(recIndicator);
    connect(recIndicator, &QPushButton::clicked, this, &MDIForm1::M_Recordings_Click);

    m_recWatch = new RecordingsWatch(m_platform.recordings, m_sleepHolds, this);
    connect(m_recWatch, &RecordingsWatch::Looked, this, &MDIForm1::recordingsLooked);
    connect(m_recWatch, &RecordingsWatch::Ended, this, [this](const QString& station) {
        const QString text = QStringLiteral("録音が終了しました: ") + station;
        ShowStatusText(text);
        if (mInTray != 0)
            m_platform.tray.showMessage(ProgramInfo::title(), text);
    });
    // Recorders outlive the program: those an earlier run started are watched again.
    WatchRecordings();
}

void MDIForm1::RecordStation(Form1* player, const RecorderCommand& command, const QString& station)
{
    // Owned here, not by the player window: closing that window must not drop a confirmed recording.
    auto* start = new RecordingStart(m_platform, this);
    connect(start, &RecordingStart::checked, player, &Form1::RecordingChecked);
    start->begin(command, station, player);
}

void MDIForm1::StartCheckedRecordings()
{
    for (RecordingStart* start : findChildren<RecordingStart*>(Qt::FindDirectChildrenOnly))
        start->startNow();
}

void MDIForm1::M_Recordings_Click()
{
    if (!m_recordings) {
        m_recordings = new RecordingsWindow(m_platform, m_recWatch->stationFolders());
        connect(m_recordings, &RecordingsWindow::stopped, this, [this](const QString& id) {
            m_recWatch->stoppedByUser(id);
            WatchRecordings();
        });
        // Closed, it needs no more looking: the watch settles once it is gone.
        connect(m_recordings, &QObject::destroyed, this, &MDIForm1::WatchRecordings, Qt::QueuedConnection);
    }
    m_recordings->show();
    m_recordings->raise();
    m_recordings->activateWindow();
    WatchRecordings();
}

RecordingsWindow* MDIForm1::recordingsWindow() const
{
    return m_recordings;
}

void MDIForm1::WatchRecordings()
{
    if (!m_recWatch)
        return;
    // Its clocks and sizes are kept current while 録音一覧 is shown.
    m_recWatch->setFiguresShown(m_recordings && m_recordings->isVisible());
    m_recWatch->look();
}

void MDIForm1::recordingsLooked(const QList<Recording>& running)
{
    recIndicator->setText(QStringLiteral("● 録音中 %1").arg(running.size()));
    recIndicator->setAccessibleName(recIndicator->text());
    recIndicator->setVisible(!running.isEmpty());
    if (m_recordings && m_recordings->isVisible())
        m_recordings->refresh(running);
}

} // namespace sora
