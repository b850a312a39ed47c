// The DirectInput-style layer on the fake backend, and how X raw events become items.
#include "FakeInput.h"
#include "platform/DirectInput.h"
#include "platform/XInput2Backend.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <X11/extensions/XInput2.h> // last: Xlib's macros

using namespace sora;
using namespace sora::fakes;

namespace {

struct Receiver final : DirectXEvent8
{
    QList<qint32> calls;
    void DXCallback(qint32 eventId) override { calls.append(eventId); }
};

class DirectInputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Notifications come from the event loop.
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "unit_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
    }

    // A device set up the way the program sets up its mouse.
    std::unique_ptr<DirectInputDevice8> mouse(qint32 eventId, int bufferSize = DI_BUFFER_ITEMS)
    {
        auto device = di->CreateDevice(QStringLiteral("GUID_SYSMOUSE"));
        EXPECT_TRUE(device && device->SetCommonDataFormat(DIFORMAT_MOUSE2) &&
                    device->SetCooperativeLevel(1, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND) &&
                    device->SetProperty(QStringLiteral("DIPROP_BUFFERSIZE"),
                                        DIPROPLONG{DIPH_DEVICE, 0, bufferSize}) &&
                    device->SetEventNotification(eventId) && device->Acquire());
        return device;
    }

    FakeInputBackend backend;
    std::unique_ptr<DirectX8> dx = std::make_unique<DirectX8>(backend);
    std::unique_ptr<DirectInput8> di = dx->DirectInputCreate();
    Receiver receiver;
    DIDeviceData items;
};

} // namespace

TEST_F(DirectInputTest, TheBufferKeepsTheOldestItemsAndAReadTakesThemInOrder)
{
    auto device = mouse(0);
    for (int i = 0; i < 12; ++i)
        backend.mouse->push(i, DI_PRESSED);
    ASSERT_EQ(device->GetDeviceData(items, DIGDD_PEEK), 10);
    ASSERT_EQ(device->GetDeviceData(items, 0), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(items[static_cast<size_t>(i)].lOfs, i);
    EXPECT_EQ(device->GetDeviceData(items, 0), 0);

    auto small = mouse(0, 3);
    for (int i = 0; i < 5; ++i)
        backend.mouse->push(i, DI_PRESSED);
    EXPECT_EQ(small->GetDeviceData(items, 0), 3);
}

TEST_F(DirectInputTest, OnlyAnAcquiredHealthyDeviceCollectsAndReads)
{
    auto device = mouse(0);
    device->Unacquire();
    backend.mouse->push(DIMOFS_BUTTON3, DI_PRESSED);
    EXPECT_FALSE(device->GetDeviceData(items, 0));
    ASSERT_TRUE(device->Acquire());
    EXPECT_EQ(device->GetDeviceData(items, 0), 0) << "what came while unacquired is not kept";

    // A lost device forgets its items and stays unacquired until acquired again.
    backend.mouse->push(DIMOFS_BUTTON3, DI_PRESSED);
    backend.mouse->lost = true;
    EXPECT_FALSE(device->GetDeviceData(items, 0));
    backend.mouse->lost = false;
    EXPECT_FALSE(device->GetDeviceData(items, 0));
    ASSERT_TRUE(device->Acquire());
    EXPECT_EQ(device->GetDeviceData(items, 0), 0);
}

TEST_F(DirectInputTest, ABurstGivesOneNotificationWithTheDevicesIdentifier)
{
    const qint32 mouseEvent = dx->CreateEvent(&receiver);
    const qint32 keyboardEvent = dx->CreateEvent(&receiver);
    auto device = mouse(mouseEvent);
    auto keyboard = di->CreateDevice(QStringLiteral("GUID_SysKeyboard"));
    ASSERT_TRUE(keyboard && keyboard->SetCommonDataFormat(DIFORMAT_KEYBOARD) &&
                keyboard->SetEventNotification(keyboardEvent) && keyboard->Acquire());

    backend.mouse->push(DIMOFS_BUTTON3, DI_PRESSED);
    backend.mouse->push(DIMOFS_BUTTON3, 0);
    EXPECT_TRUE(receiver.calls.isEmpty()) << "never from inside the backend's delivery";
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.calls, QList<qint32>{mouseEvent});

    // A keyboard without a buffer keeps nothing, yet its changes are announced; so are those
    // that find a full buffer.
    backend.keyboard->push(30, DI_PRESSED);
    for (int i = 0; i < DI_BUFFER_ITEMS; ++i)
        backend.mouse->push(DIMOFS_BUTTON0, DI_PRESSED);
    QCoreApplication::processEvents();
    EXPECT_EQ(receiver.calls, (QList<qint32>{mouseEvent, keyboardEvent, mouseEvent}));
    EXPECT_FALSE(keyboard->GetDeviceData(items, 0));
}

