#pragma once

#include <QObject>

class QUrl;
class QWebEngineDownloadRequest;
class QWebEnginePage;

namespace sora {

// What a page hands to the desktop: windows the listener asked for open in the desktop's browser,
// playlists in the listener's player, other files land in the download folder.
class PageDownloads final : public QObject
{
    Q_OBJECT
public:
    // Takes the downloads of `page` alone: one profile serves every window.
    explicit PageDownloads(QWebEnginePage* page);

    // Opens an address with the desktop's own handler; `name` is what a failure names.
    void handOver(const QUrl& url, const QString& name);

signals:
    void StatusTextChange(const QString& text);
    // A load of the page became a download: the page stays as it was.
    void DownloadStarted();

private:
    void start(QWebEngineDownloadRequest* download);

    QWebEnginePage* m_page;
};

} // namespace sora
