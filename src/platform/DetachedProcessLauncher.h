#pragma once

#include "ProcessLauncher.h"

namespace sora {

// Starts the program in its own session: in a minimised terminal window where a terminal
// emulator exists, else in the background with its output in the request's log file.
class DetachedProcessLauncher final : public ProcessLauncher
{
public:
    bool startDetached(const LaunchRequest& request, QString* error) override;
};

} // namespace sora
