// Station addresses are web input: whatever a page's address holds, the recorder gets exactly the
// stream address, "-a", "-d" and the recording folder, and the values read are what the address
// spells between its keys, with only characters beyond ASCII escaped.
#include "station/AddressSpelling.h"
#include "station/RecorderCommand.h"
#include "station/UrlValue.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

QString text(FuzzedDataProvider& in, size_t max)
{
    const std::string s = in.ConsumeRandomLengthString(max);
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString recFolder = text(in, 64);
    const QString address = text(in, 4096);

    for (const char* key : {"&title=", "&serv=", "&port=", "&mount="}) {
        const QString k = QString::fromLatin1(key);
        const QString v = sora::GetUrlValue(address, k);
        check(!v.contains(u'&'));
        if (!v.isEmpty())
            check(address.contains(k + v));
        if (!address.contains(k))
            check(v.isEmpty());
    }

    const sora::RecorderCommand command = sora::BuildRecorderCommand(address, QStringLiteral("/opt/sora"), recFolder);
    check(command.program == QStringLiteral("./streamripper.exe"));
    check(command.workingDirectory == QStringLiteral("/opt/sora"));
    check(command.arguments().size() == 6);
    check(command.arguments().at(0).startsWith(QStringLiteral("http://")));
    check(command.arguments().at(1) == QStringLiteral("-a"));
    check(command.arguments().at(2) == QStringLiteral("-d"));
    check(command.arguments().at(3) == recFolder);
    check(command.arguments().at(4) == QStringLiteral("--codeset-filesys=UTF-8"));
    check(command.arguments().at(5) == QStringLiteral("--codeset-metadata=UTF-8"));
    const QString joined = sora::StreamAddress(sora::GetUrlValue(address, QStringLiteral("&serv=")),
                                               sora::GetUrlValue(address, QStringLiteral("&port=")),
                                               sora::GetUrlValue(address, QStringLiteral("&mount=")));
    // Plain ASCII with nothing but the characters beyond it escaped: where the page wrote no
    // escapes of its own, reading them back gives the values as joined.
    const QString stream = command.arguments().at(0);
    for (const QChar c : stream)
        check(c.unicode() < 0x80);
    check(stream == sora::asciiAddress(joined));
    if (!joined.contains(u'%'))
        check(sora::decodeUtf8Escapes(QByteArrayView(stream.toLatin1())) == joined);
    return 0;
}
