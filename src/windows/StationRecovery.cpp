#include "StationRecovery.h"

#include "station/UrlValue.h"
#include "platform/WebBrowser.h"

#include <QNetworkInformation>
#include <QTimer>

namespace sora {

namespace {

const QString kReconnecting = QStringLiteral("接続が切れたため、再接続します。");
const QString kLongGone =
    QStringLiteral("放送局に10分間つながらないため、スリープを妨げるのをやめました。再接続は続けます。");

QString document(const QString& address)
{
    return address.section(u'#', 0, 0);
}

} // namespace

StationRecovery::StationRecovery(WebBrowser& browser, QObject* parent)
    : QObject(parent), m_browser(browser), m_retry(new QTimer(this)), m_playsOn(new QTimer(this))
{
    m_retry->setSingleShot(true);
    m_playsOn->setSingleShot(true);
    m_playsOn->setInterval(kPlaysOnFor);
    // A station that never comes back must not keep the computer awake for ever.
    connect(m_playsOn, &QTimer::timeout, this, [this] {
        if (!m_playback.retrying())
            return;
        m_longGone = true;
        emit StatusTextChange(kLongGone);
        emit ReconnectingChange();
    });
    connect(m_retry, &QTimer::timeout, this, &StationRecovery::retry);
    connect(&browser, &WebBrowser::MediaReport, this, &StationRecovery::mediaReported);
    connect(&browser, &WebBrowser::LoadStarted, this, &StationRecovery::loadStarted);
    // A try whose page did not load is followed by the next one sooner.
    connect(&browser, &WebBrowser::LoadFinished, this, [this](bool ok) {
        if (!ok && m_playback.retrying())
            failed();
    });
}

void StationRecovery::setPlaysOnFor(std::chrono::milliseconds wait)
{
    m_playsOn->setInterval(wait);
}

void StationRecovery::settled()
{
    const bool was = reconnecting();
    m_playsOn->stop();
    m_longGone = false;
    if (was != reconnecting())
        emit ReconnectingChange();
}

void StationRecovery::mediaReported(const MediaEvent& event)
{
    switch (event.kind) {
    case MediaEvent::Kind::Playing:
        m_playback.playing();
        m_playingPage = m_browser.LocationURL();
        m_retry->stop();
        settled();
        break;
    case MediaEvent::Kind::Paused:
        m_playback.paused();
        m_retry->stop();
        settled();
        break;
    case MediaEvent::Kind::Ended:
        // A live stream has no end of its own: its end is a drop. A file that ends has ended.
        if (event.live || IsStationPage(m_browser.LocationURL()))
            failed();
        break;
    case MediaEvent::Kind::Failed:
    case MediaEvent::Kind::Stalled:
        failed();
        break;
    case MediaEvent::Kind::Changed:
        break;
    }
}

void StationRecovery::loadStarted(const QString& address)
{
    // Only the page being brought back is loaded by the tries (and by a reload after a crash).
    // Any other load is the listener's or the page's: it ends the tries at once, before a try
    // could load the old station over it.
    if (!m_playingPage.isEmpty() && document(address) != document(m_playingPage))
        stop();
}

void StationRecovery::stop()
{
    m_playingPage.clear();
    m_playback.navigated();
    m_retry->stop();
    settled();
}

void StationRecovery::failed()
{
    const std::optional<RetryPolicy::Wait> wait = m_playback.failed();
    if (!wait || m_playingPage.isEmpty())
        return;
    listenForNetwork();
    emit StatusTextChange(kReconnecting);
    m_retry->start(*wait);
    if (!m_playsOn->isActive() && !m_longGone)
        m_playsOn->start();
}

void StationRecovery::retry()
{
    if (!m_playback.retrying() || m_playingPage.isEmpty())
        return;
    // Armed before the load, so a page that loads but stays silent is tried again.
    m_retry->start(m_playback.retried());
    m_browser.Navigate(m_playingPage);
}

void StationRecovery::listenForNetwork()
{
    if (m_listensForNetwork)
        return;
    m_listensForNetwork = true;
    // Loaded only once a station has dropped: most runs never need it.
    if (!QNetworkInformation::instance() &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    QNetworkInformation* network = QNetworkInformation::instance();
    if (!network || !network->supports(QNetworkInformation::Feature::Reachability))
        return;
    connect(network, &QNetworkInformation::reachabilityChanged, this,
            [this](QNetworkInformation::Reachability reachability) {
                // The network is back: no need to wait out the interval.
                if (reachability == QNetworkInformation::Reachability::Online && m_playback.retrying())
                    m_retry->start(0);
            });
}

} // namespace sora
