#pragma once

#include "DirectInput.h"

#include <memory>
#include <optional>
#include <vector>

namespace sora {

// Input from the X server: XInput2 raw button events selected on the root window, so the side
// buttons are seen whichever window has the focus. Keys are never selected: they navigate
// nothing, and a program reading every keystroke on the desktop is a key logger; the keyboard
// device still opens and acquires, it just never has anything to report. It keeps an X
// connection of its own, read on the GUI thread whenever the server sends something.
class XInput2Backend final : public InputBackend
{
public:
    XInput2Backend();
    ~XInput2Backend() override;
    XInput2Backend(const XInput2Backend&) = delete;
    XInput2Backend& operator=(const XInput2Backend&) = delete;

    bool open() override;
    std::unique_ptr<InputDeviceSource> openDevice(InputDeviceKind kind) override;
    void close() override;

    struct Connection;

private:
    std::unique_ptr<Connection> d;
};

namespace xinput2 {

// The mouse item for X button `button` going down or up at `time`: buttons 1-3 and 8-12 are the
// eight buttons of the mouse format (8 is back, 9 forward), a wheel notch (4 away, 5 towards the
// user) moves the wheel axis on the press alone. Nothing for the horizontal wheel (6, 7) and
// buttons beyond 12.
std::optional<DIDEVICEOBJECTDATA> mouseItem(int button, bool press, unsigned long time);

// The raw XInput2 event types selected while a device of `kind` is acquired: button presses
// and releases for the mouse, nothing for the keyboard.
std::vector<int> rawEvents(InputDeviceKind kind);

} // namespace xinput2

} // namespace sora
