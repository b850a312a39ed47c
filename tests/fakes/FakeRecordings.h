#pragma once

#include "platform/Recordings.h"
#include "platform/SleepInhibitor.h"

#include <QHash>
#include <QMap>

namespace sora::fakes {

// Recordings kept in memory: a recording runs until end() or a stop that succeeds.
class FakeRecordings final : public Recordings
{
public:
    QList<Recording> list;
    QString refusal;                  // problem()
    QString stopFailure;              // when set, stop() fails with it
    QHash<QString, QStringList> open; // id → the files its recorder holds open
    QStringList stopped;              // ids stop() was asked for
    int reads = 0;                    // calls of running()

    QString problem() override { return refusal; }
    bool add(Recording recording) override
    {
        if (!refusal.isEmpty())
            return false;
        recording.id = QStringLiteral("rec-%1").arg(++m_next);
        list.append(recording);
        emit changed();
        return true;
    }
    QList<Recording> running() override
    {
        ++reads;
        return refusal.isEmpty() ? list : QList<Recording>();
    }
    bool stop(const Recording& recording, QString* error) override
    {
        stopped.append(recording.id);
        if (!stopFailure.isEmpty()) {
            *error = stopFailure;
            return false;
        }
        end(recording.id);
        return true;
    }
    QStringList openFiles(const Recording& recording) override { return open.value(recording.id); }
    bool announces = false;
    bool announcesEnds() const override { return announces; }

    // The recorder ended.
    void end(const QString& id)
    {
        list.removeIf([&id](const Recording& r) { return r.id == id; });
        // Told later, from the event loop, as a process's end is.
        if (announces)
            QMetaObject::invokeMethod(this, &Recordings::changed, Qt::QueuedConnection);
    }

private:
    int m_next = 0;
};

// Records what is held off, by hold.
class FakeSleepInhibitor final : public SleepInhibitor
{
public:
    QMap<Hold, QString> held;
    void hold(Hold h, const QString& reason) override { held.insert(h, reason); }
    void release(Hold h) override { held.remove(h); }
};

} // namespace sora::fakes
