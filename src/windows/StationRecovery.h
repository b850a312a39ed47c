#pragma once

#include "PlaybackRecovery.h"

#include <QObject>
#include <QString>

class QTimer;

namespace sora {

class WebBrowser;
struct MediaEvent;

// Brings back a player window's station that stopped by itself (its stream failed, stalled or,
// being live, ended): loads the page that played again, sooner once the network is back, until
// sound plays. A pause ends it, and so does any load of another page, from its start on.
class StationRecovery final : public QObject
{
    Q_OBJECT
public:
    explicit StationRecovery(WebBrowser& browser, QObject* parent = nullptr);

    bool retrying() const { return m_playback.retrying(); }
    // A station page: its address names a stream server and mount, so what it plays is live.
    static bool isStationPage(const QString& address);

signals:
    void StatusTextChange(const QString& text);

private:
    void mediaReported(const MediaEvent& event);
    void loadStarted(const QString& address);
    void failed();
    void retry();
    void stop();
    void listenForNetwork();

    WebBrowser& m_browser;
    QTimer* m_retry;
    PlaybackRecovery m_playback;
    QString m_playingPage; // the page whose sound played last, as LocationURL spelled it
    bool m_listensForNetwork = false;
};

} // namespace sora
