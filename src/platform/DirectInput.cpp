#include "DirectInput.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>

namespace sora {

namespace detail {

struct EventRouter
{
    std::vector<DirectXEvent8*> receivers; // index + 1 is the identifier

    void notify(qint32 eventId) const
    {
        if (eventId < 1 || eventId > static_cast<qint32>(receivers.size()))
            return;
        if (DirectXEvent8* receiver = receivers[static_cast<size_t>(eventId - 1)])
            receiver->DXCallback(eventId);
    }
};

} // namespace detail

struct DirectInputDevice8::Pending
{
    bool posted = false;
};

std::unique_ptr<DirectInputDevice8> DirectInput8::CreateDevice(const QString& guid)
{
    InputDeviceKind kind;
    if (guid.compare(QLatin1String("GUID_SysMouse"), Qt::CaseInsensitive) == 0)
        kind = InputDeviceKind::Mouse;
    else if (guid.compare(QLatin1String("GUID_SysKeyboard"), Qt::CaseInsensitive) == 0)
        kind = InputDeviceKind::Keyboard;
    else
        return nullptr;
    std::unique_ptr<InputDeviceSource> source = m_backend.openDevice(kind);
    if (!source)
        return nullptr;
    return std::make_unique<DirectInputDevice8>(kind, std::move(source), m_router);
}

DirectInputDevice8::DirectInputDevice8(InputDeviceKind kind, std::unique_ptr<InputDeviceSource> source,
                                       std::weak_ptr<detail::EventRouter> router)
    : m_kind(kind), m_source(std::move(source)), m_router(std::move(router)),
      m_pending(std::make_shared<Pending>())
{
    m_source->deliver = [this](const DIDEVICEOBJECTDATA& item) { receive(item); };
}

DirectInputDevice8::~DirectInputDevice8()
{
    if (m_acquired)
        m_source->unacquire();
    m_source->deliver = nullptr;
}

bool DirectInputDevice8::SetCommonDataFormat(int format)
{
    if (m_acquired)
        return false;
    const int expected = m_kind == InputDeviceKind::Mouse ? DIFORMAT_MOUSE2 : DIFORMAT_KEYBOARD;
    if (format != expected)
        return false;
    m_format = format;
    return true;
}

bool DirectInputDevice8::SetCooperativeLevel(quintptr window, int flags)
{
    if (m_acquired || window == 0)
        return false;
    // Exclusive or foreground access would need grabs and focus tracking the program never asks for.
    return flags == (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
}

bool DirectInputDevice8::SetProperty(const QString& property, const DIPROPLONG& value)
{
    if (m_acquired || property.compare(QLatin1String("DIPROP_BUFFERSIZE"), Qt::CaseInsensitive) != 0)
        return false;
    if (value.lHow != DIPH_DEVICE || value.lObj != 0 || value.lData < 0)
        return false;
    m_capacity = std::min(value.lData, DI_BUFFER_ITEMS);
    m_count = std::min(m_count, m_capacity);
    return true;
}

bool DirectInputDevice8::SetEventNotification(qint32 eventId)
{
    if (m_acquired || eventId < 0)
        return false;
    m_eventId = eventId;
    return true;
}

bool DirectInputDevice8::Acquire()
{
    if (m_format == 0)
        return false;
    if (m_acquired)
        return true;
    m_acquired = m_source->acquire();
    return m_acquired;
}

bool DirectInputDevice8::Unacquire()
{
    if (m_acquired)
        m_source->unacquire();
    m_acquired = false;
    return true;
}

std::optional<int> DirectInputDevice8::GetDeviceData(DIDeviceData& items, int flags)
{
    if (!m_acquired || m_capacity == 0)
        return std::nullopt;
    if (!m_source->healthy()) {
        // A lost device stops collecting and forgets what it held, until it is acquired again.
        m_source->unacquire();
        m_acquired = false;
        m_count = 0;
        return std::nullopt;
    }
    const int n = std::min(m_count, static_cast<int>(items.size()));
    std::copy_n(m_buffer.begin(), n, items.begin());
    if (!(flags & DIGDD_PEEK)) {
        std::copy(m_buffer.begin() + n, m_buffer.begin() + m_count, m_buffer.begin());
        m_count -= n;
    }
    return n;
}

void DirectInputDevice8::receive(const DIDEVICEOBJECTDATA& item)
{
    if (!m_acquired)
        return;
    if (m_count < m_capacity) {
        DIDEVICEOBJECTDATA& slot = m_buffer[static_cast<size_t>(m_count++)];
        slot = item;
        slot.lSequence = ++m_sequence;
    }
    // The device changed state even when its buffer had no room, so the receiver hears of it.
    if (m_eventId == 0 || m_pending->posted)
        return;
    // One notification per burst: a receiver reads the whole buffer each time, and a queued
    // call keeps the receiver out of the backend's read loop.
    m_pending->posted = true;
    auto deliverNotification = [pending = std::weak_ptr<Pending>(m_pending), router = m_router,
                                id = m_eventId] {
        const std::shared_ptr<Pending> p = pending.lock();
        if (!p)
            return; // the device is gone
        p->posted = false;
        if (const std::shared_ptr<detail::EventRouter> r = router.lock())
            r->notify(id);
    };
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, deliverNotification, Qt::QueuedConnection);
    else
        deliverNotification();
}

DirectX8::DirectX8(InputBackend& backend)
    : m_backend(backend), m_router(std::make_shared<detail::EventRouter>())
{
}

DirectX8::~DirectX8()
{
    m_router.reset(); // devices that outlive this object stop notifying
    if (m_opened)
        m_backend.close();
}

std::unique_ptr<DirectInput8> DirectX8::DirectInputCreate()
{
    if (!m_opened)
        m_opened = m_backend.open();
    if (!m_opened)
        return nullptr;
    return std::make_unique<DirectInput8>(m_backend, m_router);
}

qint32 DirectX8::CreateEvent(DirectXEvent8* receiver)
{
    if (!receiver)
        return 0;
    m_router->receivers.push_back(receiver);
    return static_cast<qint32>(m_router->receivers.size());
}

void DirectX8::notify(qint32 eventId)
{
    m_router->notify(eventId);
}

} // namespace sora
