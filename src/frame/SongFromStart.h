#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

class QTimer;

namespace sora {

class SongSpool;
struct Platform;

// 録音 pressed mid-song: the song under way is written whole from the tap's spool, from its
// title change on, once it ends, into the folder the recorder writes the station into, named as
// the recorder names its tracks; a song that began before the station was tuned in goes where
// the recorder keeps its partial ones. It removes itself once done.
class SongFromStart final : public QObject
{
    Q_OBJECT
public:
    // Nothing is kept (and it goes at once) when the spool has no song of `address` under way.
    SongFromStart(Platform& platform, std::shared_ptr<SongSpool> spool, const QString& address, QObject* parent);

private:
    void look();
    QString stationFolder() const;

    Platform& m_platform;
    std::shared_ptr<SongSpool> m_spool;
    QUrl m_stream;
    int m_song = 0;
    int m_waits = 0; // looks at an ended song whose folder is not known yet
    QTimer* m_timer;
};

} // namespace sora
