#include "DirectoryScheme.h"

#include "app/Defaults.h"
#include "station/DirectoryPages.h"

#include <QBuffer>
#include <QPointer>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace sora {

namespace {

QByteArray schemeName()
{
    return QUrl(defaults::builtInDirectoryAddress()).scheme().toLatin1();
}

class DirectoryScheme final : public QWebEngineUrlSchemeHandler
{
public:
    DirectoryScheme(DirectoryPages& pages, QObject* parent) : QWebEngineUrlSchemeHandler(parent), m_pages(pages) {}

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        if (job->requestMethod() != "GET") {
            job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        // The catalogue answers later; the engine may drop the request before then.
        QPointer<QWebEngineUrlRequestJob> pending(job);
        m_pages.render(job->requestUrl(), [pending](const QByteArray& html) {
            if (!pending)
                return;
            auto* body = new QBuffer(pending);
            body->setData(html);
            body->open(QIODevice::ReadOnly);
            pending->reply("text/html;charset=utf-8", body);
        });
    }

private:
    DirectoryPages& m_pages;
};

} // namespace

void registerDirectoryScheme()
{
    QWebEngineUrlScheme scheme(schemeName());
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host); // relative links and forms work as on the web
    QWebEngineUrlScheme::registerScheme(scheme);
}

void installDirectoryScheme(DirectoryPages& pages, QObject* owner)
{
    QWebEngineProfile::defaultProfile()->installUrlSchemeHandler(schemeName(), new DirectoryScheme(pages, owner));
}

} // namespace sora
