#pragma once

#include <QWidget>

#include <functional>

class QListWidget;
class QPushButton;
class QTimer;
class QUrl;

namespace sora {

class SongSpool;
struct Platform;

// 録音一覧's "最近の曲": the last songs the stream tap kept (title, station, length, whole or from
// the middle), and 保存, which writes the chosen one into its station's folder in the recording
// folder, named as the recorder names its tracks.
class RecentSongs final : public QWidget
{
    Q_OBJECT
public:
    // `stationFolder` gives the folder the recorder writes the stream into, where it is known.
    RecentSongs(Platform& platform, SongSpool& spool, std::function<QString(const QUrl& stream)> stationFolder,
                QWidget* parent);

    void refresh();
    void save();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    Platform& m_platform;
    SongSpool& m_spool;
    std::function<QString(const QUrl&)> m_stationFolder;
    QListWidget* m_list;
    QPushButton* m_save;
    QTimer* m_timer;
};

} // namespace sora
