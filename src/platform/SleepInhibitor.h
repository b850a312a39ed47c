#pragma once

#include <QString>

#include <memory>

namespace sora {

// Holds off the computer's automatic suspend while the program needs it awake: while recordings
// run, and while a station plays. The screen may still blank.
class SleepInhibitor
{
public:
    enum class Hold
    {
        Recording,
        Playing,
        Scheduled // a scheduled recording starts soon
    };

    virtual ~SleepInhibitor() = default;
    // Holds off suspend for `reason`, which the desktop may show; a new reason replaces the old.
    virtual void hold(Hold hold, const QString& reason) = 0;
    virtual void release(Hold hold) = 0;
};

// Through the desktop portal's inhibit, else logind's inhibitor lock; without either it does
// nothing, silently.
class DBusSleepInhibitor final : public SleepInhibitor
{
public:
    DBusSleepInhibitor();
    ~DBusSleepInhibitor() override;
    DBusSleepInhibitor(const DBusSleepInhibitor&) = delete;
    DBusSleepInhibitor& operator=(const DBusSleepInhibitor&) = delete;

    void hold(Hold hold, const QString& reason) override;
    void release(Hold hold) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace sora
