#include "BrowserPage.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QUuid>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace sora {

namespace {

// Watches the page's media elements, registered before any script of the page, so the page can
// neither stop nor see it. Media events do not bubble, but a capturing listener sees them on their
// way to the element, in every frame. Each report names its kind and carries the counts of the
// frame's elements, so nobody has to ask the page again; a document going away reports none.
const char* const kMediaWatch = R"JS((() => {
  const frame = Math.random().toString(36).slice(2), fresh = "sora-fresh:";
  const known = new Set(), played = new WeakSet(), live = new WeakSet();
  const announced = new WeakMap(), clock = new Map(), moving = new Map();
  let stallCheck = 0;
  // A stream's address without the word a fresh load added to it.
  const plain = (src) => src.replace(/[?&]sora-fresh=\d+$/, "");
  const say = (kind, m, gone) => {
    let playing = 0, paused = 0;
    if (!gone) {
      for (const e of new Set([...document.querySelectorAll("audio, video"), ...known])) {
        if (!e.isConnected && e.paused) { known.delete(e); continue; }
        if (!e.paused) playing++;
        else if (e.currentSrc && !e.ended) paused++;
      }
    }
    const report = {k: kind, f: frame, p: playing, q: paused};
    if (kind === "ended") {
      // An end after more than the announced length played (a live stream whose first bytes
      // carried a file's length) is the end of a live stream, too.
      const length = announced.get(m);
      if (length !== undefined &&
          (m.currentTime > length + 0.5 || (clock.get(m)?.total ?? 0) > length * 1000 + 2000)) live.add(m);
      report.l = live.has(m);
    }
    // What plays, as its page named it: the word a fresh load added is no part of the stream.
    if (kind === "playing") report.s = plain(m.currentSrc);
    console.info(%1 + " " + JSON.stringify(report));
  };
  // A station page names its stream's server and mount in its address.
  const stationPage = () => {
    try { return /[?&]serv=[^&]/.test(top.location.search) && /[?&]mount=[^&]/.test(top.location.search); }
    catch (e) { return false; }
  };
  const run = (m, on) => {
    const c = clock.get(m) ?? {total: 0, since: 0};
    if (c.since) c.total += Date.now() - c.since;
    c.since = on ? Date.now() : 0;
    clock.set(m, c);
  };
  // The check of positions runs only while something plays: an idle page is never woken.
  const checkStalls = () => {
    const now = Date.now();
    for (const [m, s] of moving) {
      if (!m.isConnected || m.paused || m.ended) { moving.delete(m); continue; }
      if (m.currentTime !== s.at) { s.at = m.currentTime; s.since = now; s.told = false; }
      else if (!s.told && now - s.since > %2) { s.told = true; say("stalled", m); }
    }
    watchStalls();
  };
  const watchStalls = () => {
    if (moving.size && !stallCheck) stallCheck = setInterval(checkStalls, 1000);
    else if (!moving.size && stallCheck) { clearInterval(stallCheck); stallCheck = 0; }
  };
  const stop = (m) => { moving.delete(m); run(m, false); watchStalls(); };
  const on = (type, handler) => window.addEventListener(type, (e) => {
    if (e.target instanceof HTMLMediaElement) { known.add(e.target); handler(e.target); }
  }, true);
  on("durationchange", (m) => {
    if (!isFinite(m.duration)) live.add(m);
    else if (!announced.has(m)) announced.set(m, m.duration);
  });
  on("play", (m) => say("changed", m));
  on("playing", (m) => {
    played.add(m);
    if (!isFinite(m.duration)) live.add(m);
    run(m, true);
    moving.set(m, {at: m.currentTime, since: Date.now(), told: false});
    watchStalls();
    say("playing", m);
  });
  on("waiting", (m) => run(m, false));
  on("pause", (m) => {
    stop(m);
    say(m.ended || m.error ? "changed" : "paused", m);
  });
  on("ended", (m) => {
    stop(m);
    say("ended", m);
    // The engine keeps a live stream that it took for a file whole once it ended, and the page
    // loaded again would play it from memory: the next load of that stream asks its server anew.
    // Only live streams: the address of a file may not take a word added to it.
    if (played.has(m) && (live.has(m) || stationPage()))
      try { sessionStorage.setItem(fresh + plain(m.currentSrc), Date.now()); } catch (e) {}
  });
  on("loadstart", (m) => {
    const src = plain(m.currentSrc || m.src);
    let asked = 0;
    try { asked = Number(sessionStorage.getItem(fresh + src)); sessionStorage.removeItem(fresh + src); } catch (e) {}
    if (asked && Date.now() - asked < 600000)
      m.src = src + (src.includes("?") ? "&" : "?") + "sora-fresh=" + Date.now();
  });
  on("emptied", (m) => {
    stop(m); live.delete(m); announced.delete(m); clock.delete(m);
    say("changed", m);
  });
  on("error", (m) => { stop(m); say(played.has(m) ? "failed" : "changed", m); });
  window.addEventListener("pagehide", () => say("changed", null, true));
})();)JS";
// How long the position may stand still before a stream counts as stalled: longer than a
// moment of buffering, short enough that the listener is not left in silence for long.
constexpr int kStallMs = 8000;

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

