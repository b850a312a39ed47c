#pragma once

namespace sora {

// Ends the process at once: no further handler runs, no window is unloaded.
class EndProcess
{
public:
    virtual ~EndProcess() = default;
    [[noreturn]] void end(int exitCode);

protected:
    // Must not return: the real one exits, a test's fake throws.
    virtual void doEnd(int exitCode) = 0;
};

class RealEndProcess final : public EndProcess
{
protected:
    void doEnd(int exitCode) override;
};

} // namespace sora
