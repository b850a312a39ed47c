#pragma once

// A small DirectInput-style object layer: the program's input code talks to these objects the
// way it would to DirectInput 8, and a backend (X11 XInput2 raw events, or a fake in tests)
// feeds them. Items are buffered per device and notifications reach the receiver's DXCallback
// on the GUI thread.

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace sora {

inline constexpr int DIFORMAT_KEYBOARD = 1;
inline constexpr int DIFORMAT_MOUSE2 = 5;
inline constexpr int DISCL_EXCLUSIVE = 1;
inline constexpr int DISCL_NONEXCLUSIVE = 2;
inline constexpr int DISCL_FOREGROUND = 4;
inline constexpr int DISCL_BACKGROUND = 8;
inline constexpr int DIPH_DEVICE = 0;
// GetDeviceData flag: look at the items without taking them out of the buffer.
inline constexpr int DIGDD_PEEK = 1;

// Data offsets of the mouse format.
inline constexpr qint32 DIMOFS_X = 0;
inline constexpr qint32 DIMOFS_Y = 4;
inline constexpr qint32 DIMOFS_Z = 8;
inline constexpr qint32 DIMOFS_BUTTON0 = 12;
inline constexpr qint32 DIMOFS_BUTTON1 = 13;
inline constexpr qint32 DIMOFS_BUTTON2 = 14;
inline constexpr qint32 DIMOFS_BUTTON3 = 15; // fourth button: back
inline constexpr qint32 DIMOFS_BUTTON4 = 16; // fifth button: forward
inline constexpr qint32 DIMOFS_BUTTON5 = 17;
inline constexpr qint32 DIMOFS_BUTTON6 = 18;
inline constexpr qint32 DIMOFS_BUTTON7 = 19;

// lData of a button or key going down; 0 when it goes up.
inline constexpr qint32 DI_PRESSED = 0x80;
// lData of one wheel notch away from the user; towards the user is the negative.
inline constexpr qint32 WHEEL_DELTA = 120;

// Items a device buffer holds, and items one read fetches.
inline constexpr int DI_BUFFER_ITEMS = 10;

struct DIDEVICEOBJECTDATA
{
    qint32 lOfs = 0;
    qint32 lData = 0;
    qint32 lTimeStamp = 0;
    qint32 lSequence = 0;
    qint32 lUserData = 0;
};

struct DIPROPLONG
{
    qint32 lHow = 0;
    qint32 lObj = 0;
    qint32 lData = 0;
};

using DIDeviceData = std::array<DIDEVICEOBJECTDATA, DI_BUFFER_ITEMS>;

// The receiver of device notifications.
class DirectXEvent8
{
public:
    virtual ~DirectXEvent8() = default;
    virtual void DXCallback(qint32 eventId) = 0;
};

enum class InputDeviceKind
{
    Mouse,
    Keyboard
};

// One device as a backend provides it: it hands every new item to `deliver`, on the GUI thread.
class InputDeviceSource
{
public:
    virtual ~InputDeviceSource() = default;
    virtual bool acquire() = 0;
    virtual void unacquire() = 0;
    // False when reading fails (the device was lost); the layer then reports a failed read.
    virtual bool healthy() const { return true; }

    std::function<void(const DIDEVICEOBJECTDATA&)> deliver;
};

// Where input comes from: the X server through XInput2, or a test's fake.
class InputBackend
{
public:
    virtual ~InputBackend() = default;
    // False when there is no input system to talk to (no X display, no XInput2).
    virtual bool open() = 0;
    // Nothing when the system has no such device.
    virtual std::unique_ptr<InputDeviceSource> openDevice(InputDeviceKind kind) = 0;
    virtual void close() = 0;
};

namespace detail {
// The receivers registered with one DirectX8, shared with the devices made under it so that a
// notification never reaches a receiver whose DirectX8 is gone.
struct EventRouter;
} // namespace detail

class DirectInputDevice8;

class DirectInput8
{
public:
    DirectInput8(InputBackend& backend, std::weak_ptr<detail::EventRouter> router)
        : m_backend(backend), m_router(std::move(router))
    {
    }
    // "guid_SysMouse" or "GUID_SysKeyboard" (names compare without regard to case); nothing
    // when the device does not exist.
    std::unique_ptr<DirectInputDevice8> CreateDevice(const QString& guid);

private:
    InputBackend& m_backend;
    std::weak_ptr<detail::EventRouter> m_router;
};

// A device in shared background mode. Items arrive only while it is acquired; the buffer keeps
// the oldest ones and drops what comes when it is full. Each burst of new items gives one
// notification, delivered from the event loop.
class DirectInputDevice8
{
public:
    DirectInputDevice8(InputDeviceKind kind, std::unique_ptr<InputDeviceSource> source,
                       std::weak_ptr<detail::EventRouter> router);
    ~DirectInputDevice8();
    DirectInputDevice8(const DirectInputDevice8&) = delete;
    DirectInputDevice8& operator=(const DirectInputDevice8&) = delete;

    // DIFORMAT_MOUSE2 for a mouse, DIFORMAT_KEYBOARD for a keyboard. Not while acquired.
    bool SetCommonDataFormat(int format);
    // Shared background access (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) is all this layer offers.
    bool SetCooperativeLevel(quintptr window, int flags);
    // "DIPROP_BUFFERSIZE" sets how many items the buffer keeps (at most DI_BUFFER_ITEMS). A
    // device without a buffer size keeps no items, though it still notifies.
    bool SetProperty(const QString& property, const DIPROPLONG& value);
    // The identifier (from DirectX8::CreateEvent) to notify when new items arrive; 0 for none.
    bool SetEventNotification(qint32 eventId);
    bool Acquire();
    bool Unacquire();
    // Moves up to items.size() buffered items into `items`, oldest first; the number read, or
    // nothing when the read failed (device not acquired, or lost, or it keeps no buffer).
    // With DIGDD_PEEK the items stay in the buffer.
    std::optional<int> GetDeviceData(DIDeviceData& items, int flags);

private:
    struct Pending;
    void receive(const DIDEVICEOBJECTDATA& item);

    InputDeviceKind m_kind;
    std::unique_ptr<InputDeviceSource> m_source;
    std::weak_ptr<detail::EventRouter> m_router;
    std::shared_ptr<Pending> m_pending; // a notification posted and not yet delivered
    std::array<DIDEVICEOBJECTDATA, DI_BUFFER_ITEMS> m_buffer{};
    int m_count = 0;
    int m_capacity = 0;
    int m_format = 0;
    qint32 m_eventId = 0;
    bool m_acquired = false;
    qint32 m_sequence = 0;
};

class DirectX8
{
public:
    explicit DirectX8(InputBackend& backend);
    ~DirectX8();
    DirectX8(const DirectX8&) = delete;
    DirectX8& operator=(const DirectX8&) = delete;

    // Nothing when the input system cannot be opened.
    std::unique_ptr<DirectInput8> DirectInputCreate();
    // A new notification identifier whose notifications go to `receiver`; 0 without a receiver.
    qint32 CreateEvent(DirectXEvent8* receiver);
    // Calls the receiver registered for `eventId`, if any.
    void notify(qint32 eventId);

private:
    InputBackend& m_backend;
    std::shared_ptr<detail::EventRouter> m_router;
    bool m_opened = false;
};

} // namespace sora
