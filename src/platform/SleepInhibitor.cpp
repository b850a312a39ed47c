#include "SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QVariantMap>

#include <array>

namespace sora {

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
constexpr uint kPortalSuspend = 4;

} // namespace

// One hold: what is wanted, what is held (a portal request or a logind lock) and whether an
// answer is awaited; a call is in flight at most once per hold, and what was wanted meanwhile
// is settled when it answers.
struct DBusSleepInhibitor::Private
{
    struct Slot
    {
        QString wanted;
        QString taken; // the reason last asked for, held or not
        QString request;
        QDBusUnixFileDescriptor lock;
        bool pending = false;
    };
    std::array<Slot, 3> holds;
    QObject context;
    bool noPortal = false;

    void settle(Hold hold)
    {
        Slot& s = holds[static_cast<size_t>(hold)];
        if (s.pending || s.wanted == s.taken)
            return;
        drop(s);
        if (s.wanted.isEmpty())
            return;
        s.taken = s.wanted;
        s.pending = true;
        if (noPortal || !QDBusConnection::sessionBus().isConnected())
            askLogind(hold);
        else
            askPortal(hold);
    }

    void drop(Slot& s)
    {
        if (!s.request.isEmpty())
            QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
                kPortal, s.request, QStringLiteral("org.freedesktop.portal.Request"),
                QStringLiteral("Close")));
        s.request.clear();
        s.lock = QDBusUnixFileDescriptor(); // closing the lock releases it
        s.taken.clear();
    }

    void askPortal(Hold hold)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kPortal, QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Inhibit"), QStringLiteral("Inhibit"));
        call << QString() << kPortalSuspend
             << QVariantMap{{QStringLiteral("reason"), holds[static_cast<size_t>(hold)].taken}};
        auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), &context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context, [this, hold, watcher] {
            watcher->deleteLater();
            Slot& s = holds[static_cast<size_t>(hold)];
            const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
            if (reply.isError()) {
                // No portal, or one without inhibiting: logind's lock from now on.
                noPortal = true;
                askLogind(hold);
                return;
            }
            s.request = reply.value().path();
            s.pending = false;
            settle(hold);
        });
    }

    void askLogind(Hold hold)
    {
        Slot& s = holds[static_cast<size_t>(hold)];
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
        call << (hold == Hold::Recording ? QStringLiteral("sleep:idle") : QStringLiteral("idle"))
             << QStringLiteral("ソラマド") << s.taken << QStringLiteral("block");
        const QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            s.pending = false;
            settle(hold);
            return;
        }
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), &context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &context, [this, hold, watcher] {
            watcher->deleteLater();
            Slot& slot = holds[static_cast<size_t>(hold)];
            const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
            // Without logind the computer sleeps as it always did: nothing to say.
            if (!reply.isError())
                slot.lock = reply.value();
            slot.pending = false;
            settle(hold);
        });
    }
};

DBusSleepInhibitor::DBusSleepInhibitor() : d(std::make_unique<Private>()) {}

DBusSleepInhibitor::~DBusSleepInhibitor() = default;

void DBusSleepInhibitor::hold(Hold hold, const QString& reason)
{
    d->holds[static_cast<size_t>(hold)].wanted = reason;
    d->settle(hold);
}

void DBusSleepInhibitor::release(Hold hold)
{
    d->holds[static_cast<size_t>(hold)].wanted.clear();
    d->settle(hold);
}

} // namespace sora
