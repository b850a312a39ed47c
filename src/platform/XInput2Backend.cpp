#include "XInput2Backend.h"

#include "BenchProbe.h"

#include <QSocketNotifier>
#include <QTimer>

#include <array>
#include <vector>

// Xlib's macros (None, Bool, Status, ...) would clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace sora {

namespace xinput2 {

std::optional<DIDEVICEOBJECTDATA> mouseItem(int button, bool press, unsigned long time)
{
    const auto stamp = static_cast<qint32>(static_cast<quint32>(time));
    qint32 offset;
    switch (button) {
    case 1:
        offset = DIMOFS_BUTTON0;
        break;
    case 2:
        offset = DIMOFS_BUTTON1;
        break;
    case 3:
        offset = DIMOFS_BUTTON2;
        break;
    case 4:
    case 5:
        // A notch is one step of the wheel axis; the button's release carries nothing.
        if (!press)
            return std::nullopt;
        return DIDEVICEOBJECTDATA{DIMOFS_Z, button == 4 ? WHEEL_DELTA : -WHEEL_DELTA, stamp, 0, 0};
    case 8:
        offset = DIMOFS_BUTTON3;
        break;
    case 9:
        offset = DIMOFS_BUTTON4;
        break;
    case 10:
        offset = DIMOFS_BUTTON5;
        break;
    case 11:
        offset = DIMOFS_BUTTON6;
        break;
    case 12:
        offset = DIMOFS_BUTTON7;
        break;
    default:
        return std::nullopt; // horizontal wheel and buttons the format has no room for
    }
    return DIDEVICEOBJECTDATA{offset, press ? DI_PRESSED : 0, stamp, 0, 0};
}

std::vector<int> rawEvents(InputDeviceKind kind)
{
    if (kind == InputDeviceKind::Mouse)
        return {XI_RawButtonPress, XI_RawButtonRelease};
    return {};
}

} // namespace xinput2

namespace {

class XSource;

// Catches the X errors of the requests made while it lives, instead of Xlib's default of
// ending the process.
int g_xError = 0;

int recordXError(Display*, XErrorEvent* event)
{
    g_xError = event->error_code;
    return 0;
}

class XErrorTrap
{
public:
    XErrorTrap()
    {
        g_xError = 0;
        m_previous = XSetErrorHandler(recordXError);
    }
    ~XErrorTrap() { XSetErrorHandler(m_previous); }
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;
    bool failed() const { return g_xError != 0; }

private:
    XErrorHandler m_previous = nullptr;
};

using EventMask = std::array<unsigned char, XIMaskLen(XI_LASTEVENT)>;

void setBit(EventMask& mask, int event)
{
    mask[static_cast<size_t>(event >> 3)] |= static_cast<unsigned char>(1 << (event & 7));
}

} // namespace

struct XInput2Backend::Connection
{
    Display* display = nullptr;
    int opcode = 0;
    std::unique_ptr<QSocketNotifier> notifier;
    std::vector<XSource*> sources;
    EventMask selected{};

    bool select();
    void drain();
    void dispatch(InputDeviceKind kind, const DIDEVICEOBJECTDATA& item);
    void forget(XSource* source) { std::erase(sources, source); }
};

namespace {

class XSource final : public InputDeviceSource
{
public:
    XSource(XInput2Backend::Connection* connection, InputDeviceKind kind)
        : m_connection(connection), m_kind(kind)
    {
    }
    ~XSource() override
    {
        if (m_connection) {
            m_connection->forget(this);
            m_connection->select();
        }
    }
    XSource(const XSource&) = delete;
    XSource& operator=(const XSource&) = delete;

    bool acquire() override
    {
        if (!m_connection)
            return false;
        m_acquired = true;
        if (!m_connection->select())
            m_acquired = false;
        return m_acquired;
    }
    void unacquire() override
    {
        m_acquired = false;
        if (m_connection)
            m_connection->select();
    }
    bool healthy() const override { return m_connection != nullptr; }

