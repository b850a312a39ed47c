#pragma once

#include "platform/NotifyIcon.h"

#include <QObject>

#include <memory>

class QSystemTrayIcon;

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

private:
    std::unique_ptr<QSystemTrayIcon> m_icon;
};

} // namespace sora
