// The side buttons through the main window: which presses move the active child's browser, and
// how start-up ends when the input system is missing.
#include "Harness.h"
#include "windows/ChildWindow.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMdiArea>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

class InputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(h.load()); // the default layout: a player window, then a ping window
        ASSERT_EQ(h.main().windowCount(), 3);
        for (int i = 1; i <= 2; ++i) {
            // Somewhere to go back to, and then forward again.
            h.browser(i)->userOpens(QStringLiteral("http://d/station%1").arg(i));
            h.browser(i)->userOpens(QStringLiteral("http://d/other%1").arg(i));
        }
        activate(1);
        QCursor::setPos(frame().center());
    }

    QRect frame() const { return const_cast<Harness&>(h).main().frameGeometry(); }
    void activate(int i)
    {
        QCoreApplication::processEvents(); // activations still queued from opening the windows
        h.main().mdiArea->setActiveSubWindow(h.main().childAt(i));
        QCoreApplication::processEvents();
        ASSERT_EQ(h.main().mdiArea->activeSubWindow(), h.main().childAt(i));
    }

    // Items reach the device and the notification is delivered.
    void mouse(std::initializer_list<std::pair<qint32, qint32>> items)
    {
        for (const auto& [offset, data] : items)
            h.input.mouse->push(offset, data);
        QCoreApplication::processEvents();
    }
    void click(qint32 offset) { mouse({{offset, DI_PRESSED}, {offset, 0}}); }
    int steps(int i) const { return h.browser(i)->backSteps + h.browser(i)->forwardSteps; }

    Harness h;
};

} // namespace

TEST_F(InputTest, SideButtonsMoveTheActiveChildOfEitherKindWhileTheCursorIsOnTheMainWindow)
{
    for (int i = 1; i <= 2; ++i) {
        activate(i);
        const int otherSteps = steps(3 - i);
        click(DIMOFS_BUTTON3);
        EXPECT_EQ(h.browser(i)->LocationURL(), QStringLiteral("http://d/station%1").arg(i));
        click(DIMOFS_BUTTON4);
        EXPECT_EQ(h.browser(i)->LocationURL(), QStringLiteral("http://d/other%1").arg(i));
        EXPECT_EQ(steps(3 - i), otherSteps) << "only the active child moves";
    }

    // The right and bottom edges (left + width, top + height) are inside; one more is not.
    activate(1);
    const QRect f = frame();
    const int right = f.x() + f.width(), bottom = f.y() + f.height();
    int expected = steps(1);
    for (const QPoint inside : {QPoint(right, f.center().y()), QPoint(f.center().x(), bottom), f.topLeft()}) {
        QCursor::setPos(inside);
        click(DIMOFS_BUTTON3);
        click(DIMOFS_BUTTON4);
        EXPECT_EQ(steps(1), expected += 2) << inside.x() << "," << inside.y();
    }
    for (const QPoint outside :
         {QPoint(right + 1, f.center().y()), QPoint(f.center().x(), bottom + 1), QPoint(f.x() - 1, f.y())}) {
        QCursor::setPos(outside);
        click(DIMOFS_BUTTON3);
        EXPECT_EQ(steps(1), expected) << outside.x() << "," << outside.y();
    }
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST_F(InputTest, SideButtonsDoNothingWhileTheMainWindowIsMinimisedOrHidden)
{
    // The cursor stays where the window was: its last normal rectangle.
    const QPoint centre = frame().center();
    h.tray.available = false; // minimised on the taskbar, the window still "visible"
    h.main().setWindowState(Qt::WindowMinimized);
    QCursor::setPos(centre);
    EXPECT_FALSE(h.main().CursorInMainWindow());
    click(DIMOFS_BUTTON3);
    EXPECT_EQ(steps(1), 0);

    h.main().setWindowState(Qt::WindowNoState);
    h.main().hide();
    EXPECT_FALSE(h.main().CursorInMainWindow());
    click(DIMOFS_BUTTON3);
    EXPECT_EQ(steps(1), 0);

    h.main().show();
    EXPECT_TRUE(h.main().CursorInMainWindow());
    click(DIMOFS_BUTTON3);
    EXPECT_EQ(steps(1), 1);
}

TEST_F(InputTest, ReleasesOtherButtonsKeysAndAWorkspaceWithoutChildrenDoNothing)
{
    mouse({{DIMOFS_BUTTON3, 0},
           {DIMOFS_BUTTON4, 0},
           {DIMOFS_BUTTON0, DI_PRESSED},
           {DIMOFS_BUTTON2, DI_PRESSED},
           {DIMOFS_BUTTON5, DI_PRESSED},
           {DIMOFS_Z, 120},
           {DIMOFS_X, 5}});
    // Key items at the side buttons' offsets come from the keyboard, which is never acted on.
    h.input.keyboard->push(DIMOFS_BUTTON3, DI_PRESSED);
    h.input.keyboard->push(DIMOFS_BUTTON4, DI_PRESSED);
    QCoreApplication::processEvents();
    EXPECT_EQ(steps(1) + steps(2), 0);

    h.main().childAt(2)->close();
    h.main().childAt(1)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(h.main().windowCount(), 1);
    click(DIMOFS_BUTTON3);
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST_F(InputTest, OneBatchMovesOnceAtMost)
{
    h.browser(1)->userOpens(QStringLiteral("http://d/third"));
    mouse({{DIMOFS_BUTTON3, DI_PRESSED},
           {DIMOFS_BUTTON3, 0},
           {DIMOFS_BUTTON3, DI_PRESSED},
           {DIMOFS_BUTTON4, DI_PRESSED}});
    EXPECT_EQ(h.browser(1)->backSteps, 1);
    EXPECT_EQ(h.browser(1)->forwardSteps, 0);

    // The rest of that batch is gone: the next press is handled on its own.
    click(DIMOFS_BUTTON3);
    EXPECT_EQ(h.browser(1)->backSteps, 2);
}

TEST_F(InputTest, AFailedReadReacquiresAndHandlesNothing)
{
    FakeDeviceSource* device = h.input.mouse;
    ASSERT_EQ(device->acquireCalls, 1);
    device->lost = true;
    click(DIMOFS_BUTTON3);
    EXPECT_EQ(steps(1), 0);
    EXPECT_EQ(device->acquireCalls, 2);
    EXPECT_TRUE(h.messages.shown.isEmpty());

    device->lost = false;
    click(DIMOFS_BUTTON3);
    EXPECT_EQ(h.browser(1)->backSteps, 1);
}

namespace {

struct PressCounter final : QWidget
{
    using QWidget::QWidget;
    QList<Qt::MouseButton> pressed;
    void mousePressEvent(QMouseEvent* e) override { pressed.append(e->button()); }
};

bool press(QWidget* w, Qt::MouseButton button)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)), button, button,
                  Qt::NoModifier);
    return QCoreApplication::sendEvent(w, &e);
}

} // namespace

