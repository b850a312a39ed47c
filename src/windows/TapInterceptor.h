#pragma once

#include <QObject>
#include <QSet>
#include <QUrl>
#include <QWebEngineUrlRequestInterceptor>

namespace sora {

class StreamTap;

// Sends a page's requests for media to the program's stream tap, so the program hears the
// station the page plays on the page's own connection. What the tap does not serve goes to the
// station as ever.
class TapInterceptor final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    TapInterceptor(StreamTap& tap, QObject* parent);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
    // Whether this page's requests for `stream` went to the tap.
    bool tapped(const QUrl& stream) const { return m_streams.contains(stream); }

private:
    StreamTap& m_tap;
    QSet<QUrl> m_streams;
};

} // namespace sora
