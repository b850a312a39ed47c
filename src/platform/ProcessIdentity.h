#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace sora::process {

// Who a process is, as the process table tells it (/proc), and descriptors that hold on to one
// process whatever becomes of its id. Nothing here trusts what a file says of a process.

// The boot that process ids and start times count from.
QString bootId();
// Start time in clock ticks since boot; 0 when there is no such process, or it has ended.
quint64 startTicks(qint64 pid);
// Seconds since a process with that start time started.
double secondsSince(quint64 startTicks);
QStringList commandLine(qint64 pid);
// The process is this user's and runs in `folder`.
bool runsIn(qint64 pid, const QString& folder);
// The processes whose parent it is, whichever of its threads started them.
QList<qint64> childrenOf(qint64 pid);
// The files it holds open now, as absolute paths without links.
QStringList openFiles(qint64 pid);

// Process descriptors came with Linux 5.3.
bool canHold();
// A descriptor (close-on-exec) that holds the process: readable once it ended, and signalled
// rather than whatever process later gets its id. -1, with errno, when there is none.
int hold(qint64 pid);
// Sends `signal` to the held process; false, with errno, when it could not.
bool signalHeld(int fd, int signal);
// Asks the process to end as its interrupt key does: the held one where `fd` holds it, else (a
// kernel without process descriptors) the process of that id. 0, else the errno.
int interrupt(qint64 pid, int fd);
// Lets go of a descriptor from hold(); errno stays as it was.
void release(int fd);

} // namespace sora::process
