#include "SystemTrayIcon.h"

#include "app/Cp932.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

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
    statusNotifierHost(); // asked before Qt's own question, so both see the same bus
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool SystemTrayIcon::statusNotifierHost() const
{
    if (!m_statusNotifier) {
        const QDBusConnection bus = QDBusConnection::sessionBus();
        m_statusNotifier =
            bus.isConnected() && bus.interface() &&
            bus.interface()->isServiceRegistered(QStringLiteral("org.kde.StatusNotifierWatcher"));
    }
    return *m_statusNotifier;
}

quint32 SystemTrayIcon::messageFor(QSystemTrayIcon::ActivationReason reason, bool statusNotifierHost)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::Trigger:
        return statusNotifierHost ? WM_LBUTTONDBLCLK : WM_LBUTTONUP;
    case QSystemTrayIcon::Context:
        return WM_RBUTTONUP;
    case QSystemTrayIcon::MiddleClick:
        return WM_MBUTTONUP;
    case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
}

bool SystemTrayIcon::add(const NOTIFYICONDATAA& data)
{
    if (!m_icon) {
        statusNotifierHost();
        m_icon = std::make_unique<QSystemTrayIcon>();
        // No menu: only the clicks themselves go to the window, as the messages they stand for.
        QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(),
                         [this](QSystemTrayIcon::ActivationReason reason) {
                             const quint32 message = messageFor(reason, statusNotifierHost());
                             if (message != 0 && onMessage)
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

void SystemTrayIcon::showMessage(const QString& title, const QString& text)
{
    if (m_icon && m_icon->isVisible())
        m_icon->showMessage(title, text, QSystemTrayIcon::Information);
}

} // namespace sora
