#pragma once

#include "station/Schedule.h"

#include <QDialog>
#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QTimeEdit;

namespace sora {

struct Platform;
class ScheduleRunner;

// One entry as the listener sets it: the station, the start, the end (a time or a length),
// the repeat and whether it is on.
class ScheduleEditor final : public QDialog
{
    Q_OBJECT
public:
    ScheduleEditor(Platform& platform, const ScheduleEntry& entry, QWidget* parent);
    // The entry as the fields say; valid once accepted.
    ScheduleEntry entry() const { return m_entry; }

    QLineEdit* station;
    QDateTimeEdit* startEdit;
    QTimeEdit* endEdit;
    QSpinBox* lengthEdit;
    QComboBox* repeatEdit;
    QList<QCheckBox*> dayBoxes; // Monday first
    QCheckBox* enabledBox;

    void accept() override;

private:
    Platform& m_platform;
    ScheduleEntry m_entry;
};

// 予約録音: the scheduled recordings, and 追加, 編集 and 削除. Every change is saved at once and
// the runner looks again, so nothing waits for a restart.
class ScheduleWindow final : public QWidget
{
    Q_OBJECT
public:
    // `current` gives the station of the active player window (name, page address), if any.
    ScheduleWindow(Platform& platform, ScheduleRunner& runner,
                   std::function<std::pair<QString, QString>()> current);

    static QString caption() { return QStringLiteral("予約録音"); }
    QListWidget* list() const { return m_list; }
    // The editor open now, if any.
    ScheduleEditor* editor() const { return m_editor; }

    void add();
    void edit();
    void remove();

private:
    void refresh();
    void openEditor(const ScheduleEntry& entry, int index);
    void save(QList<ScheduleEntry> entries, int changed);

    Platform& m_platform;
    ScheduleRunner& m_runner;
    std::function<std::pair<QString, QString>()> m_current;
    QListWidget* m_list;
    QPointer<ScheduleEditor> m_editor;
};

} // namespace sora
