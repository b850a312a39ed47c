#pragma once

#include "station/RetryPolicy.h"

#include <QObject>
#include <QString>

#include <chrono>

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

    // How long a station being brought back still counts as playing (and keeps the computer awake).
    static constexpr std::chrono::milliseconds kPlaysOnFor{10 * 60 * 1000};

    bool retrying() const { return m_playback.retrying(); }
    // Being brought back, and not for longer than kPlaysOnFor: for the listener it still plays.
    bool reconnecting() const { return m_playback.retrying() && !m_longGone; }
    // Tests shorten kPlaysOnFor.
    void setPlaysOnFor(std::chrono::milliseconds wait);

signals:
    void StatusTextChange(const QString& text);
    // reconnecting() changed.
    void ReconnectingChange();

private:
    void mediaReported(const MediaEvent& event);
    void loadStarted(const QString& address);
    void failed();
    void retry();
    void stop();
    void listenForNetwork();
    void settled();

    WebBrowser& m_browser;
    QTimer* m_retry;
    QTimer* m_playsOn;      // ends the time a drop still counts as playing
    bool m_longGone = false; // the station stayed away longer than that
    RetryPolicy m_playback;
    QString m_playingPage; // the page whose sound played last, as LocationURL spelled it
    bool m_listensForNetwork = false;
};

} // namespace sora
