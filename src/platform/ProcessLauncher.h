#pragma once

#include <QString>
#include <QStringList>

namespace sora {

// A program to start and forget.
struct LaunchRequest
{
    QString program;           // as the command line names it, e.g. "./streamripper.exe"
    QStringList arguments;     // each reaches the program as exactly one argument
    QString workingDirectory;  // the program starts here
    QString title;             // title of its terminal window, where it gets one
    QString logFile;           // its output, when there is no terminal to show it in
    QStringList environment{}; // KEY=VALUE entries set for it (and its terminal) over our own
};

// Starts programs that outlive this one: in their own session, never waited for, no handle kept.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    // False, with the reason in `error` (Japanese, for the user), when the program did not start.
    // `pid`, when given, receives the started process: the program, or the terminal showing it.
    virtual bool startDetached(const LaunchRequest& request, QString* error, qint64* pid) = 0;
    bool startDetached(const LaunchRequest& request, QString* error)
    {
        return startDetached(request, error, nullptr);
    }
};

} // namespace sora
