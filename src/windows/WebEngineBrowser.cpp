#include "WebEngineBrowser.h"

#include "station/AddressSpelling.h"
#include "BrowserPage.h"
#include "PageDownloads.h"
#include "TapInterceptor.h"
#include "station/SongSpool.h"
#include "station/StreamTap.h"
#include "app/Globals.h"
#include "platform/BenchProbe.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMoveEvent>
#include <QTimer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <tuple>

namespace sora {

namespace {

const QString kLoading = QStringLiteral("ページを読み込んでいます...");
const QString kDone = QStringLiteral("ページが表示されました");
const QString kFailed = QStringLiteral("ページを表示できませんでした");
const QString kCrashed = QStringLiteral("ページの表示が異常終了したため、再読み込みします。");

QUrl parsed(const QString& address)
{
    return QUrl::fromUserInput(address);
}

} // namespace

std::chrono::milliseconds CrashReloadLimiter::wait(Clock::time_point now) const
{
    if (!m_last || now - *m_last >= m_interval)
        return std::chrono::milliseconds(0);
    return std::chrono::ceil<std::chrono::milliseconds>(*m_last + m_interval - now);
}

WebEngineBrowser::WebEngineBrowser(QWidget* parent, StreamTap* tap)
    : m_view(new QWebEngineView(parent)), m_page(new BrowserPage(m_view)),
      m_downloads(new PageDownloads(m_page)), m_crashReload(new QTimer(this))
{
    setParent(m_view);
    m_crashReload->setSingleShot(true);
    connect(m_crashReload, &QTimer::timeout, this, &WebEngineBrowser::reloadAfterCrash);
    m_view->setPage(m_page);
    if (tap) {
        auto* interceptor = new TapInterceptor(*tap, m_page);
        m_page->setUrlRequestInterceptor(interceptor);
        connect(tap, &StreamTap::Serving, this, [this, interceptor](const QUrl& stream, bool serving) {
            if (interceptor->tapped(stream))
                emit StreamTapped(stream, serving);
        });
        connect(tap, &StreamTap::Title, this, [this, interceptor](const QUrl& stream, const QString& title) {
            if (interceptor->tapped(stream))
                emit StreamTitle(stream, title);
        });
    }
    // The engine sends no Accept-Language of its own: ask in the program's language.
    m_page->profile()->setHttpAcceptLanguage(QLocale().bcp47Name());
    m_page->onMedia = [this](const MediaEvent& event) { emit MediaReport(event); };
    connect(m_page, &QWebEnginePage::titleChanged, this, &WebBrowser::TitleChange);
    connect(m_page, &QWebEnginePage::recentlyAudibleChanged, this, &WebBrowser::AudibleChange);
    m_page->onDocumentReady = [this] {
        m_reportedThisLoad = true;
        emit StatusTextChange(kDone);
        emit DownloadComplete();
    };
    connect(m_downloads, &PageDownloads::StatusTextChange, this, &WebBrowser::StatusTextChange);
    // A load that became a download leaves the page shown as it was: no failure to tell.
    connect(m_downloads, &PageDownloads::DownloadStarted, this, [this] { m_loadIsDownload = true; });
    // Station pages start their stream on opening, as the directory expects.
    m_view->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setAccessibleName(QStringLiteral("ブラウザ"));
    m_view->installEventFilter(this);

    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            return;
        // A load of the user's own (or the reload timer's) replaces a pending crash reload.
        m_crashReload->stop();
        m_reportedThisLoad = false;
        m_loadIsDownload = false;
        emit StatusTextChange(kLoading);
        const bool navigated = !m_navigated.isNull() && sameAddress(info.url(), parsed(m_navigated));
        emit LoadStarted(navigated ? m_navigated : spelledAddress(info.url()));
    });
    // Loads without a document of their own (errors, downloads) are reported when they end.
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        bench::pageLoaded(ok);
        if (!m_reportedThisLoad || !ok) {
            m_reportedThisLoad = true;
            emit StatusTextChange(ok || m_loadIsDownload ? kDone : kFailed);
            emit DownloadComplete();
        }
        emit LoadFinished(ok);
    });
    // A killed or crashed page process leaves the view blank, and a station's stream stopped:
    // the page is loaded again. A normal end is the program closing.
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                pageProcessEnded(status != QWebEnginePage::NormalTerminationStatus);
            });
    // Each status text repaints the whole main window, browser views included: a clear that
    // changes nothing would add one such repaint for every page that opens.
    connect(m_page, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (const std::optional<QString> text = hoverStatus(url, m_overLink))
            emit StatusTextChange(*text);
    });
}

QWidget* WebEngineBrowser::widget()
{
    return m_view;
}

bool WebEngineBrowser::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched == m_view) {
        // Everything it sits in up to the main window, whose own moves the engine follows.
        for (QWidget* w = m_view->parentWidget(); w && !w->isWindow(); w = w->parentWidget())
            w->installEventFilter(this);
    } else if (event->type() == QEvent::Move) {
        // The engine places the page on the screen (for screen readers and input methods) where
        // it was when the main window last moved: a move inside the window (the browser's Top as
        // the title strip comes and goes, a child window dragged) is told to its drawing widget,
        // which passes its new place on.
        for (QWidget* w : m_view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QMoveEvent moved(w->pos(), w->pos());
            QCoreApplication::sendEvent(w, &moved);
        }
    }
    return false;
}

