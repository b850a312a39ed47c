#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QPushButton;

namespace sora {

class Form1;
class MDIForm1;
class RecordingsWatch;
class RecordingsWindow;
class ScheduledRecordings;
struct Platform;
struct Recording;
struct RecorderCommand;

// Recording mode's part of the main window: the 録音一覧 command and window, the status bar's
// indicator, the watch over the recorders with the word when one ended by itself, and the checks
// of confirmed recordings, which are the main window's as they must outlive their player window.
class RecordingMode final : public QObject
{
    Q_OBJECT
public:
    // Adds the command and the indicator to `main`; recorders outlive the program, so those an
    // earlier run started are watched again at once.
    RecordingMode(MDIForm1& main, Platform& platform);

    QAction* const command;       // 録音一覧, the sixth command
    QPushButton* const indicator; // "● 録音中 N", on the status bar's right while recording

    void showList();
    RecordingsWindow* list() const;
    // Looks at the recorders again: the indicator's count, and what ended by itself.
    void watch();
    void record(Form1* player, const RecorderCommand& recorder, const QString& station);
    // The exit: recordings still being checked start at once rather than vanish.
    void startChecked();
    ScheduledRecordings* schedule() const { return m_schedule; }

private:
    void looked(const QList<Recording>& running);

    MDIForm1& m_main;
    Platform& m_platform;
    RecordingsWatch* m_watch;
    ScheduledRecordings* m_schedule;
    QPointer<RecordingsWindow> m_list;
};

} // namespace sora
