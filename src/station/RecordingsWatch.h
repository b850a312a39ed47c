#pragma once

#include "platform/Recordings.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QSet>

class QTimer;

namespace sora {

class SleepHolds;

// The watch over the running recorders: which run, which ended by themselves (not stopped from
// 録音一覧), the station folders found for them, and the hold on sleep while any runs. It looks
// again when the recordings tell a change, and every 2 s while figures are shown or the
// recordings cannot tell their ends; with nothing running, it reads nothing.
class RecordingsWatch final : public QObject
{
    Q_OBJECT
public:
    RecordingsWatch(Recordings& recordings, SleepHolds& holds, QObject* parent = nullptr);

    void look();
    // 録音一覧 is shown: its clocks and sizes are kept current.
    void setFiguresShown(bool shown) { m_figuresShown = shown; }
    // Stopped from 録音一覧: its end is no news.
    void stoppedByUser(const QString& id) { m_stoppedByUser.insert(id); }
    // The station folders 録音一覧 found: id → folder, kept while the recording runs.
    QHash<QString, QString>& stationFolders() { return m_stationFolders; }

signals:
    // What runs now, after each look.
    void Looked(const QList<Recording>& running);
    // A recording ended by itself: the station it recorded.
    void Ended(const QString& station);

private:
    Recordings& m_recordings;
    SleepHolds& m_holds;
    QTimer* m_timer;
    QMap<QString, QString> m_watched; // running recordings seen last: id → station
    QSet<QString> m_stoppedByUser;
    QHash<QString, QString> m_stationFolders;
    bool m_figuresShown = false;
};

} // namespace sora
