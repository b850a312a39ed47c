// Saving the state of the run when the main window closes.
#include "MDIForm1.h"
#include "app/Defaults.h"
#include "app/Globals.h"
#include "app/SavedLayout.h"
#include "app/Settings.h"
#include "station/SongSpool.h"
#include "platform/EndProcess.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"

namespace sora {

void MDIForm1::MDIForm_QueryUnload()
{
    // A second request while the failure message is up (a signal, the session ending) joins the
    // close under way instead of saving a second time.
    if (m_unloading)
        return;
    m_unloading = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; } // only a test's process end comes back through here
    } reset{m_unloading};
    emit ExitStarted();
    // Before the window hides: a recorder that cannot start says so on it.
    StartCheckedRecordings();
    SaveState();
    // The process ends without destructors: the last songs go now, unless kept.
    if (const std::shared_ptr<SongSpool> spool = SongSpool::current())
        spool->discard();
    m_platform.end.end(0);
}

void MDIForm1::SaveState()
{
    // Read before hiding: a hidden window's frame is no longer the window manager's to report.
    SavedMain main;
    main.geometry = Geometry{Top(), Left(), Width(), Height()};
    main.interval = gTimeInterval;
    QList<SavedWindow> windows;
    for (int i = 1; i < windowCount(); ++i) {
        const ChildWindow* w = childAt(i);
        // By caption, exactly: whatever is not a player window is saved as a ping window.
        const int kind = w->Caption() == Form1::caption() ? PlayerWindow : PingWindow;
        windows.append(SavedWindow{i, kind, w->WindowState(), Geometry{w->Top(), w->Left(), w->Width(), w->Height()}});
    }
    hide();
    ReleaseInput();
    if (!WriteSavedLayout(main, windows))
        SettingsWriteFailed();
}

void MDIForm1::SettingsWriteFailed() { sora::SettingsWriteFailed(m_platform.messages, m_platform.end); }

} // namespace sora
