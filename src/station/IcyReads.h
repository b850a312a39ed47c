#pragma once

#include "platform/StreamProbe.h"
#include "platform/TitleReader.h"

namespace sora {

// The stream check's short listen: one IcyReader that follows no redirection (the check judges
// each), at most 5 s and 64 KiB; it stops as soon as the head, the first metadata block and a
// few kilobytes of audio are in.
class IcyStreamProbe final : public StreamProbe
{
public:
    void probe(const QUrl& address, QObject* context, std::function<void(const ProbeReply&)> done) override;
};

// The side reads of a station's title, each on an IcyReader of its own (http and https), closed
// at once after its answer, at most 10 s and 256 KiB each.
class IcyTitleReader final : public TitleReader
{
public:
    void readStatus(const QUrl& address, QObject* context,
                    std::function<void(const StatusReply&)> done) override;
    void readIcy(const QUrl& stream, QObject* context, std::function<void(const IcyReply&)> done) override;
};

} // namespace sora
