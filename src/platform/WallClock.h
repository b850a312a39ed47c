#pragma once

#include <QDateTime>
#include <QObject>

namespace sora {

// The time on the clock, and the two moments when a timer measured since boot goes wrong: the
// computer woke from sleep, or the clock was set. Tests use a fake that is set by hand.
class WallClock : public QObject
{
    Q_OBJECT
public:
    virtual QDateTime now() const = 0;

signals:
    void resumed();
    void clockChanged();
};

// The system clock; wakes from logind's PrepareForSleep(false) on the system bus, changes of the
// clock from a timer that the kernel cancels when the clock is set. Both are asked for only once
// someone listens (a schedule, in recording mode), not at every start.
class SystemWallClock final : public WallClock
{
    Q_OBJECT
public:
    SystemWallClock() = default;
    ~SystemWallClock() override;
    SystemWallClock(const SystemWallClock&) = delete;
    SystemWallClock& operator=(const SystemWallClock&) = delete;

    QDateTime now() const override { return QDateTime::currentDateTime(); }

protected:
    void connectNotify(const QMetaMethod& signal) override;

private slots:
    void prepareForSleep(bool start);

private:
    void watch();
    void armCancel();
    bool m_watching = false;
    int m_fd = -1;
};

} // namespace sora
