#pragma once

#include "platform/NotifyIcon.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <memory>
#include <optional>

namespace sora {

// The real notification area, through QSystemTrayIcon (XEmbed and StatusNotifier hosts alike).
// The icon is created at its first showing: it needs the running application.
class SystemTrayIcon final : public NotifyIcon
{
public:
    SystemTrayIcon();
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    bool add(const NOTIFYICONDATAA& data) override;
    bool remove(const NOTIFYICONDATAA& data) override;
    void showMessage(const QString& title, const QString& text) override;

    // The message an activation of the icon stands for; 0 for none. A StatusNotifier host
    // (Plasma, GNOME's indicator extension, Xfce, LXQt) only ever activates an item, where an
    // XEmbed tray reports the clicks themselves: there an activation is what the double-click is,
    // or the window could never come back from the notification area.
    static quint32 messageFor(QSystemTrayIcon::ActivationReason reason, bool statusNotifierHost);

    // Whether a StatusNotifier watcher was on the session bus when first asked. Qt decides once,
    // at its first tray question, to use its StatusNotifier item when one is; so is this.
    bool statusNotifierHost() const;

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
    mutable std::optional<bool> m_statusNotifier;
};

} // namespace sora
