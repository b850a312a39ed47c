#pragma once

#include "platform/WebBrowser.h"

#include <QWebEnginePage>

#include <functional>
#include <optional>

namespace sora {

// The page of a browser with the program's scripts in a world of its own, out of the page's sight:
// one says when the document is ready, one watches the media elements of every frame.
class BrowserPage final : public QWebEnginePage
{
public:
    explicit BrowserPage(QObject* parent);

    // Runs `command` on the media elements of the frames a script of ours may enter.
    void controlMedia(MediaCommand command, std::function<void(const MediaState&)> done);

    // One report of the media watch, as the page's console carries it; nothing when the text is
    // no such report.
    static std::optional<MediaEvent> parseMediaReport(QStringView report);

    std::function<void()> onDocumentReady;
    std::function<void(const MediaEvent&)> onMedia;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString& message, int,
                                  const QString&) override;
};

} // namespace sora