// Left to the windows, a side button would move the browser under the cursor a second step and
// make the child under it the active one.
TEST_F(InputTest, SideButtonsAreTheDevicesAloneWhileInputIsSetUp)
{
    auto* target = new PressCounter(h.main().childAt(2)->widget());
    EXPECT_TRUE(press(target, Qt::BackButton));
    EXPECT_TRUE(press(target, Qt::ForwardButton));
    press(target, Qt::LeftButton);
    EXPECT_EQ(target->pressed, QList<Qt::MouseButton>{Qt::LeftButton});

    h.main().ReleaseInput();
    press(target, Qt::BackButton);
    EXPECT_EQ(target->pressed, (QList<Qt::MouseButton>{Qt::LeftButton, Qt::BackButton}));
}

namespace {

struct MissingInput
{
    const char* what;
    void (*setUp)(FakeInputBackend&);
    QString message;
    MsgIcon icon;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const MissingInput& c, std::ostream* os)
{
    *os << c.what;
}

class InputStartupFailure : public ::testing::TestWithParam<MissingInput>
{
};

} // namespace

TEST_P(InputStartupFailure, ShowsItsMessageAndEndsWithoutSaving)
{
    const MissingInput& c = GetParam();
    Harness h;
    const QByteArray before = "[MainForm]\r\nTop=0\r\n[SubForm]\r\nCount=0\r\n";
    h.writeIni(before);
    c.setUp(h.input);

    EXPECT_FALSE(h.load());
    EXPECT_EQ(h.end.exitCode, 1);
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].text, c.message);
    EXPECT_EQ(h.messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(h.messages.shown[0].icon, c.icon);
    EXPECT_EQ(h.readIni(), before);
    EXPECT_FALSE(h.main().isVisible());
    EXPECT_EQ(h.main().windowCount(), 1);
    EXPECT_EQ(h.input.closes, h.input.opens ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Input, InputStartupFailure,
    ::testing::Values(
        MissingInput{"NoInputSystem", [](FakeInputBackend& b) { b.opens = false; },
                     QStringLiteral("DirectInputオブジェクトが生成できません。"), MsgIcon::None},
        MissingInput{"NoMouse", [](FakeInputBackend& b) { b.hasMouse = false; },
                     QStringLiteral("Mouse用DirectInputDeviceオブジェクトが生成できません。"), MsgIcon::None},
        MissingInput{"NoKeyboard", [](FakeInputBackend& b) { b.hasKeyboard = false; },
                     QStringLiteral("Keyboard用DirectInputDeviceオブジェクトが生成できません。"),
                     MsgIcon::None},
        MissingInput{"KeyboardRefused", [](FakeInputBackend& b) { b.keyboardAcquireFails = true; },
                     QStringLiteral("Keyboard用DirectInputDeviceの入力の取得に失敗しました。"),
                     MsgIcon::Critical}),
    [](const ::testing::TestParamInfo<MissingInput>& param) { return std::string(param.param.what); });
