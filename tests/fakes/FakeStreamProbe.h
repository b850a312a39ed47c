#pragma once

#include "platform/StreamProbe.h"

#include <QList>
#include <QPointer>

namespace sora::fakes {

// Answers every probe at once with the next of `queue`, else `reply` (an MP3 stream by
// default), or keeps it pending when `holds` is set, until answer().
class FakeStreamProbe final : public StreamProbe
{
public:
    FakeStreamProbe()
    {
        reply.headersArrived = true;
        reply.status = 200;
        reply.statusLine = "HTTP/1.0 200 OK";
        reply.contentType = "audio/mpeg";
    }

    ProbeReply reply;
    QList<ProbeReply> queue;
    bool holds = false;
    QList<QUrl> probed;

    void probe(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done) override
    {
        probed.append(address);
        m_pending = done;
        m_context = context;
        if (!holds)
            answer();
    }
    void answer()
    {
        if (m_pending && m_context)
            std::exchange(m_pending, nullptr)(queue.isEmpty() ? reply : queue.takeFirst());
    }

private:
    std::function<void(const ProbeReply&)> m_pending;
    QPointer<QObject> m_context;
};

} // namespace sora::fakes
