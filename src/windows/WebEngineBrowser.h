#pragma once

#include "platform/WebBrowser.h"

#include <QUrl>

#include <optional>

class QWebEngineView;

namespace sora {

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
    QWebEngineView* m_view;
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
