#include "WebEngineBrowser.h"

#include "AddressSpelling.h"
#include "Downloads.h"
#include "platform/BenchProbe.h"

#include <QDesktopServices>
#include <QDir>
#include <QLocale>
#include <QNetworkInformation>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <functional>
#include <tuple>

namespace sora {

namespace {

const QString kLoading = QStringLiteral("ページを読み込んでいます...");
const QString kDone = QStringLiteral("ページが表示されました");
const QString kFailed = QStringLiteral("ページを表示できませんでした");
const QString kCrashed = QStringLiteral("ページの表示が異常終了したため、再読み込みします。");
const QString kReconnecting = QStringLiteral("接続が切れたため、再接続します。");
// Texts about what a page hands to the desktop; %1 is the address or the file.
const QString kCannotOpen = QStringLiteral("%1 を開けませんでした。");
const QString kDownloaded = QStringLiteral("%1 をダウンロードしました。");
const QString kDownloadFailed = QStringLiteral("%1 をダウンロードできませんでした。");
const QString kNoFolder = QStringLiteral("%1 を保存するフォルダを作れないため、ダウンロードできません。");

// Watches the page's media elements from a world of the program's own, registered before any
// script of the page, so the page can neither stop nor see it. Media events do not bubble, but a
// capturing listener sees them on their way to the element, in every frame. It reports "playing",
// "paused" (the listener's pause, not the pause that comes with an end or an error), "failed" (an
// element that played reports an error, a live stream (no duration) ends, or the position stands
// still for some seconds while nobody paused) and "changed" for any other change of state; before
// "playing", "source" and the address the element plays (nothing once a file played to its end).
const char* const kMediaWatch = R"JS((() => {
  const say = (what) => console.info(%1 + " " + what);
  const played = new WeakSet(), live = new WeakSet(), moving = new Map();
  let stallCheck = 0;
  const on = (type, handler) => window.addEventListener(type, (e) => {
    if (e.target instanceof HTMLMediaElement) handler(e.target);
  }, true);
  const checkStalls = () => {
    const now = Date.now();
    for (const [m, s] of moving) {
      if (!m.isConnected) { moving.delete(m); continue; }
      if (m.paused || m.ended) continue;
      if (m.currentTime !== s.at) { s.at = m.currentTime; s.since = now; s.told = false; }
      else if (!s.told && now - s.since > %2) { s.told = true; say("failed"); }
    }
  };
  on("play", () => say("changed"));
  on("playing", (m) => {
    played.add(m);
    if (!isFinite(m.duration)) live.add(m);
    moving.set(m, {at: m.currentTime, since: Date.now(), told: false});
    // Only a page that has played pays for the check.
    if (!stallCheck) stallCheck = setInterval(checkStalls, 1000);
    say("source " + m.currentSrc);
    say("playing");
  });
  on("pause", (m) => {
    if (m.ended || m.error) return say("changed");
    moving.delete(m);
    say("paused");
  });
  on("ended", (m) => {
    moving.delete(m);
    if (live.has(m)) return say("failed");
    say("source ");
    say("changed");
  });
  on("emptied", () => say("changed"));
  on("error", (m) => { moving.delete(m); if (played.has(m)) say("failed"); });
})();)JS";
// How long the position may stand still before a stream counts as stalled: longer than a
// moment of buffering, short enough that the listener is not left in silence for long.
constexpr int kStallMs = 8000;

QUrl parsed(const QString& address) { return QUrl::fromUserInput(address); }

