#include "PageDownloads.h"

#include "Downloads.h"
#include "platform/DefaultApplication.h"

#include <QDesktopServices>
#include <QDir>
#include <QPointer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace sora {

namespace {

// Texts about what a page hands to the desktop; %1 is the address or the file.
const QString kCannotOpen = QStringLiteral("%1 を開けませんでした。");
const QString kOpenedInPlayer = QStringLiteral("%1 をプレイヤーで開きました。");
const QString kDownloaded = QStringLiteral("%1 をダウンロードしました。");
const QString kDownloadFailed = QStringLiteral("%1 をダウンロードできませんでした。");
const QString kNoFolder = QStringLiteral("%1 を保存するフォルダを作れないため、ダウンロードできません。");

} // namespace

PageDownloads::PageDownloads(QWebEnginePage* page) : QObject(page), m_page(page)
{
    // A window the listener asked for by a click opens in the desktop's browser; pop-ups are
    // dropped.
    connect(page, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (request.isUserInitiated())
            handOver(request.requestedUrl(), request.requestedUrl().toDisplayString(QUrl::PrettyDecoded));
    });
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* download) {
                if (download->page() == m_page)
                    start(download);
            });
}

void PageDownloads::handOver(const QUrl& url, const QString& name)
{
    if (!QDesktopServices::openUrl(url))
        emit StatusTextChange(kCannotOpen.arg(name));
}

void PageDownloads::start(QWebEngineDownloadRequest* download)
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
    emit DownloadStarted();
    if (folder.isEmpty()) {
        emit StatusTextChange(kNoFolder.arg(name));
        download->cancel();
        return;
    }
    download->setDownloadDirectory(folder);
    download->setDownloadFileName(name);
    const QString path = QDir(folder).filePath(name);
    // The window may be closed before the file is in: the file is still handed over then.
    const QPointer<PageDownloads> self(this);
    // Only a type that names a playlist is asked after: a generic one would name a text editor.
    const QString type = playlistExtension(download->mimeType(), QString()).isEmpty()
                             ? QString()
                             : download->mimeType().section(u';', 0, 0).trimmed().toLower();
    connect(download, &QWebEngineDownloadRequest::stateChanged, download,
            [self, download, path, type,
             isPlaylist = !playlist.isEmpty()](QWebEngineDownloadRequest::DownloadState state) {
                const QString shown = QDir::toNativeSeparators(path);
                const auto say = [self](const QString& text) {
                    if (self)
                        emit self->StatusTextChange(text);
                };
                if (state == QWebEngineDownloadRequest::DownloadCompleted && isPlaylist) {
                    // The player the desktop names for the type the server sent: a desktop that
                    // sniffs the file instead may take a playlist for text.
                    openWithDefaultApplication(path, type, download, [say, path, shown](bool opened) {
                        if (opened || QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
                            say(kOpenedInPlayer.arg(shown));
                        else
                            say(kCannotOpen.arg(shown));
                    });
                } else if (state == QWebEngineDownloadRequest::DownloadCompleted) {
                    say(kDownloaded.arg(shown));
                } else if (state == QWebEngineDownloadRequest::DownloadInterrupted) {
                    say(kDownloadFailed.arg(shown));
                }
            });
    download->accept();
}

} // namespace sora
