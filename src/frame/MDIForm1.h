#pragma once

#include "RecordingMode.h"
#include "ScheduledRecordings.h"
#include "platform/DirectInput.h"
#include "station/SleepHolds.h"
#include "station/SongHistory.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QMdiArea;
class QPushButton;
class QStatusBar;
class QTimer;

namespace sora {

class ChildWindow;
class Form1;
class Form3;
class PageVisibility;
class RecordingsWindow;
class frmConfig;
class frmTimeInterval;
class StatusLine;
struct Platform;
struct RecorderCommand;

// The main window: a frame holding the player and ping windows, with the menu, the status bar
// and the one-minute reload timer. Geometry is in twips: the outer rectangle on the screen.
class MDIForm1 final : public QMainWindow, public DirectXEvent8
{
    Q_OBJECT
public:
    explicit MDIForm1(Platform& platform);
    ~MDIForm1() override;

    static QString designCaption() { return QStringLiteral("ソラマドORBX"); }

    // Start-up: the whole of it, once.
    void MDIForm_Load();
    void DetectRecordingMode();

    // Menu commands and the timer.
    void M_NewPlayerWindow_Click();
    void M_NewPingWindow_Click();
    void M_ReConnect_Click();
    void M_Config_Click();
    void M_Ver_Click();
    void TimTimeInterval_Timer();
    // Recording mode only (RecordingMode): the running recorders, listed with commands to stop
    // them; a look at them again; a player window's confirmed recording, checked and started here
    // whether or not that window stays open; at the exit, the checks under way started at once.
    void M_Recordings_Click() { if (m_recordingMode) m_recordingMode->showList(); }
    RecordingsWindow* recordingsWindow() const
    {
        return m_recordingMode ? m_recordingMode->list() : nullptr;
    }
    void WatchRecordings() { if (m_recordingMode) m_recordingMode->watch(); }
    // Holds off the computer's sleep while a station plays or recordings run.
    SleepHolds& sleepHolds() { return m_sleepHolds; }
    void RecordStation(Form1* player, const RecorderCommand& command, const QString& station)
    {
        if (m_recordingMode)
            m_recordingMode->record(player, command, station);
    }
    void StartCheckedRecordings() { if (m_recordingMode) m_recordingMode->startChecked(); }
    // 予約録音 (ScheduledRecordings), opened from 録音一覧, and what runs its entries.
    void M_Schedule_Click() { if (m_recordingMode) m_recordingMode->schedule()->showWindow(); }
    ScheduleWindow* scheduleWindow() const { return m_recordingMode ? m_recordingMode->schedule()->window() : nullptr; }
    ScheduleRunner* scheduleRunner() const { return m_recordingMode ? m_recordingMode->schedule()->runner() : nullptr; }

    // Closing: saves the state and ends the process.
    void MDIForm_QueryUnload();
    void SaveState();
    // A settings write failed: says so and ends the process; nothing more is written.
    [[noreturn]] void SettingsWriteFailed();

    // Mouse and keyboard input: the side buttons move the active child's browser.
    void InitInput();
    void DXCallback(qint32 eventId) override;
    bool CursorInMainWindow() const;
    void ReleaseInput();

    // The notification-area icon: minimising hides the window behind it.
    void FillTrayRecord();
    void MDIForm_Resize();
    // A message that happened over the icon (WM_LBUTTONDBLCLK restores the window).
    void MDIForm_MouseMove(quint32 messageCode);
    // A second start asks for the window: shown, out of the notification area, raised, active.
    // Nothing once the exit has begun.
    void BringForward();
    // The close under way: the window is hidden for good, whatever asks for it afterwards.
    bool exiting() const { return m_unloading; }

    // The dialogs, each open at most once; null while closed.
    frmConfig* configDialog() const;
    frmTimeInterval* timeIntervalDialog() const;
    Form3* versionDialog() const;

    void ShowStatusText(const QString& text);
    // The text reported last, and what the bar shows: the same once the window has repainted.
    QString statusText() const;
    QString shownStatusText() const;

    double Top() const;
    double Left() const;
    double Width() const;
    double Height() const;
    void SetTop(double twips);
    void SetLeft(double twips);
    void SetWidth(double twips);
    void SetHeight(double twips);

    // The open-window list: index 0 is this window, then the child windows in the order they
    // were opened. Dialogs are not on it.
    int windowCount() const { return 1 + static_cast<int>(m_children.size()); }
    ChildWindow* childAt(int index) const;
    ChildWindow* activeChild() const;
    Platform& platform() const { return m_platform; }

    QMdiArea* const mdiArea;
    QStatusBar* const sbURLBar;
    QTimer* const TimTimeInterval;
    QAction* const M_NewPlayerWindow;
    QAction* const M_NewPingWindow;
    QAction* const M_ReConnect;
    QAction* const M_Config;
    QAction* const M_Ver;
    QAction* M_Recordings = nullptr;     // the sixth command, in recording mode only
    QPushButton* recIndicator = nullptr; // "● 録音中 N", on the status bar's right while recording

signals:
    // A child window was opened or closed.
    void ChildWindowsChanged();
    void ExitStarted();

public:
    std::unique_ptr<DirectX8> mDx;
    std::unique_ptr<DirectInput8> mDi;
    std::unique_ptr<DirectInputDevice8> mMouseDevice;
    qint32 mMouseEvent = 0;
    std::unique_ptr<DirectInputDevice8> mKeyboardDevice;
    qint32 mKeyboardEvent = 0;
    qint16 mInTray = 0;
    qint16 mTickCount = 0;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void addChild(ChildWindow* child);
    void restoreWindows();
    void keepReachable();
    void closeDialogs();
    void resizeToOuter();

    Platform& m_platform;
    QList<ChildWindow*> m_children;
    PageVisibility* m_pages; // tells the browsers whether their pages are seen
    QPointer<frmConfig> m_config;
    QPointer<frmTimeInterval> m_timeInterval;
    QPointer<Form3> m_version;
    SleepHolds m_sleepHolds;
    RecordingMode* m_recordingMode = nullptr;
    SongHistory m_songs; // the titles the player windows heard
    StatusLine* m_statusLine; // what sbURLBar shows
    // Outer size asked for before the window manager framed the window, in pixels.
    QSize m_wantedOuter;
    bool m_outerPending = false;
    bool m_unloading = false;
};

} // namespace sora