    // The connection closed under the device.
    void detach()
    {
        m_connection = nullptr;
        m_acquired = false;
    }
    InputDeviceKind kind() const { return m_kind; }
    bool acquired() const { return m_acquired; }

private:
    XInput2Backend::Connection* m_connection;
    InputDeviceKind m_kind;
    bool m_acquired = false;
};

} // namespace

// Selects the raw events the acquired devices want (see xinput2::rawEvents), for every master
// device on the root window. Motion is never selected: it would wake the program on every move of the mouse
// for nothing.
bool XInput2Backend::Connection::select()
{
    if (!display)
        return false;
    EventMask wanted{};
    for (const XSource* s : sources) {
        if (!s->acquired())
            continue;
        for (const int event : xinput2::rawEvents(s->kind()))
            setBit(wanted, event);
    }
    if (wanted == selected)
        return true;

    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = static_cast<int>(wanted.size());
    mask.mask = wanted.data();
    bool ok;
    {
        XErrorTrap trap;
        XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
        XSync(display, False);
        ok = !trap.failed();
    }
    if (ok)
        selected = wanted;
    // The round trip may have moved events into Xlib's queue, where the socket no longer shows them.
    QTimer::singleShot(0, notifier.get(), [this] { drain(); });
    return ok;
}

void XInput2Backend::Connection::drain()
{
    while (display && XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode || !XGetEventData(display, cookie))
            continue;
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        std::optional<DIDEVICEOBJECTDATA> item;
        switch (cookie->evtype) {
        case XI_RawButtonPress:
            bench::rawButtonPress(raw->detail);
            [[fallthrough]];
        case XI_RawButtonRelease:
            item = xinput2::mouseItem(raw->detail, cookie->evtype == XI_RawButtonPress, raw->time);
            break;
        default:
            break;
        }
        XFreeEventData(display, cookie);
        if (item)
            dispatch(InputDeviceKind::Mouse, *item);
    }
}

void XInput2Backend::Connection::dispatch(InputDeviceKind kind, const DIDEVICEOBJECTDATA& item)
{
    // By index: a receiver could in principle let go of a device while items are handed out.
    for (size_t i = 0; i < sources.size(); ++i) {
        XSource* s = sources[i];
        if (s->kind() == kind && s->acquired() && s->deliver)
            s->deliver(item);
    }
}

XInput2Backend::XInput2Backend() : d(std::make_unique<Connection>()) {}

XInput2Backend::~XInput2Backend()
{
    close();
}

bool XInput2Backend::open()
{
    if (d->display)
        return true;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int opcode = 0, firstEvent = 0, firstError = 0;
    // Raw events exist from XInput 2.0; 2.1 and later deliver them even while another client
    // holds a grab, so the newest this code knows is asked for.
    int major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) ||
        XIQueryVersion(display, &major, &minor) != Success || major < 2) {
        XCloseDisplay(display);
        return false;
    }
    d->display = display;
    d->opcode = opcode;
    d->selected = {};
    d->notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(display), QSocketNotifier::Read);
    Connection* c = d.get();
    QObject::connect(d->notifier.get(), &QSocketNotifier::activated, d->notifier.get(), [c] { c->drain(); });
    return true;
}

std::unique_ptr<InputDeviceSource> XInput2Backend::openDevice(InputDeviceKind kind)
{
    if (!d->display)
        return nullptr;
    // The master pointer and keyboard stand for all mice and keyboards, as the system devices do.
    const int wantedUse = kind == InputDeviceKind::Mouse ? XIMasterPointer : XIMasterKeyboard;
    int count = 0;
    XIDeviceInfo* devices = XIQueryDevice(d->display, XIAllMasterDevices, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i)
        found = devices[i].use == wantedUse && devices[i].enabled;
    if (devices)
        XIFreeDeviceInfo(devices);
    if (!found)
        return nullptr;
    auto source = std::make_unique<XSource>(d.get(), kind);
    d->sources.push_back(source.get());
    return source;
}

void XInput2Backend::close()
{
    for (XSource* s : d->sources)
        s->detach();
    d->sources.clear();
    d->notifier.reset();
    if (d->display)
        XCloseDisplay(d->display);
    d->display = nullptr;
    d->selected = {};
}

} // namespace sora
