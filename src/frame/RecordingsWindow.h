#pragma once

#include "platform/Recordings.h"
#include "station/RecorderFolder.h"

#include <QFutureWatcher>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace sora {

class SongSpool;
struct Platform;

// 録音一覧: every recorder running from this program folder, with what it records and where,
// and a command to stop it and one to open its folder. The main window's watch over the
// recorders keeps it current while it is shown; the sizes and tracks are read off the window's
// thread, so a folder of any size never holds the window up.
class RecordingsWindow final : public QWidget
{
    Q_OBJECT
public:
    // `stationFolders` keeps the station folders found (recording id → folder) beyond this window.
    RecordingsWindow(Platform& platform, QHash<QString, QString>& stationFolders);

    static QString caption() { return QStringLiteral("録音一覧"); }
    // Shows these recordings (the running ones, as just read) and starts reading their progress.
    void refresh(const QList<Recording>& recordings);
    // The station folder the recording's recorder writes into, once its files showed it; empty
    // before.
    QString stationFolder(const Recording& recording);
    // The scheduled airings that were not recorded, one line each, shown above the list.
    void setMissed(const QStringList& lines);

signals:
    // The user stopped this recording: its end is no surprise.
    void stopped(const QString& id);
    // The progress read last is shown.
    void progressShown();
    // 予約録音… was chosen.
    void scheduleRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    using Progress = QHash<QString, RecorderFolder::Progress>;
    void rebuild(const QList<Recording>& recordings);
    void showDetails();
    void readProgress();
    void stop(const Recording& recording, QPushButton* button);

    Platform& m_platform;
    QVBoxLayout* m_rows;
    QLabel* m_empty;
    QLabel* m_missed;
    QList<Recording> m_shown;
    QList<QLabel*> m_details;
    // Found once, kept: the recorder's files leave no doubt, and between tracks it may hold none.
    QHash<QString, QString>& m_stationFolders;
    Progress m_progress;
    QFutureWatcher<Progress> m_reading;
    std::shared_ptr<SongSpool> m_spool; // the last songs, kept while the window shows them
};

// One recording's lines for the list; `progress` is null until its folder was first read.
QString RecordingDetails(const Recording& recording, const QDateTime& now,
                         const RecorderFolder::Progress* progress);

} // namespace sora
