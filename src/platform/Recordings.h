#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace sora {

// One recorder started by this program, as its state file keeps it.
struct Recording
{
    QString id;             // the state file's name
    qint64 pid = 0;         // the started process: the recorder or the terminal showing it
    quint64 startTicks = 0; // its start time in /proc, so a reused process id is never taken for it
    QString bootId;         // the boot it ran in: process ids and start times count from it
    QString station;        // the title strip's text when it started
    QString address;        // the stream address
    QDateTime started;
    QDateTime ends; // a scheduled recording is stopped then, also by a later run of the program
    QString folder; // the recording folder, resolved
    QString programFolder;
};

// The recorders this program folder started, also those started by an earlier run, and what
// may be done to them. The real one reads the process table and signals processes; GUI tests
// use a fake.
class Recordings : public QObject
{
    Q_OBJECT
public:
    // Why recordings cannot be kept or found again (Japanese, for 録音一覧); empty when they can.
    virtual QString problem() = 0;
    // Keeps a started recording (its pid must be alive); false when it cannot be kept.
    virtual bool add(Recording recording) = 0;
    // The running ones, oldest first.
    virtual QList<Recording> running() = 0;
    // Ends the recorder as its own interrupt key does, so it finishes its files; its terminal
    // then closes by itself. False, with the reason in Japanese, when it could not be signalled.
    virtual bool stop(const Recording& recording, QString* error) = 0;
    // The files the recorder process holds open now, as absolute paths without links; empty
    // once it ended or before it opened any.
    virtual QStringList openFiles(const Recording& recording) = 0;
    // Whether changed() also tells when a recording listed by running() ends, so nobody needs to
    // look again and again.
    virtual bool announcesEnds() const = 0;

signals:
    // A recording was added, or one ended (where announcesEnds()).
    void changed();
};

} // namespace sora
