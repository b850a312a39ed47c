#pragma once

#include "platform/TitleReader.h"

#include <QList>
#include <QUrl>

namespace sora::fakes {

// Answers every read at once: the status document with `status`, a stream with `icy`, or the
// next reply queued for it. A server without a status document is `status.ok = false`.
class FakeTitleReader final : public TitleReader
{
public:
    StatusReply status;
    IcyReply icy;
    QList<StatusReply> statusQueue;
    QList<IcyReply> icyQueue;
    QList<QUrl> statusReads;
    QList<QUrl> icyReads;

    // A stream server that lists `mount` with `title` and sends the same title in its stream.
    void serve(const QString& mount, const QString& title)
    {
        status = document(mount, title);
        icy = metadata("StreamTitle='" + title.toUtf8() + "';");
    }
    static StatusReply document(const QString& mount, const QString& title)
    {
        StatusReply r;
        r.ok = true;
        r.body = R"({"icestats":{"source":{"listenurl":"http://h:8000)" + mount.toUtf8() + R"(","title":")" +
                 title.toUtf8() + R"("}}})";
        return r;
    }
    static IcyReply metadata(const QByteArray& block)
    {
        IcyReply r;
        r.ok = r.hasMetadata = true;
        r.metadata = block;
        return r;
    }

    void readStatus(const QUrl& address, QObject*, std::function<void(const StatusReply&)> done) override
    {
        statusReads.append(address);
        done(statusQueue.isEmpty() ? status : statusQueue.takeFirst());
    }
    void readIcy(const QUrl& stream, QObject*, std::function<void(const IcyReply&)> done) override
    {
        icyReads.append(stream);
        done(icyQueue.isEmpty() ? icy : icyQueue.takeFirst());
    }
};

} // namespace sora::fakes