TEST_F(DirectInputTest, NothingIsNotifiedOnceTheDeviceOrTheRootObjectIsGone)
{
    auto gone = mouse(dx->CreateEvent(&receiver));
    backend.mouse->push(DIMOFS_BUTTON3, DI_PRESSED);
    gone.reset();
    QCoreApplication::processEvents();

    auto device = mouse(dx->CreateEvent(&receiver));
    backend.mouse->push(DIMOFS_BUTTON3, DI_PRESSED);
    di.reset();
    dx.reset();
    EXPECT_EQ(backend.closes, 1);
    QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.calls.isEmpty());
}

TEST(XInput2Items, ButtonsWheelAndKeysMapToTheDeviceFormats)
{
    const std::pair<int, qint32> buttons[] = {{1, DIMOFS_BUTTON0},
                                              {3, DIMOFS_BUTTON2},
                                              {8, DIMOFS_BUTTON3},
                                              {9, DIMOFS_BUTTON4},
                                              {12, DIMOFS_BUTTON7}};
    for (const auto& [button, offset] : buttons) {
        EXPECT_EQ(xinput2::mouseItem(button, true, 0)->lOfs, offset) << button;
        EXPECT_EQ(xinput2::mouseItem(button, true, 0)->lData, DI_PRESSED);
        EXPECT_EQ(xinput2::mouseItem(button, false, 0)->lData, 0);
    }
    EXPECT_EQ(xinput2::mouseItem(4, true, 0)->lOfs, DIMOFS_Z);
    EXPECT_EQ(xinput2::mouseItem(4, true, 0)->lData, 120);
    EXPECT_EQ(xinput2::mouseItem(5, true, 0)->lData, -120);
    EXPECT_FALSE(xinput2::mouseItem(5, false, 0)) << "a notch is one step, on its press";
    for (const int button : {6, 7, 13})
        EXPECT_FALSE(xinput2::mouseItem(button, true, 0)) << button;
    EXPECT_EQ(xinput2::mouseItem(1, true, 0xFFFFFFFFul)->lTimeStamp, -1);
}

TEST(XInput2, OnlyButtonEventsAreEverSelectedNeverKeys)
{
    EXPECT_EQ(xinput2::rawEvents(InputDeviceKind::Mouse),
              (std::vector<int>{XI_RawButtonPress, XI_RawButtonRelease}));
    // The keyboard device is acquired like the mouse, but nothing of the desktop's typing is read.
    EXPECT_TRUE(xinput2::rawEvents(InputDeviceKind::Keyboard).empty());
    for (const InputDeviceKind kind : {InputDeviceKind::Mouse, InputDeviceKind::Keyboard}) {
        for (const int event : xinput2::rawEvents(kind)) {
            EXPECT_NE(event, XI_RawKeyPress);
            EXPECT_NE(event, XI_RawKeyRelease);
            EXPECT_NE(event, XI_KeyPress);
            EXPECT_NE(event, XI_KeyRelease);
        }
    }
}
