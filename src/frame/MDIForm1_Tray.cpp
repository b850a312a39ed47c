// The notification-area icon: minimising the main window hides it behind the icon, and a
// double-click on the icon brings it back.
#include "MDIForm1.h"
#include "app/Globals.h"
#include "app/TrayTip.h"
#include "platform/NotifyIcon.h"
#include "platform/Platform.h"
#include "platform/X11Window.h"

#include <QPointer>

namespace sora {

namespace {

// False only where the window system can tell that the window is not iconic.
bool isIconicOnScreen(QWidget& window)
{
    const std::optional<bool> iconic = x11::isIconic(window);
    return iconic.value_or(true);
}

// Adds or deletes the icon; true when the notification area took the request.
bool Shell_NotifyIconA(NotifyIcon& tray, quint32 message, const NOTIFYICONDATAA& data)
{
    return message == NIM_ADD ? tray.add(data) : tray.remove(data);
}

} // namespace

void MDIForm1::FillTrayRecord()
{
    gTrayIcon.cbSize = 88;
    gTrayIcon.hWnd = static_cast<quint32>(winId());
    gTrayIcon.uID = 1;
    gTrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    gTrayIcon.uCallbackMessage = WM_MOUSEMOVE;
    gTrayIcon.hIcon = windowIcon();
    gTrayIcon.szTip = TrayTipBytes(m_platform.program.exeName());
    mInTray = 0;

    // The icon's messages reach the window as they would through its mouse-move event.
    m_platform.tray.onMessage = [window = QPointer<MDIForm1>(this)](quint32 message) {
        if (window)
            window->MDIForm_MouseMove(message);
    };
}

void MDIForm1::MDIForm_Resize()
{
    if (!(windowState() & Qt::WindowMinimized))
        return;
    if (mInTray != 0) {
        // The window is being shown again while still minimised: no second icon.
        if (isVisible())
            activateWindow();
        return;
    }
    // Under X11 the minimised state the window was just restored from can still be reported
    // after it is back on screen; only the window manager's own iconic state is a new minimise.
    if (!isIconicOnScreen(*this))
        return;
    // Without a notification area the window stays minimised on the taskbar: hidden, it could
    // never be brought back.
    if (!m_platform.tray.isAvailable())
        return;
    mInTray = 1;
    hide();
    if (!Shell_NotifyIconA(m_platform.tray, NIM_ADD, gTrayIcon)) {
        mInTray = 0;
        show(); // still minimised: back on the taskbar
    }
}

void MDIForm1::MDIForm_MouseMove(quint32 messageCode)
{
    if (messageCode != WM_LBUTTONDBLCLK)
        return;
    Shell_NotifyIconA(m_platform.tray, NIM_DELETE, gTrayIcon);
    // The normal state comes before showing: a window shown while still minimised is mapped
    // iconified under X11, and the window manager's late report of that state would send it
    // straight back into the notification area. It also comes back normal if it was maximised.
    setWindowState(Qt::WindowNoState);
    setVisible(true);
    raise();
    activateWindow();
    // Last: size events raised while the window is shown must not add the icon again.
    mInTray = 0;
}

void MDIForm1::BringForward()
{
    // The exit hides the window before it saves; a failed save's message may still be up.
    if (m_unloading)
        return;
    if (mInTray != 0) {
        MDIForm_MouseMove(WM_LBUTTONDBLCLK); // exactly as the icon brings it back
        return;
    }
    // Minimised on the taskbar (no notification area): back to the state it was minimised from.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    setVisible(true);
    raise();
    activateWindow();
}

} // namespace sora
