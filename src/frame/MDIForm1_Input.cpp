// Mouse and keyboard input: the fourth and fifth mouse buttons move the active child window's
// browser back and forward while the cursor is over the main window.
#include "MDIForm1.h"
#include "SideButtonFilter.h"
#include "platform/EndProcess.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/WebBrowser.h"
#include "windows/ChildWindow.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMdiArea>

#include <exception>

namespace sora {

namespace {

constexpr int kCooperation = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;

// Nothing is saved on this end: start-up has not restored anything yet.
[[noreturn]] void endStartup(MDIForm1& main, const QString& text, MsgIcon icon)
{
    main.ReleaseInput(); // no notification may reach a half-built window while the box is up
    main.platform().messages.show(nullptr, text, MsgButtons::Ok, icon);
    main.platform().end.end(1);
}

} // namespace

void MDIForm1::InitInput()
{
    auto check = [this](bool ok, const QString& device, const QString& what) {
        if (!ok)
            endStartup(*this, QStringLiteral("%1用DirectInputDeviceの%2に失敗しました。").arg(device, what),
                       MsgIcon::Critical);
    };
    // The layer wants a token of the window the devices cooperate with; the window's own address
    // serves, and asking for a native handle here would create the window before it is placed.
    const auto window = reinterpret_cast<quintptr>(static_cast<QWidget*>(this));
    const QString mouse = QStringLiteral("Mouse");
    const QString keyboard = QStringLiteral("Keyboard");

    // 1.
    mDx = std::make_unique<DirectX8>(m_platform.input);
    mDi = mDx->DirectInputCreate();
    if (!mDi)
        endStartup(*this, QStringLiteral("DirectInputオブジェクトが生成できません。"), MsgIcon::None);

    // 2.
    mMouseDevice = mDi->CreateDevice(QStringLiteral("guid_SysMouse"));
    if (!mMouseDevice)
        endStartup(*this, QStringLiteral("Mouse用DirectInputDeviceオブジェクトが生成できません。"),
                   MsgIcon::None);

    // 3.-5.
    check(mMouseDevice->SetCommonDataFormat(DIFORMAT_MOUSE2), mouse, QStringLiteral("データ形式の設定"));
    check(mMouseDevice->SetCooperativeLevel(window, kCooperation), mouse, QStringLiteral("協調レベルの設定"));
    check(mMouseDevice->SetProperty(QStringLiteral("DIPROP_BUFFERSIZE"),
                                    DIPROPLONG{DIPH_DEVICE, 0, DI_BUFFER_ITEMS}),
          mouse, QStringLiteral("バッファサイズの設定"));

    // 6.
    mMouseEvent = mDx->CreateEvent(this);
    check(mMouseEvent != 0 && mMouseDevice->SetEventNotification(mMouseEvent), mouse,
          QStringLiteral("イベント通知の設定"));

    // 7.
    mKeyboardDevice = mDi->CreateDevice(QStringLiteral("GUID_SysKeyboard"));
    if (!mKeyboardDevice)
        endStartup(*this, QStringLiteral("Keyboard用DirectInputDeviceオブジェクトが生成できません。"),
                   MsgIcon::None);

    // 8. The keyboard gets no buffer: its notifications are never acted on.
    check(mKeyboardDevice->SetCommonDataFormat(DIFORMAT_KEYBOARD), keyboard,
          QStringLiteral("データ形式の設定"));
    check(mKeyboardDevice->SetCooperativeLevel(window, kCooperation), keyboard,
          QStringLiteral("協調レベルの設定"));

    // 9.
    mKeyboardEvent = mDx->CreateEvent(this);
    check(mKeyboardEvent != 0 && mKeyboardDevice->SetEventNotification(mKeyboardEvent), keyboard,
          QStringLiteral("イベント通知の設定"));

    // 10.
    check(mMouseDevice->Acquire(), mouse, QStringLiteral("入力の取得"));
    check(mKeyboardDevice->Acquire(), keyboard, QStringLiteral("入力の取得"));

    if (QCoreApplication::instance())
        new SideButtonFilter(this);
}

void MDIForm1::DXCallback(qint32 eventId)
{
    // Failures end the callback quietly; the next notification is handled afresh.
    try {
        if (eventId != mMouseEvent || !mMouseDevice)
            return; // keyboard notifications end here

        DIDeviceData items;
        const std::optional<int> n = mMouseDevice->GetDeviceData(items, 0);
        if (!n) {
            mMouseDevice->Acquire();
            return;
        }

        for (int i = 0; i < *n; ++i) {
            const DIDEVICEOBJECTDATA& item = items[static_cast<size_t>(i)];
            if (item.lData != DI_PRESSED || (item.lOfs != DIMOFS_BUTTON3 && item.lOfs != DIMOFS_BUTTON4))
                continue;
            if (!CursorInMainWindow())
                continue;
            // The current child is the active one, and the last active one at moments when the
            // workspace has none active (another program has the focus, which is when
            // background input matters).
            auto* child = qobject_cast<ChildWindow*>(mdiArea->currentSubWindow());
            if (!child)
                return;
            const bool moved =
                item.lOfs == DIMOFS_BUTTON3 ? child->WebBrowser1->GoBack() : child->WebBrowser1->GoForward();
            if (moved)
                QCoreApplication::processEvents();
            return; // one step per notification: the rest of the batch is dropped
        }
    } catch (const std::exception&) {
    }
}

bool MDIForm1::CursorInMainWindow() const
{
    // A minimised or hidden window keeps its last normal rectangle, now covered by whatever
    // else is there: a press over that must not move the hidden player.
    if (!isVisible() || isMinimized())
        return false;
    const QPoint p = QCursor::pos();
    const QRect frame = frameGeometry();
    // A window rectangle whose right and bottom are left + width and top + height, both counted
    // as inside.
    const int left = frame.x(), top = frame.y();
    const int right = left + frame.width(), bottom = top + frame.height();
    return left <= p.x() && p.x() <= right && top <= p.y() && p.y() <= bottom;
}

void MDIForm1::ReleaseInput()
{
    delete findChild<QObject*>(QLatin1String(SideButtonFilter::kName), Qt::FindDirectChildrenOnly);
    if (mMouseDevice) {
        mMouseDevice->Unacquire();
        mMouseDevice.reset();
    }
    if (mKeyboardDevice) {
        mKeyboardDevice->Unacquire();
        mKeyboardDevice.reset();
    }
    mDi.reset();
    mDx.reset();
}

} // namespace sora
