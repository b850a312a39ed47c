// The start-up of the program: the main window's load handler and what it restores.
#include "MDIForm1.h"
#include "app/Defaults.h"
#include "app/Globals.h"
#include "app/SavedLayout.h"
#include "app/ScreenFit.h"
#include "app/Settings.h"
#include "platform/EndProcess.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"
#include "windows/ChildWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace sora {

void MDIForm1::MDIForm_Load()
{
    Platform& p = m_platform;

    // 1. One program per session: a second start ends before touching anything, once it has
    // asked the running program to come forward (it may be hidden in the notification area).
    if (!p.instance.acquire()) {
        p.instance.activateRunning();
        p.end.end(0);
    }

    // 2.
    SettingsFilePath(p.program);

    // 3.
    InitInput();

    // 4. Anything at the path, even an empty file or a folder, is left as it is.
    if (!QFileInfo::exists(gIniPath) && !QFileInfo(gIniPath).isSymLink()) {
        QString why;
        if (!WriteDefaultSettings(p.program, &why)) {
            p.messages.show(nullptr,
                            QStringLiteral("設定ファイルを作成できません。\r\n%1\r\n%2\r\n"
                                           "プログラムのフォルダに書き込めるか確認してください。")
                                .arg(QDir::toNativeSeparators(gIniPath), why),
                            MsgButtons::Ok, MsgIcon::Critical);
            ReleaseInput();
            p.end.end(1);
        }
    }

    // 5.
    DetectRecordingMode();

    // 6. to 8.
    const SavedMain saved = ReadSavedMain();
    SetTop(saved.geometry.top);
    SetLeft(saved.geometry.left);
    SetHeight(saved.geometry.height);
    SetWidth(saved.geometry.width);
    keepReachable();
    gTimeInterval = saved.interval;
    gUrl1 = saved.url1;
    gUrl2 = saved.url2;

    // 9.
    show();

    // 10.
    restoreWindows();

    // 11.
    FillTrayRecord();

    // 12.
    mInTray = 0;
    mTickCount = 0;

    p.instance.onActivate = [window = QPointer<MDIForm1>(this)] {
        if (window)
            window->BringForward();
    };
}

void MDIForm1::keepReachable()
{
    // Before the window is framed, the outer size asked for is still pending.
    const QRect outer(frameGeometry().topLeft(), m_outerPending ? m_wantedOuter : frameGeometry().size());
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    // A title bar and its buttons: generous, as the window manager's frame is not known yet.
    const QRect fit = reachableFrame(outer, screens, 32);
    if (fit == outer)
        return;
    // Only the window moves: the file keeps the saved values until the next save.
    move(fit.topLeft());
    m_wantedOuter = fit.size();
    resizeToOuter();
}

void MDIForm1::DetectRecordingMode()
{
    gPremium = false;
    const QDir folder(m_platform.program.folder());
    // Both files are always looked for.
    const bool library = QFileInfo(folder.filePath(QStringLiteral("tre.dll"))).isFile();
    const bool recorder = QFileInfo(folder.filePath(QStringLiteral("streamripper.exe"))).isFile();
    if (!library || !recorder)
        return;
    gPremium = true;
    gRecFolder = ReadRecFolder(m_platform.program.folder());
    setWindowTitle(windowTitle() + QStringLiteral(" Premium"));
    if (!m_recordingMode) {
        m_recordingMode = new RecordingMode(*this, m_platform);
        M_Recordings = m_recordingMode->command;
        recIndicator = m_recordingMode->indicator;
    }
}

void MDIForm1::restoreWindows()
{
    // Through the menu's own commands, so each window is the list's last entry once it is open.
    for (const SavedWindow& saved : ReadSavedWindows(ReadSavedCount())) {
        if (saved.kind == PlayerWindow)
            M_NewPlayerWindow_Click();
        else
            M_NewPingWindow_Click();
        ChildWindow* w = childAt(windowCount() - 1);
        w->SetWindowState(saved.state);
        // A minimised or maximised window keeps the geometry its creation gave it.
        if (w->WindowState() != StateNormal)
            continue;
        w->SetTop(saved.geometry.top);
        w->SetLeft(saved.geometry.left);
        w->SetWidth(saved.geometry.width);
        w->SetHeight(saved.geometry.height);
    }
}

} // namespace sora