// The mark of the program's own console messages: a token the page cannot know.
const QString& token()
{
    static const QString t = QUuid::createUuid().toString(QUuid::WithoutBraces);
    return t;
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

BrowserPage::BrowserPage(QObject* parent) : QWebEnginePage(parent)
{
    // A page's load event waits for its media: a station page's stream can hold it back for
    // seconds or for good. The page is downloaded once its document is ready.
    QWebEngineScript ready;
    ready.setName(QStringLiteral("sora-document-ready"));
    ready.setInjectionPoint(QWebEngineScript::DocumentReady);
    ready.setWorldId(QWebEngineScript::ApplicationWorld);
    ready.setRunsOnSubFrames(false);
    ready.setSourceCode(QStringLiteral("console.info(%1);").arg(quoted(token())));
    scripts().insert(ready);

    // Media of every frame, from each document's start on: the desktop's media controls follow
    // it, and a player window brings back a station that stopped by itself.
    QWebEngineScript watch;
    watch.setName(QStringLiteral("sora-media-watch"));
    watch.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watch.setWorldId(QWebEngineScript::ApplicationWorld);
    watch.setRunsOnSubFrames(true);
    watch.setSourceCode(QString::fromUtf8(kMediaWatch).arg(quoted(token())).arg(kStallMs));
    scripts().insert(watch);
}

void BrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                           const QString&)
{
    if (message == token()) {
        if (onDocumentReady)
            onDocumentReady();
    } else if (message.startsWith(token() + QLatin1Char(' ')) && onMedia) {
        if (const std::optional<MediaEvent> event =
                parseMediaReport(QStringView(message).mid(token().size() + 1)))
            onMedia(*event);
    }
}

std::optional<MediaEvent> BrowserPage::parseMediaReport(QStringView report)
{
    const QJsonObject o = QJsonDocument::fromJson(report.toUtf8()).object();
    static const QHash<QString, MediaEvent::Kind> kinds{
        {QStringLiteral("playing"), MediaEvent::Kind::Playing},
        {QStringLiteral("paused"), MediaEvent::Kind::Paused},
        {QStringLiteral("ended"), MediaEvent::Kind::Ended},
        {QStringLiteral("failed"), MediaEvent::Kind::Failed},
        {QStringLiteral("stalled"), MediaEvent::Kind::Stalled},
        {QStringLiteral("changed"), MediaEvent::Kind::Changed}};
    const auto kind = kinds.constFind(o.value(QLatin1String("k")).toString());
    if (kind == kinds.constEnd())
        return std::nullopt;
    MediaEvent event;
    event.kind = *kind;
    event.frame = o.value(QLatin1String("f")).toString();
    event.playing = o.value(QLatin1String("p")).toInt();
    event.paused = o.value(QLatin1String("q")).toInt();
    event.live = o.value(QLatin1String("l")).toBool();
    event.source = o.value(QLatin1String("s")).toString();
    return event;
}

void BrowserPage::controlMedia(MediaCommand command, std::function<void(const MediaState&)> done)
{
    const char* name = command == MediaCommand::Pause ? "pause" : "resume";
    const QPointer<BrowserPage> self(this);
    runJavaScript(QString::fromLatin1(kMediaScript).arg(QLatin1String(name)),
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

} // namespace sora
