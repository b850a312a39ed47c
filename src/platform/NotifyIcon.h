#pragma once

#include <QIcon>
#include <QtGlobal>

#include <array>
#include <functional>

namespace sora {

inline constexpr quint32 NIM_ADD = 0;
inline constexpr quint32 NIM_DELETE = 2;
inline constexpr quint32 NIF_MESSAGE = 1;
inline constexpr quint32 NIF_ICON = 2;
inline constexpr quint32 NIF_TIP = 4;
inline constexpr quint32 WM_MOUSEMOVE = 0x200;
inline constexpr quint32 WM_LBUTTONUP = 0x202;
inline constexpr quint32 WM_LBUTTONDBLCLK = 0x203;
inline constexpr quint32 WM_RBUTTONUP = 0x205;
inline constexpr quint32 WM_MBUTTONUP = 0x208;

// The notification-icon record, in its first 88-byte form.
struct NOTIFYICONDATAA
{
    quint32 cbSize = 0;
    quint32 hWnd = 0; // the main window's X window
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    QIcon hIcon;                  // the main window's icon itself: there are no icon handles here
    std::array<char, 64> szTip{}; // code page 932: the name, a NUL, then blanks
};

// The notification area. Messages that happen over the icon (a double-click is
// WM_LBUTTONDBLCLK) go to `onMessage`.
class NotifyIcon
{
public:
    virtual ~NotifyIcon() = default;
    // False where there is no notification area to show an icon in.
    virtual bool isAvailable() const = 0;
    virtual bool add(const NOTIFYICONDATAA& data) = 0;
    virtual bool remove(const NOTIFYICONDATAA& data) = 0;
    // A passing notification from the icon, while it is shown.
    virtual void showMessage(const QString& title, const QString& text) = 0;

    std::function<void(quint32 message)> onMessage;
};

} // namespace sora
