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
inline constexpr int DISCL_NONEXCLUSIVE = 2;
inline constexpr int DISCL_BACKGROUND = 8;
inline constexpr int DIPH_DEVICE = 0;

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

enum class InputDeviceKind { Mouse, Keyboard };

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

class DirectInputDevice8;

class DirectInput8
{
public:
    explicit DirectInput8(InputBackend& backend) : m_backend(backend) {}
    // "guid_SysMouse" or "GUID_SysKeyboard" (names compare without regard to case); nothing
    // when the device does not exist.
    std::unique_ptr<DirectInputDevice8> CreateDevice(const QString& guid);

private:
    InputBackend& m_backend;
};

class DirectInputDevice8
{
public:
    explicit DirectInputDevice8(std::unique_ptr<InputDeviceSource> source);
    ~DirectInputDevice8();
    DirectInputDevice8(const DirectInputDevice8&) = delete;
    DirectInputDevice8& operator=(const DirectInputDevice8&) = delete;

    bool SetCommonDataFormat(int format);
    bool SetCooperativeLevel(quintptr window, int flags);
    // "DIPROP_BUFFERSIZE" sets how many items the buffer keeps (at most DI_BUFFER_ITEMS).
    bool SetProperty(const QString& property, const DIPROPLONG& value);
    // The receiver and identifier to notify when new items arrive.
    bool SetEventNotification(qint32 eventId);
    bool Acquire();
    bool Unacquire();
    // Moves up to items.size() buffered items into `items`, oldest first; the number read, or
    // nothing when the read failed (device not acquired, or lost).
    std::optional<int> GetDeviceData(DIDeviceData& items, int flags);

    // Used by DirectX8: where notifications go.
    void bindNotifier(std::function<void(qint32)> notify) { m_notify = std::move(notify); }

private:
    void receive(const DIDEVICEOBJECTDATA& item);

    std::unique_ptr<InputDeviceSource> m_source;
    std::function<void(qint32)> m_notify;
    std::array<DIDEVICEOBJECTDATA, DI_BUFFER_ITEMS> m_buffer{};
    int m_count = 0;
    int m_capacity = 0;
    qint32 m_eventId = 0;
    bool m_acquired = false;
    qint32 m_sequence = 0;
};

class DirectX8
{
public:
    explicit DirectX8(InputBackend& backend) : m_backend(backend) {}
    ~DirectX8();
    DirectX8(const DirectX8&) = delete;
    DirectX8& operator=(const DirectX8&) = delete;

    // Nothing when the input system cannot be opened.
    std::unique_ptr<DirectInput8> DirectInputCreate();
    // A new notification identifier whose notifications go to `receiver`.
    qint32 CreateEvent(DirectXEvent8* receiver);
    // Notification identifiers are delivered through this; devices call it.
    void notify(qint32 eventId);

private:
    InputBackend& m_backend;
    std::vector<DirectXEvent8*> m_receivers; // index + 1 is the identifier
    bool m_opened = false;
};

} // namespace sora
