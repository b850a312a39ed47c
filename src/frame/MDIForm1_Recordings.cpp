// Recording mode's watch over the recorders: the 録音一覧 command, the status bar's indicator and
// the word when a recording ended by itself.
#include "MDIForm1.h"
#include "RecordingsWindow.h"
#include "SongFromStart.h"
#include "station/SongSpool.h"
#include "platform/NotifyIcon.h"
#include "platform/Platform.h"
#include "platform/ProgramInfo.h"
#include "platform/Recordings.h"
#include "platform/SleepInhibitor.h"
#include "windows/Form1.h"
#include "windows/RecordingStart.h"

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace sora {

namespace {

constexpr int kWatchMs = 2000;

} // namespace

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

    m_recWatch = new QTimer(this);
    m_recWatch->setObjectName(QStringLiteral("recordingsWatch"));
    m_recWatch->setInterval(kWatchMs);
    connect(m_recWatch, &QTimer::timeout, this, &MDIForm1::WatchRecordings);
    connect(&m_platform.recordings, &Recordings::changed, this, &MDIForm1::WatchRecordings);
    // Recorders outlive the program: those an earlier run started are watched again.
    WatchRecordings();
    setUpSchedule();
}

void MDIForm1::RecordStation(Form1* player, const RecorderCommand& command, const QString& station)
{
    // Owned here, not by the player window: closing that window must not drop a confirmed recording.
    auto* start = new RecordingStart(m_platform, this);
    connect(start, &RecordingStart::checked, player, &Form1::RecordingChecked);
    // The song under way, whole from the tap's spool, beside what the recorder writes.
    connect(start, &RecordingStart::started, this, [this](const QString& address) {
        if (const std::shared_ptr<SongSpool> spool = SongSpool::current())
            new SongFromStart(m_platform, spool, address, this);
    });
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
        m_recordings = new RecordingsWindow(m_platform, m_stationFolders);
        connect(m_recordings, &RecordingsWindow::stopped, this, [this](const QString& id) {
            m_stoppedByUser.insert(id);
            WatchRecordings();
        });
        // Closed, it needs no more looking: the watch settles once it is gone.
        connect(m_recordings, &QObject::destroyed, this, &MDIForm1::WatchRecordings, Qt::QueuedConnection);
        showSchedule(m_recordings);
    }
    m_recordings->show();
    m_recordings->raise();
    m_recordings->activateWindow();
    // Its clocks and sizes are kept current while it is shown.
    WatchRecordings();
}

RecordingsWindow* MDIForm1::recordingsWindow() const
{
    return m_recordings;
}

void MDIForm1::WatchRecordings()
{
    if (!recIndicator)
        return;
    const QList<Recording> running = m_platform.recordings.running();
    QMap<QString, QString> now;
    QStringList stations;
    for (const Recording& r : running) {
        now.insert(r.id, r.station);
        stations.append(r.station.isEmpty() ? r.address : r.station);
    }
    for (auto it = m_watched.cbegin(); it != m_watched.cend(); ++it) {
        if (now.contains(it.key()) || m_stoppedByUser.remove(it.key()))
            continue;
        const QString text = QStringLiteral("録音が終了しました: ") + it.value();
        ShowStatusText(text);
        if (mInTray != 0)
            m_platform.tray.showMessage(ProgramInfo::title(), text);
    }
    m_watched = now;
    m_stationFolders.removeIf([&now](const auto& found) { return !now.contains(found.key()); });
    recIndicator->setText(QStringLiteral("● 録音中 %1").arg(now.size()));
    recIndicator->setAccessibleName(recIndicator->text());
    recIndicator->setVisible(!now.isEmpty());
    // A computer that sleeps would cut every recording: held off while any runs.
    if (now.isEmpty())
        m_platform.sleep.release(SleepInhibitor::Hold::Recording);
    else
        m_platform.sleep.hold(SleepInhibitor::Hold::Recording,
                              QStringLiteral("録音中: ") + stations.join(u'、'));
    // Nothing to watch, nothing read. Where the recorders tell their end themselves, looking
    // again is only for 録音一覧's clocks and sizes while it is shown.
    const bool shown = m_recordings && m_recordings->isVisible();
    const bool look = !now.isEmpty() && (shown || !m_platform.recordings.announcesEnds());
    if (!look)
        m_recWatch->stop();
    else if (!m_recWatch->isActive())
        m_recWatch->start();
    if (shown)
        m_recordings->refresh(running);
}

} // namespace sora
