#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

namespace sora {

// One recorder started by this program, as its state file keeps it.
struct Recording
{
    QString id;             // the state file's name
    qint64 pid = 0;         // the started process: the recorder or the terminal showing it
    quint64 startTicks = 0; // its start time in /proc, so a reused process id is never taken for it
    QString station;        // the title strip's text when it started
    QString address;        // the stream address
    QDateTime started;
    QString folder;        // the recording folder, resolved
    QString stationFolder; // the station's folder the recorder makes in it (its stream name), if known
    QString programFolder;
};

// The recorders this program folder started, also those started by an earlier run: each start
// leaves a small state file in the per-user runtime folder, and a recorder counts as running
// while the process it names, with the same start time, is alive.
class Recordings final : public QObject
{
    Q_OBJECT
public:
    // State files live in `stateFolder`; only recordings of `programFolder` are listed.
    Recordings(QString stateFolder, QString programFolder);
    // The per-user runtime folder's place for them.
    static QString defaultStateFolder();

    // Keeps a started recording (its pid must be alive); false when its file cannot be written.
    bool add(Recording recording);
    // The running ones, oldest first; the files of ended ones are removed.
    QList<Recording> running();
    // Ends the recorder as its own interrupt key does, so it finishes its files; its terminal
    // then closes by itself. False, with the reason in Japanese, when it could not be signalled.
    bool stop(const Recording& recording, QString* error);

    // The recorder process itself: the started process, or its child in the terminal; 0 if gone.
    static qint64 recorderPid(const Recording& recording);
    // Start time of a process in clock ticks since boot; 0 when there is no such process.
    static quint64 processStartTicks(qint64 pid);
    // The station's folder in the recording folder; empty until the recorder made it.
    static QString stationFolderPath(const Recording& recording);
    // Bytes of the files the recorder wrote since it started.
    static qint64 bytesWritten(const Recording& recording);

signals:
    // A recording was added.
    void changed();

private:
    QString m_stateFolder;
    QString m_programFolder;
};

} // namespace sora
