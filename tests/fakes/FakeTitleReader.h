#pragma once

#include "platform/TitleReader.h"

#include <QList>
#include <QUrl>

namespace sora::fakes {

// Answers every read at once: the status document with `status`, a stream with `icy`. A server
// without a status document is `status.ok = false`.
class FakeTitleReader final : public TitleReader
{
public:
    StatusReply status;
    IcyReply icy;
    QList<QUrl> statusReads;
    QList<QUrl> icyReads;

    // A stream server that lists `mount` with `title` and sends the same title in its stream.
    void serve(const QString& mount, const QString& title)
    {
        status.ok = true;
        status.body = R"({"icestats":{"source":{"listenurl":"http://h:8000)" + mount.toUtf8() +
                      R"(","title":")" + title.toUtf8() + R"("}}})";
        icy.ok = icy.hasMetadata = true;
        icy.metadata = "StreamTitle='" + title.toUtf8() + "';";
    }

    void readStatus(const QUrl& address, QObject*, std::function<void(const StatusReply&)> done) override
    {
        statusReads.append(address);
        done(status);
    }
    void readIcy(const QUrl& stream, QObject*, std::function<void(const IcyReply&)> done) override
    {
        icyReads.append(stream);
        done(icy);
    }
};

} // namespace sora::fakes
