#include "TapInterceptor.h"

#include "station/StreamTap.h"

namespace sora {

TapInterceptor::TapInterceptor(StreamTap& tap, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), m_tap(tap)
{
}

void TapInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    if (info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMedia ||
        info.requestMethod() != "GET")
        return;
    const QUrl stream = info.requestUrl();
    const QUrl relay = m_tap.relayAddress(stream);
    if (relay.isEmpty())
        return;
    m_streams.insert(stream);
    info.redirect(relay);
}

} // namespace sora
