#pragma once

#include <QObject>
#include <QPointer>

namespace sora {

class MDIForm1;
class RecordingsWindow;
class ScheduleRunner;
class ScheduleWindow;
struct Platform;

// Recording mode's scheduled recordings: the runner of the entries, its starts through the same
// path as 録音, what it missed on the status bar and in 録音一覧, and the 予約録音 window.
class ScheduledRecordings final : public QObject
{
    Q_OBJECT
public:
    ScheduledRecordings(MDIForm1& main, Platform& platform, QObject* parent);

    // 録音一覧 lists what was missed and opens 予約録音.
    void showIn(RecordingsWindow* list);
    void showWindow();
    ScheduleWindow* window() const;
    ScheduleRunner* runner() const { return m_runner; }

private:
    MDIForm1& m_main;
    Platform& m_platform;
    ScheduleRunner* m_runner;
    QPointer<RecordingsWindow> m_list;
    QPointer<ScheduleWindow> m_window;
};

} // namespace sora
