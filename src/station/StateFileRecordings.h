#pragma once

#include "platform/Recordings.h"

#include <QHash>

#include <functional>

class QSocketNotifier;

namespace sora {

// The real recordings: each start leaves a small state file in a folder only this user can
// reach, and a recorder counts as running while the process it names, with the same start time
// in the same boot, is alive, is this user's, runs in this program folder and is the recorder or
// the terminal showing it. A file names a process; it never makes one trusted: who a process is
// comes from the process table alone (ProcessIdentity.h).
class StateFileRecordings final : public Recordings
{
    Q_OBJECT
public:
    // State files live in `stateFolder`; only recordings of `programFolder` are listed.
    StateFileRecordings(QString stateFolder, QString programFolder);
    ~StateFileRecordings() override;

    // The per-user runtime folder's place for them, else one under the user's data home; never a
    // folder other users share.
    static QString defaultStateFolder();
    // Why `folder` cannot hold the state (Japanese), or empty: it must be a folder (not a link)
    // of this user's that no one else may enter. Made, 0700, when `create` and it is missing.
    static QString folderProblem(const QString& folder, bool create);

    QString problem() override;
    bool add(Recording recording) override;
    QList<Recording> running() override;
    bool stop(const Recording& recording, QString* error) override;
    QStringList openFiles(const Recording& recording) override;
    bool announcesEnds() const override { return m_announces; }

    // Tests: runs between the check of a process and what is then done to it (watched, signalled).
    void setAfterCheck(std::function<void(qint64 pid)> hook) { m_afterCheck = std::move(hook); }

private:
    // The recorder process itself, checked as a whole; 0 when there is none.
    qint64 recorderPid(const Recording& recording) const;
    bool isRecorder(qint64 pid) const;
    // Keeps a process descriptor of each listed recording's process: it turns readable when
    // the process ends, which is told as a change.
    void watchEnds(const QList<Recording>& listed);

    QString m_stateFolder;
    QString m_programFolder;
    QString m_bootId;
    bool m_announces;
    QHash<QString, QSocketNotifier*> m_ends;
    std::function<void(qint64)> m_afterCheck;
};

} // namespace sora
