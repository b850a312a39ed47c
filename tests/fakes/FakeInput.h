#pragma once

#include "platform/DirectInput.h"

#include <memory>

namespace sora::fakes {

// A device whose items the test pushes in.
class FakeDeviceSource final : public InputDeviceSource
{
public:
    bool acquired = false;
    bool lost = false;         // reads fail while set
    bool acquireFails = false; // the system refuses the device
    int acquireCalls = 0;

    bool acquire() override
    {
        ++acquireCalls;
        acquired = !acquireFails;
        return acquired;
    }
    void unacquire() override { acquired = false; }
    bool healthy() const override { return !lost; }
    void push(qint32 offset, qint32 data)
    {
        if (deliver)
            deliver(DIDEVICEOBJECTDATA{offset, data, 0, 0, 0});
    }
};

class FakeInputBackend final : public InputBackend
{
public:
    bool opens = true;
    bool hasMouse = true;
    bool hasKeyboard = true;
    bool keyboardAcquireFails = false;
    FakeDeviceSource* mouse = nullptr; // owned by the device layer once opened
    FakeDeviceSource* keyboard = nullptr;
    int closes = 0;

    bool open() override { return opens; }
    std::unique_ptr<InputDeviceSource> openDevice(InputDeviceKind kind) override
    {
        if (kind == InputDeviceKind::Mouse ? !hasMouse : !hasKeyboard)
            return nullptr;
        auto device = std::make_unique<FakeDeviceSource>();
        device->acquireFails = kind == InputDeviceKind::Keyboard && keyboardAcquireFails;
        (kind == InputDeviceKind::Mouse ? mouse : keyboard) = device.get();
        return device;
    }
    void close() override { ++closes; }
};

} // namespace sora::fakes
