// The settings engine on arbitrary file bytes, sections, keys and values.
//
// What must hold for any input: a file that is only read comes back byte for byte; a value that
// was written reads back; a write changes one line (or adds one, with its section) and leaves every
// other byte where it was.
#include "app/ProfileDocument.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

using sora::ProfileDocument;

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

QByteArray bytes(FuzzedDataProvider& in, size_t max)
{
    const std::string s = in.ConsumeRandomLengthString(max);
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// What a read is expected to give for a value written exactly as `v`, when that is plain to see.
bool readsBackAsWritten(const QByteArray& v)
{
    if (v.size() > ProfileDocument::MaxValueBytes)
        return false;
    if (!v.isEmpty() && (isBlank(v.front()) || isBlank(v.back())))
        return false;
    return !(v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front());
}

qsizetype commonPrefix(const QByteArray& a, const QByteArray& b)
{
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

qsizetype commonSuffix(const QByteArray& a, const QByteArray& b, qsizetype prefix)
{
    qsizetype n = 0;
    while (n < a.size() - prefix && n < b.size() - prefix && a[a.size() - 1 - n] == b[b.size() - 1 - n])
        ++n;
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QByteArray section = bytes(in, 24);
    const QByteArray key = bytes(in, 24);
    const QByteArray value = bytes(in, 300);
    const std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
    const QByteArray file(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));

    ProfileDocument doc = ProfileDocument::parse(file);
    check(doc.serialize() == file);
    const std::optional<QByteArray> before = doc.value(section, key);
    if (before)
        check(before->size() <= ProfileDocument::MaxValueBytes);

    if (!doc.setValue(section, key, value)) {
        check(doc.serialize() == file); // a refused write changes nothing
        return 0;
    }
    const QByteArray after = doc.serialize();
    const std::optional<QByteArray> read = doc.value(section, key);
    check(read.has_value());
    if (readsBackAsWritten(value))
        check(*read == value);
    // The text of the document and the text of its written form agree.
    check(ProfileDocument::parse(after).value(section, key) == read);

    // One line replaced or added (with its section header and a line end for the line before):
    // everything before and after that stays as it was.
    const qsizetype prefix = commonPrefix(file, after);
    const qsizetype suffix = commonSuffix(file, after, prefix);
    const QByteArray removed = file.mid(prefix, file.size() - prefix - suffix);
    check(removed.count('\n') + removed.count('\r') <= 2);
    check(after.size() - prefix - suffix <= section.size() + key.size() + value.size() + 10);
    return 0;
}
