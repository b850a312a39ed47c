#pragma once

#include "station/RecorderCommand.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QWidget;

namespace sora {

class ChildWindow;
struct Platform;
struct ProbeReply;
struct ProbeVerdict;

// One confirmed recording on its way: the short listen to its stream, then the recorder's start
// or why it cannot start. It belongs to the main window, which lives for the whole run, so a
// player window closed meanwhile neither drops the recording nor loses what is said about it.
class RecordingStart final : public QObject
{
    Q_OBJECT
public:
    // `home` owns it, and shows the busy cursor and the messages once the player window is gone.
    RecordingStart(Platform& platform, QWidget* home);

    // Checks the page's values and listens to the stream of `command`, then starts the recorder
    // or says why not. The player window shows a busy cursor meanwhile and, while it is open,
    // the messages.
    void begin(const RecorderCommand& command, const QString& station, ChildWindow* player);
    // The program is ending: the recorder starts now, as after a stream too slow to answer,
    // instead of the exit waiting for the answer or dropping the recording.
    void startNow();
    // A scheduled recording: kept with its end, so that whichever run of the program is then
    // running stops it.
    void setEnds(const QDateTime& ends) { m_ends = ends; }
    bool checking() const { return m_checking; }

signals:
    // The check is over, whatever it found; the recorder has started or been refused.
    void checked();
    // The recorder of the stream at `address` started.
    void started(const QString& address);

private:
    void probe(const QUrl& address);
    void answered(const ProbeReply& reply);
    void start(RecorderCommand command, const ProbeVerdict& verdict);
    void playerGone();
    void endCheck();
    QWidget* shownOn() const;
    void tell(const QString& text, bool warning) const;

    Platform& m_platform;
    QWidget* const m_home;
    QPointer<ChildWindow> m_player;
    RecorderCommand m_command;
    QUrl m_probed; // the address the probe under way listens to
    int m_redirections = 0;
    QString m_station;
    QDateTime m_ends;
    bool m_checking = false;
    bool m_homeBusy = false; // the busy cursor moved to the home window
};

} // namespace sora