// A page's load event waits for its media: a station page's stream can hold it back for seconds
// or for good. The page is downloaded once its document is ready, so a script in a world of our
// own reports that moment through the console, with a token the page cannot know.
class BrowserPage final : public QWebEnginePage
{
public:
    explicit BrowserPage(QObject* parent) : QWebEnginePage(parent)
    {
        QWebEngineScript ready;
        ready.setName(QStringLiteral("sora-document-ready"));
        ready.setInjectionPoint(QWebEngineScript::DocumentReady);
        ready.setWorldId(QWebEngineScript::ApplicationWorld);
        ready.setRunsOnSubFrames(false);
        ready.setSourceCode(QStringLiteral("console.info(%1);").arg(quoted(token())));
        scripts().insert(ready);

        // Media of every frame, from each document's start on: the desktop's media controls
        // follow it, and a player window brings back a station that stopped by itself.
        QWebEngineScript watch;
        watch.setName(QStringLiteral("sora-media-watch"));
        watch.setInjectionPoint(QWebEngineScript::DocumentCreation);
        watch.setWorldId(QWebEngineScript::ApplicationWorld);
        watch.setRunsOnSubFrames(true);
        watch.setSourceCode(QString::fromUtf8(kMediaWatch).arg(quoted(token())).arg(kStallMs));
        scripts().insert(watch);
    }

    std::function<void()> onDocumentReady;
    std::function<void(QStringView)> onMedia;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override
    {
        if (message == token()) {
            if (onDocumentReady)
                onDocumentReady();
        } else if (message.startsWith(token() + QLatin1Char(' ')) && onMedia) {
            onMedia(QStringView(message).mid(token().size() + 1));
        }
    }

private:
    static const QString& token()
    {
        static const QString t = QUuid::createUuid().toString(QUuid::WithoutBraces);
        return t;
    }
    static QString quoted(const QString& text) { return QLatin1Char('"') + text + QLatin1Char('"'); }
};

// Walks the frames a script of ours may enter (the page's own site) and runs the command on every
// media element there; answers [playing, paused, unreachable]. The mark of a pause of ours lives
// in our own script world, out of the page's sight.
const char* const kMediaScript = R"((function (command) {
  var all = [], unreachable = false;
  (function visit(win) {
    var doc = null;
    try { doc = win.document; } catch (e) {}
    if (!doc) { unreachable = true; return; }
    var found = doc.querySelectorAll('audio, video');
    for (var i = 0; i < found.length; ++i) all.push(found[i]);
    for (var j = 0; j < win.frames.length; ++j) visit(win.frames[j]);
  })(window);
  var ours = all.filter(function (m) { return m.__soraPaused; });
  all.forEach(function (m) {
    if (command === 'pause' && !m.paused) {
      m.pause();
      m.__soraPaused = true;
    } else if (command === 'resume' && m.paused && (ours.length ? m.__soraPaused : m.currentSrc)) {
      m.__soraPaused = false;
      var p = m.play();
      if (p) p.catch(function () {});
    }
  });
  var state = [0, 0, unreachable];
  all.forEach(function (m) {
    if (!m.paused) state[0]++;
    else if (m.currentSrc && !m.ended) state[1]++;
  });
  return state;
})('%1'))";

} // namespace

std::chrono::milliseconds CrashReloadLimiter::wait(Clock::time_point now) const
{
    if (!m_last || now - *m_last >= m_interval)
        return std::chrono::milliseconds(0);
    return std::chrono::ceil<std::chrono::milliseconds>(*m_last + m_interval - now);
}

