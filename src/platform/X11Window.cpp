#include "X11Window.h"

#include <QGuiApplication>
#include <QWidget>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sora::x11 {

std::optional<bool> isIconic(QWidget& window)
{
    const auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = app ? app->display() : nullptr;
    if (!display)
        return std::nullopt;
    const Atom wmState = XInternAtom(display, "WM_STATE", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, static_cast<Window>(window.winId()), wmState, 0, 1, False, wmState, &type,
                           &format, &items, &left, &data) != Success)
        return std::nullopt;
    long state = WithdrawnState;
    if (data && format == 32 && items >= 1)
        state = *reinterpret_cast<long*>(data); // format 32 comes as longs
    if (data)
        XFree(data);
    return state == IconicState;
}

} // namespace sora::x11
