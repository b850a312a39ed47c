#pragma once

#include "ProcessLauncher.h"

namespace sora {

// Starts the program in its own session: in a minimised terminal window where a terminal
// emulator exists, else in the background with its output in the request's log file.
class DetachedProcessLauncher final : public ProcessLauncher
{
public:
    // Shows programs in xterm when it is on PATH and there is an X display to show it on.
    DetachedProcessLauncher();
    // Shows programs in `terminal` (an xterm-compatible emulator); empty runs them in the background.
    explicit DetachedProcessLauncher(QString terminal);

    using ProcessLauncher::startDetached;
    bool startDetached(const LaunchRequest& request, QString* error, qint64* pid) override;

    // The terminal the next program will be shown in; empty for the background.
    QString terminal() const;

    // Whether `commandLine` is that of a terminal this launcher started to show `program` (as its
    // command line names it, e.g. "./streamripper.exe").
    static bool showsProgram(const QStringList& commandLine, const QString& program);

private:
    bool m_lookUp;
    QString m_terminal;
};

} // namespace sora
