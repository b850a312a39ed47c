#include "X11Window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xproto.h>

// Xlib last: its macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sora::x11 {

namespace {

Display* display()
{
    const auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

} // namespace

std::optional<bool> isIconic(QWidget& window)
{
    Display* display = x11::display();
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

CoverWatch::CoverWatch(QObject* parent) : QObject(parent)
{
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CoverWatch::~CoverWatch()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

void CoverWatch::watch(QWidget& window)
{
    Display* display = x11::display();
    if (!display)
        return;
    const auto id = static_cast<Window>(window.winId());
    if (id == m_window)
        return;
    m_window = id;
    if (m_covered) {
        m_covered = false;
        emit coveredChanged(false);
    }
    // Added to what Qt asked for on the same connection: the mask is one per client.
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, id, &attributes))
        return;
    XSelectInput(display, id, attributes.your_event_mask | VisibilityChangeMask);
    XFlush(display);
}

bool CoverWatch::nativeEventFilter(const QByteArray& type, void* message, qintptr*)
{
    if (type != "xcb_generic_event_t" || m_window == 0)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_VISIBILITY_NOTIFY)
        return false;
    const auto* visibility = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
    if (visibility->window != m_window)
        return false;
    const bool covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    if (covered != m_covered) {
        m_covered = covered;
        emit coveredChanged(covered);
    }
    return false;
}

} // namespace sora::x11
