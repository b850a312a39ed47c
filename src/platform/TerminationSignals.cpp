#include "TerminationSignals.h"

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace sora {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The pipe's two ends; the write end is all the handler touches.
int g_pipe[2] = {-1, -1};
QPointer<QSocketNotifier> g_notifier;

extern "C" void onTerminationSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void setDisposition(void (*handler)(int))
{
    struct sigaction action
    {
    };
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals)
        ::sigaction(s, &action, nullptr);
}

void drainPipe()
{
    char buffer[64];
    while (::read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
}

} // namespace

void watchTerminationSignals(QObject* context, std::function<void()> onSignal)
{
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // without a pipe the signals keep their default: they end the program unsaved
    delete g_notifier.data();
    drainPipe(); // a signal meant for an earlier watcher is not this one's

    auto* notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, context);
    g_notifier = notifier;
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [onSignal = std::move(onSignal), done = false]() mutable {
                         drainPipe();
                         // Later signals (a session's SIGHUP after its SIGTERM) must not cut the
                         // close short, so the handler stays and they are dropped here.
                         if (done)
                             return;
                         done = true;
                         onSignal();
                     });
    // Once nobody listens, the signals must end the program again rather than vanish in the pipe.
    QObject::connect(notifier, &QObject::destroyed, [] { setDisposition(SIG_DFL); });
    setDisposition(onTerminationSignal);
}

} // namespace sora
