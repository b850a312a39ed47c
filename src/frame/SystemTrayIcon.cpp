#include "SystemTrayIcon.h"

namespace sora {

SystemTrayIcon::SystemTrayIcon() = default;
SystemTrayIcon::~SystemTrayIcon() = default;
bool SystemTrayIcon::isAvailable() const { return false; }
bool SystemTrayIcon::add(const NOTIFYICONDATAA&) { return false; }
bool SystemTrayIcon::remove(const NOTIFYICONDATAA&) { return false; }

} // namespace sora
