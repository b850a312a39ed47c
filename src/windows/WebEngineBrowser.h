#pragma once

#include "PlaybackRecovery.h"
#include "platform/WebBrowser.h"

#include <QUrl>

#include <chrono>
#include <optional>

class QTimer;
class QWebEngineDownloadRequest;
class QWebEngineView;

namespace sora {

// When a window whose page process died loads its page again: at once, unless it did so less
// than `interval` ago, then once that much has passed. A page that kills its process as it opens
// is loaded again every interval, never in a tight loop, and never left blank for good.
class CrashReloadLimiter
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kInterval{5000};

    explicit CrashReloadLimiter(std::chrono::milliseconds interval = kInterval) : m_interval(interval) {}

    // How long to wait from `now` before the next reload.
    std::chrono::milliseconds wait(Clock::time_point now) const;
    void reloaded(Clock::time_point now) { m_last = now; }

private:
    std::chrono::milliseconds m_interval;
    std::optional<Clock::time_point> m_last;
};

// The real browser: a Qt WebEngine view.
class WebEngineBrowser final : public WebBrowser
{
    Q_OBJECT
public:
    explicit WebEngineBrowser(QWidget* parent);

    QWidget* widget() override;
    void Navigate(const QString& address) override;
    bool GoBack() override;
    bool GoForward() override;
    QString LocationURL() const override;
    QString Title() const override;
    bool RecentlyAudible() const override;
    bool AudioMuted() const override;
    void SetAudioMuted(bool muted) override;
    void ControlMedia(MediaCommand command, std::function<void(const MediaState&)> done) override;
    void setRecoversPlayback(bool on) override;
    QString PlayingSource() const override { return m_playingSource; }
    bool RecoveringPlayback() const override { return m_playback.retrying(); }

    // True when two addresses name the same page once the browser's own normalisation (lower-case
    // scheme and host, "/" for an empty path, percent-encoding) is undone.
    static bool sameAddress(const QUrl& a, const QUrl& b);
    // The address as an address bar shows it: percent-escapes of text decoded.
    static QString displayAddress(const QUrl& url);
    // The status text a link hover reports: the link's address, or the empty text once the
    // pointer leaves the link. Nothing when the status text does not change: the view also says
    // "no link" as each page opens, whether or not a link was hovered.
    static std::optional<QString> hoverStatus(const QString& url, bool& overLink);

private:
    void pageProcessEnded(bool abnormal);
    void reloadAfterCrash();
    QString addressShown() const;
    void mediaReport(QStringView what);
    void playbackFailed();
    void setPlayingSource(const QString& source);
    void retryPlayback();
    void listenForNetwork();
    // Opens an address or file with the desktop's own handler; `name` is what a failure names.
    void handOver(const QUrl& url, const QString& name);
    void startDownload(QWebEngineDownloadRequest* download);

    QWebEngineView* m_view;
    QTimer* m_crashReload;
    CrashReloadLimiter m_crashLimiter;
    QTimer* m_retry;
    PlaybackRecovery m_playback;
    QUrl m_playingPage; // the page whose sound played last
    QString m_playingSource;
    QString m_retryAddress;
    bool m_recoversPlayback = false;
    bool m_listensForNetwork = false;
    QString m_navigated; // text last passed to Navigate
    bool m_reportedThisLoad = false;
    bool m_overLink = false;
};

class WebEngineBrowserFactory final : public BrowserFactory
{
public:
    WebBrowser* create(QWidget* parent) override;
};

} // namespace sora