void WebEngineBrowser::SetPageVisible(bool visible)
{
    // The view itself tells the page when it is hidden or shown; a hidden view's page stays hidden.
    m_view->page()->setVisible(visible && m_view->isVisible());
}

void WebEngineBrowser::pageProcessEnded(bool abnormal)
{
    // No page script is left to say that its elements went away.
    emit PageProcessEnded();
    if (!abnormal || m_crashReload->isActive())
        return;
    emit StatusTextChange(kCrashed);
    // Through the event loop even when due at once: the engine is still inside its own
    // notification of the ended process.
    m_crashReload->start(m_crashLimiter.wait(CrashReloadLimiter::Clock::now()));
}

void WebEngineBrowser::reloadAfterCrash()
{
    const QString address = addressShown();
    if (address.isEmpty())
        return;
    m_crashLimiter.reloaded(CrashReloadLimiter::Clock::now());
    Navigate(address);
}

QString WebEngineBrowser::addressShown() const
{
    // A process that died before its first page was shown leaves no address in the view.
    const QString shown = LocationURL();
    return shown.isEmpty() ? m_navigated : shown;
}

void WebEngineBrowser::Navigate(const QString& address)
{
    m_navigated = address;
    m_view->load(parsed(address));
}

bool WebEngineBrowser::GoBack()
{
    bench::browserStep(true);
    if (!m_view->history()->canGoBack())
        return false;
    m_view->back();
    return true;
}

bool WebEngineBrowser::GoForward()
{
    bench::browserStep(false);
    if (!m_view->history()->canGoForward())
        return false;
    m_view->forward();
    return true;
}

QString WebEngineBrowser::LocationURL() const
{
    const QUrl shown = m_view->url();
    if (!m_navigated.isNull() && sameAddress(shown, parsed(m_navigated)))
        return m_navigated;
    // Values are cut out of this text and handed on (the title strip, the recorder), so escapes
    // of ASCII stay as the page wrote them; only Japanese the engine escaped reads as text.
    return spelledAddress(shown);
}

QString WebEngineBrowser::Title() const
{
    // Until a page names itself the engine titles it with its address, which names no station.
    const QString title = m_view->page()->title();
    const QUrl url = m_view->page()->url();
    const auto decoded = [](const QString& text) { return QUrl::fromPercentEncoding(text.toUtf8()); };
    const QString shown = decoded(title);
    if (shown == decoded(url.toString()) || shown == decoded(url.toString(QUrl::RemoveScheme)).mid(2))
        return QString();
    return title;
}

bool WebEngineBrowser::RecentlyAudible() const
{
    return m_view->page()->recentlyAudible();
}

bool WebEngineBrowser::AudioMuted() const
{
    return m_view->page()->isAudioMuted();
}

void WebEngineBrowser::SetAudioMuted(bool muted)
{
    m_view->page()->setAudioMuted(muted);
}

void WebEngineBrowser::ControlMedia(MediaCommand command, std::function<void(const MediaState&)> done)
{
    m_page->controlMedia(command, std::move(done));
}

bool WebEngineBrowser::sameAddress(const QUrl& a, const QUrl& b)
{
    if (!a.isValid() || !b.isValid() || a.isEmpty() || b.isEmpty())
        return false;
    auto normal = [](const QUrl& u) {
        const QUrl n = u.adjusted(QUrl::NormalizePathSegments);
        const QString scheme = n.scheme().toLower();
        const int defaultPort = scheme == u"https" ? 443 : (scheme == u"http" ? 80 : -1);
        QString path = n.path(QUrl::FullyDecoded);
        if (path.isEmpty() && !n.host().isEmpty())
            path = QStringLiteral("/");
        return std::make_tuple(scheme, n.userInfo(), n.host().toLower(), n.port(defaultPort), path,
                               n.hasQuery(), n.query(QUrl::FullyDecoded), n.fragment(QUrl::FullyDecoded));
    };
    return normal(a) == normal(b);
}

QString WebEngineBrowser::displayAddress(const QUrl& url)
{
    return url.toDisplayString(QUrl::PrettyDecoded);
}

std::optional<QString> WebEngineBrowser::hoverStatus(const QString& url, bool& overLink)
{
    if (url.isEmpty() && !overLink)
        return std::nullopt;
    overLink = !url.isEmpty();
    return overLink ? displayAddress(QUrl(url)) : QString();
}

WebEngineBrowserFactory::WebEngineBrowserFactory() : m_tapWanted(qgetenv("SORA_STREAM_TAP") != "off") {}

WebEngineBrowserFactory::~WebEngineBrowserFactory()
{
    // The relay stops before the spool it writes goes.
    m_tap.reset();
    SongSpool::setCurrent(nullptr);
}

WebBrowser* WebEngineBrowserFactory::create(QWidget* parent)
{
    // Made with the first window, once the application is there.
    if (m_tapWanted && !m_tap) {
        // The last songs are kept in recording mode only.
        std::shared_ptr<SongSpool> spool;
        if (gPremium) {
            spool = std::make_shared<SongSpool>(SongSpool::userFolder());
            if (!spool->usable())
                spool.reset();
        }
        SongSpool::setCurrent(spool);
        m_tap = std::make_unique<StreamTap>(spool);
    }
    return new WebEngineBrowser(parent, m_tap.get());
}

} // namespace sora
