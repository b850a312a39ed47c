#include "SystemTrayIcon.h"

#include "app/Cp932.h"

#include <QSystemTrayIcon>

#include <algorithm>

namespace sora {

namespace {

QString tipText(const NOTIFYICONDATAA& data)
{
    const auto end = std::find(data.szTip.begin(), data.szTip.end(), '\0');
    return cp932::decode(QByteArray(data.szTip.data(), static_cast<qsizetype>(end - data.szTip.begin())));
}

} // namespace

SystemTrayIcon::SystemTrayIcon() = default;
SystemTrayIcon::~SystemTrayIcon() = default;

bool SystemTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool SystemTrayIcon::add(const NOTIFYICONDATAA& data)
{
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>();
        // No menu: only the clicks themselves go to the window, as the messages they stand for.
        QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             quint32 message = 0;
                             switch (reason) {
                             case QSystemTrayIcon::DoubleClick:
                                 message = WM_LBUTTONDBLCLK;
                                 break;
                             case QSystemTrayIcon::Trigger:
                                 message = WM_LBUTTONUP;
                                 break;
                             case QSystemTrayIcon::Context:
                                 message = WM_RBUTTONUP;
                                 break;
                             case QSystemTrayIcon::MiddleClick:
                                 message = WM_MBUTTONUP;
                                 break;
                             case QSystemTrayIcon::Unknown:
                                 return;
                             }
                             if (onMessage)
                                 onMessage(message);
                         });
    }
    if (data.uFlags & NIF_ICON)
        m_icon->setIcon(data.hIcon);
    if (data.uFlags & NIF_TIP)
        m_icon->setToolTip(tipText(data));
    m_icon->show();
    return QSystemTrayIcon::isSystemTrayAvailable() && m_icon->isVisible();
}

bool SystemTrayIcon::remove(const NOTIFYICONDATAA&)
{
    if (!m_icon)
        return false;
    m_icon->hide();
    return true;
}

} // namespace sora
