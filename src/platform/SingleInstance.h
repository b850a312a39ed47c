#pragma once

#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace sora {

// One running program per user session.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;
    // True when this process now holds the instance; false when another one does.
    virtual bool acquire() = 0;
    // Not held: asks the running program to come forward. True when it was reached.
    virtual bool activateRunning() = 0;

    // Held: called when a later start asks this program to come forward.
    std::function<void()> onActivate;
};

// A kernel lock (flock) on a file in the per-user runtime folder. The kernel drops it when the
// process ends in any way, so a killed program never leaves a stale lock behind, and two starts
// at the same instant cannot both win. The holder listens on a local socket beside the lock, so a
// second start can bring a window back that is hidden in the notification area.
class LockFileInstance final : public SingleInstance
{
public:
    // Empty folder: the per-user runtime folder ($XDG_RUNTIME_DIR, else a private folder under /tmp).
    explicit LockFileInstance(QString folder = QString());
    ~LockFileInstance() override;
    LockFileInstance(const LockFileInstance&) = delete;
    LockFileInstance& operator=(const LockFileInstance&) = delete;

    bool acquire() override;
    bool activateRunning() override;
    QString lockPath() const;
    QString socketPath() const;

private:
    void listen();

    QString m_folder;
    int m_fd = -1;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace sora
