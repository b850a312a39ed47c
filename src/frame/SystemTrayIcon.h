#pragma once

#include "NotifyIcon.h"

namespace sora {

// The real notification area, through QSystemTrayIcon (XEmbed and StatusNotifier hosts alike).
class SystemTrayIcon final : public NotifyIcon
{
public:
    SystemTrayIcon();
    ~SystemTrayIcon() override;

    bool isAvailable() const override;
    bool add(const NOTIFYICONDATAA& data) override;
    bool remove(const NOTIFYICONDATAA& data) override;
};

} // namespace sora
