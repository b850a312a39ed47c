#pragma once

#include "DirectInput.h"

namespace sora {

// Input from the X server: XInput2 raw events selected on the root window, so buttons and keys
// are seen whichever window has the focus.
class XInput2Backend final : public InputBackend
{
public:
    XInput2Backend();
    ~XInput2Backend() override;

    bool open() override;
    std::unique_ptr<InputDeviceSource> openDevice(InputDeviceKind kind) override;
    void close() override;
};

} // namespace sora
