#pragma once

#include "platform/Recordings.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace sora {

struct Platform;

// 録音一覧: every recorder running from this program folder, with what it records and where,
// and a command to stop it and one to open its folder. The main window's watch over the
// recorders keeps it current while it is shown; it reads nothing of its own.
class RecordingsWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit RecordingsWindow(Platform& platform);

    static QString caption() { return QStringLiteral("録音一覧"); }
    // Shows these recordings (the running ones, as just read), with their times and sizes now.
    void refresh(const QList<Recording>& recordings);

signals:
    // The user stopped this recording: its end is no surprise.
    void stopped(const QString& id);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void rebuild(const QList<Recording>& recordings);
    void stop(const Recording& recording);

    Platform& m_platform;
    QVBoxLayout* m_rows;
    QLabel* m_empty;
    QStringList m_shownIds;
    QList<QLabel*> m_details;
};

// One recording's lines for the list.
QString RecordingDetails(const Recording& recording, const QDateTime& now);

} // namespace sora
