#pragma once

#include "platform/WebBrowser.h"

#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>

class QTimer;
class QWebEngineView;

namespace sora {

class BrowserPage;
class PageDownloads;
class StreamTap;

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
    // A page's streams pass through `tap` where there is one.
    explicit WebEngineBrowser(QWidget* parent, StreamTap* tap = nullptr);

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
    void SetPageVisible(bool visible) override;

    // True when two addresses name the same page once the browser's own normalisation (lower-case
    // scheme and host, "/" for an empty path, percent-encoding) is undone.
    static bool sameAddress(const QUrl& a, const QUrl& b);
    // The address as an address bar shows it: percent-escapes of text decoded.
    static QString displayAddress(const QUrl& url);
    // The status text a link hover reports: the link's address, or the empty text once the
    // pointer leaves the link. Nothing when the status text does not change: the view also says
    // "no link" as each page opens, whether or not a link was hovered.
    static std::optional<QString> hoverStatus(const QString& url, bool& overLink);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pageProcessEnded(bool abnormal);
    void reloadAfterCrash();
    QString addressShown() const;

    QWebEngineView* m_view;
    BrowserPage* m_page;
    PageDownloads* m_downloads;
    QTimer* m_crashReload;
    CrashReloadLimiter m_crashLimiter;
    QString m_navigated; // text last passed to Navigate
    bool m_reportedThisLoad = false;
    bool m_loadIsDownload = false; // the load under way became a download: the page stays
    bool m_overLink = false;
};

// Makes browsers whose pages play their stations through one stream tap of the program's
// (none when SORA_STREAM_TAP is "off", for comparisons).
class WebEngineBrowserFactory final : public BrowserFactory
{
public:
    WebEngineBrowserFactory();
    ~WebEngineBrowserFactory() override;
    WebBrowser* create(QWidget* parent) override;

private:
    std::unique_ptr<StreamTap> m_tap;
    bool m_tapWanted;
};

} // namespace sora