WebEngineBrowser::WebEngineBrowser(QWidget* parent)
    : m_view(new QWebEngineView(parent)), m_crashReload(new QTimer(this)), m_retry(new QTimer(this))
{
    setParent(m_view);
    m_crashReload->setSingleShot(true);
    connect(m_crashReload, &QTimer::timeout, this, &WebEngineBrowser::reloadAfterCrash);
    m_retry->setSingleShot(true);
    connect(m_retry, &QTimer::timeout, this, &WebEngineBrowser::retryPlayback);
    auto* page = new BrowserPage(m_view);
    m_view->setPage(page);
    // The engine sends no Accept-Language of its own: ask in the program's language.
    page->profile()->setHttpAcceptLanguage(QLocale().bcp47Name());
    page->onMedia = [this](QStringView what) {
        if (what.startsWith(u"source ")) {
            setPlayingSource(what.mid(7).toString());
            return;
        }
        if (what == u"paused")
            setPlayingSource(QString());
        emit MediaChange();
        if (m_recoversPlayback)
            mediaReport(what);
    };
    connect(page, &QWebEnginePage::titleChanged, this, &WebBrowser::TitleChange);
    connect(page, &QWebEnginePage::recentlyAudibleChanged, this, &WebBrowser::AudibleChange);
    page->onDocumentReady = [this] {
        m_reportedThisLoad = true;
        emit StatusTextChange(kDone);
        emit DownloadComplete();
    };
    // Station pages start their stream on opening, as the directory expects.
    m_view->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    m_view->setContextMenuPolicy(Qt::NoContextMenu);
    m_view->setAccessibleName(QStringLiteral("ブラウザ"));

    connect(m_view, &QWebEngineView::loadStarted, this, [this] {
        // A load of the user's own (or the reload timer's) replaces a pending crash reload.
        m_crashReload->stop();
        m_reportedThisLoad = false;
        emit StatusTextChange(kLoading);
    });
    // Another page than the one that played (the listener's, 再接続's) ends what was being
    // brought back; a reload of that page (a retry, the timer, a crash) does not, nor does a
    // download, which leaves the page as it is.
    connect(m_view, &QWebEngineView::urlChanged, this, [this](const QUrl& url) {
        const auto document = [](const QUrl& u) { return u.adjusted(QUrl::RemoveFragment); };
        if (!m_playingSource.isEmpty() && !sameAddress(document(url), document(m_playingPage)))
            setPlayingSource(QString());
        if (!m_playingPage.isEmpty() && !sameAddress(document(url), document(m_playingPage))) {
            m_playingPage.clear();
            m_playback.navigated();
            m_retry->stop();
        }
    });
    // Loads without a document of their own (errors, downloads) are reported when they end.
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        bench::pageLoaded(ok);
        if (!m_reportedThisLoad || !ok) {
            m_reportedThisLoad = true;
            emit StatusTextChange(ok ? kDone : kFailed);
            emit DownloadComplete();
        }
        // A try whose page did not load is followed by the next one sooner.
        if (!ok && m_playback.retrying())
            playbackFailed();
    });
    // A killed or crashed page process leaves the view blank, and a station's stream stopped:
    // the page is loaded again. A normal end is the program closing.
    connect(page, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status, int) {
                pageProcessEnded(status != QWebEnginePage::NormalTerminationStatus);
            });
    // What a page opens outside itself goes to the desktop: a window the listener asked for by a
    // click opens in the desktop's browser, pop-ups are dropped, downloads are saved.
    connect(page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated())
            handOver(request.requestedUrl(), displayAddress(request.requestedUrl()));
    });
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* download) {
                // One profile serves every window: each takes its own page's downloads.
                if (download->page() == m_view->page())
                    startDownload(download);
            });
    // Each status text repaints the whole main window, browser views included: a clear that
    // changes nothing would add one such repaint for every page that opens.
    connect(m_view->page(), &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (const std::optional<QString> text = hoverStatus(url, m_overLink))
            emit StatusTextChange(*text);
    });
}

QWidget* WebEngineBrowser::widget() { return m_view; }

