#pragma once

#include <QString>

namespace sora {

// One running program per user session.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;
    // True when this process now holds the instance; false when another one does.
    virtual bool acquire() = 0;
};

// A kernel lock (flock) on a file in the per-user runtime folder. The kernel drops it when the
// process ends in any way, so a killed program never leaves a stale lock behind, and two starts
// at the same instant cannot both win.
class LockFileInstance final : public SingleInstance
{
public:
    // Empty folder: the per-user runtime folder ($XDG_RUNTIME_DIR, else a private folder under /tmp).
    explicit LockFileInstance(QString folder = QString());
    ~LockFileInstance() override;
    LockFileInstance(const LockFileInstance&) = delete;
    LockFileInstance& operator=(const LockFileInstance&) = delete;

    bool acquire() override;
    QString lockPath() const;

private:
    QString m_folder;
    int m_fd = -1;
};

} // namespace sora
