#pragma once

#include <functional>

class QObject;

namespace sora {

// SIGTERM, SIGHUP and SIGINT ask the program to close like its close box does. The signal
// handler only wakes the GUI thread; `onSignal` runs there, once.
void watchTerminationSignals(QObject* context, std::function<void()> onSignal);

} // namespace sora