void WebEngineBrowser::pageProcessEnded(bool abnormal)
{
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

void WebEngineBrowser::setRecoversPlayback(bool on)
{
    m_recoversPlayback = on;
}

void WebEngineBrowser::mediaReport(QStringView what)
{
    if (what == u"playing") {
        m_playback.playing();
        m_playingPage = m_view->url();
        m_retry->stop();
    } else if (what == u"paused") {
        m_playback.paused();
        m_retry->stop();
    } else if (what == u"failed") {
        playbackFailed();
    }
}

void WebEngineBrowser::setPlayingSource(const QString& source)
{
    if (source == m_playingSource)
        return;
    m_playingSource = source;
    emit PlayingSourceChange();
}

void WebEngineBrowser::playbackFailed()
{
    const bool first = !m_playback.retrying();
    const std::optional<PlaybackRecovery::Wait> wait = m_playback.failed();
    if (!wait)
        return;
    if (first) {
        // Kept for every try: a failed try leaves an error page in the view.
        m_retryAddress = addressShown();
        listenForNetwork();
    }
    emit StatusTextChange(kReconnecting);
    m_retry->start(*wait);
}

void WebEngineBrowser::retryPlayback()
{
    if (!m_playback.retrying() || m_retryAddress.isEmpty())
        return;
    // Armed before the load, so a page that loads but stays silent is tried again.
    m_retry->start(m_playback.retried());
    Navigate(m_retryAddress);
}

void WebEngineBrowser::listenForNetwork()
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

void WebEngineBrowser::handOver(const QUrl& url, const QString& name)
{
    if (!QDesktopServices::openUrl(url))
        emit StatusTextChange(kCannotOpen.arg(name));
}

void WebEngineBrowser::startDownload(QWebEngineDownloadRequest* download)
{
    QString name = download->suggestedFileName();
    if (name.isEmpty())
        name = QStringLiteral("download");
    const QString playlist = playlistExtension(download->mimeType(), name);
    QString folder;
    if (!playlist.isEmpty()) {
        // A folder of its own for each playlist: it stays for the player that opens it.
        QTemporaryDir temporary(QDir(QDir::tempPath()).filePath(QStringLiteral("sorawindow-XXXXXX")));
        temporary.setAutoRemove(false);
        folder = temporary.isValid() ? temporary.path() : QString();
        if (!name.endsWith(playlist, Qt::CaseInsensitive))
            name += playlist;
    } else {
        folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        if (!folder.isEmpty() && !QDir().mkpath(folder))
            folder.clear();
        if (!folder.isEmpty())
            name = freeFileName(folder, name);
    }
    if (folder.isEmpty()) {
        emit StatusTextChange(kNoFolder.arg(name));
        download->cancel();
        return;
    }
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(name);
    const QString path = QDir(folder).filePath(name);
    // The window may be closed before the file is in: the file is still handed over then.
    const QPointer<WebEngineBrowser> self(this);
    connect(download, &QWebEngineDownloadRequest::stateChanged, download,
            [self, path, isPlaylist = !playlist.isEmpty()](QWebEngineDownloadRequest::DownloadState state) {
                const QString shown = QDir::toNativeSeparators(path);
                if (state == QWebEngineDownloadRequest::DownloadCompleted) {
                    if (isPlaylist) {
                        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)) && self)
                            emit self->StatusTextChange(kCannotOpen.arg(shown));
                    } else if (self) {
                        emit self->StatusTextChange(kDownloaded.arg(shown));
                    }
                } else if (state == QWebEngineDownloadRequest::DownloadInterrupted && self) {
                    emit self->StatusTextChange(kDownloadFailed.arg(shown));
                }
            });
    download->accept();
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
    const char* name = command == MediaCommand::Pause    ? "pause"
                       : command == MediaCommand::Resume ? "resume"
                                                         : "query";
    const QPointer<WebEngineBrowser> self(this);
    m_view->page()->runJavaScript(QString::fromLatin1(kMediaScript).arg(QLatin1String(name)),
                                  QWebEngineScript::ApplicationWorld, [self, done](const QVariant& result) {
                                      if (!self || !done)
                                          return;
                                      const QVariantList list = result.toList();
                                      MediaState state;
                                      if (list.size() == 3) {
                                          state.playing = list.at(0).toInt();
                                          state.paused = list.at(1).toInt();
                                          state.unreachable = list.at(2).toBool();
                                      } else {
                                          state.unreachable = true; // no document a script could enter
                                      }
                                      done(state);
                                  });
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

WebBrowser* WebEngineBrowserFactory::create(QWidget* parent) { return new WebEngineBrowser(parent); }

} // namespace sora
