// Placeholder until the notification icon lands.
#include "MDIForm1.h"
#include "NotifyIcon.h"

namespace sora {
NOTIFYICONDATAA gTrayIcon;
void MDIForm1::FillTrayRecord() {}
void MDIForm1::MDIForm_Resize() {}
void MDIForm1::MDIForm_MouseMove(quint32) {}
} // namespace sora
