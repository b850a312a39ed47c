#include "BrowserPage.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QUuid>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace sora {

namespace {

// How long the position may stand still before a stream counts as stalled: longer than a
// moment of buffering, short enough that the listener is not left in silence for long.
constexpr int kStallMs = 8000;

// A script of resources/scripts/, which the program carries in itself.
QString pageScript(const QString& name)
{
    QFile file(QStringLiteral(":/sora/scripts/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

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
    // The media watch (media-watch.js) marks its reports with our token.
    watch.setSourceCode(pageScript(QStringLiteral("media-watch.js"))
                            .replace(QLatin1String("SORA_TOKEN"), quoted(token()))
                            .replace(QLatin1String("SORA_STALL_MS"), QString::number(kStallMs)));
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
    static const QString script = pageScript(QStringLiteral("media-control.js"));
    const QString name = command == MediaCommand::Pause ? QStringLiteral("'pause'") : QStringLiteral("'resume'");
    const QPointer<BrowserPage> self(this);
    runJavaScript(QString(script).replace(QLatin1String("SORA_COMMAND"), name),
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
