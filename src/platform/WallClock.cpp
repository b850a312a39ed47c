#include "WallClock.h"

#include <QDBusConnection>
#include <QMetaMethod>
#include <QSocketNotifier>

#include <sys/timerfd.h>
#include <unistd.h>

namespace sora {

void SystemWallClock::connectNotify(const QMetaMethod& signal)
{
    if (signal == QMetaMethod::fromSignal(&WallClock::resumed) ||
        signal == QMetaMethod::fromSignal(&WallClock::clockChanged))
        watch();
}

void SystemWallClock::watch()
{
    if (m_watching)
        return;
    m_watching = true;
    QDBusConnection::systemBus().connect(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
        SLOT(prepareForSleep(bool)));
    m_fd = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        return;
    auto* notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        quint64 expirations = 0;
        // Fails with ECANCELED when the clock was set; the timer itself never expires.
        const bool set = ::read(m_fd, &expirations, sizeof expirations) < 0;
        armCancel();
        if (set)
            emit clockChanged();
    });
    armCancel();
}

SystemWallClock::~SystemWallClock()
{
    for (QSocketNotifier* n : findChildren<QSocketNotifier*>())
        delete n;
    if (m_fd >= 0)
        ::close(m_fd);
}

void SystemWallClock::armCancel()
{
    // An absolute time far ahead that the kernel cancels when the clock is set.
    itimerspec farAhead = {};
    farAhead.it_value.tv_sec = static_cast<time_t>(QDateTime::currentSecsSinceEpoch()) + 10LL * 365 * 24 * 3600;
    ::timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &farAhead, nullptr);
}

void SystemWallClock::prepareForSleep(bool start)
{
    if (!start)
        emit resumed();
}

} // namespace sora
