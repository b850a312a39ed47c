#pragma once

namespace sora {

// Ends the process at once: no further handler runs, no window is unloaded.
class EndProcess
{
public:
    virtual ~EndProcess() = default;
    [[noreturn]] virtual void end(int exitCode) = 0;
};

class RealEndProcess final : public EndProcess
{
public:
    [[noreturn]] void end(int exitCode) override;
};

} // namespace sora
