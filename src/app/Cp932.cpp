#include "Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace sora::cp932 {

namespace {

// One converter per direction and thread; opening one loads a gconv module.
class Converter
{
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return m_cd; }
    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

Converter& toCp932()
{
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

Converter& fromCp932()
{
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

} // namespace

std::optional<QByteArray> encode(const QString& text)
{
    if (text.isEmpty())
        return QByteArray();
    Converter& conv = toCp932();
    if (!conv.valid())
        return std::nullopt;
    conv.reset();
    // Lone surrogates would silently turn into U+FFFD on the way to UTF-8; refuse them instead.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return std::nullopt;
    }
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() * 2 + 8, Qt::Uninitialized);
    char* inPtr = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    if (iconv(conv.handle(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return std::nullopt;
    if (iconv(conv.handle(), nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1))
        return std::nullopt;
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    // iconv maps some characters to look-alikes ("£" to the full-width "￡"); a path stored that
    // way would name another folder when read back, so only a faithful encoding counts.
    if (decode(out) != text)
        return std::nullopt;
    return out;
}

QString decode(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QString();
    Converter& conv = fromCp932();
    if (!conv.valid())
        return QString::fromLatin1(bytes);
    conv.reset();
    QByteArray in = bytes;
    QByteArray out(in.size() * 3 + 8, Qt::Uninitialized);
    char* inPtr = in.data();
    size_t inLeft = static_cast<size_t>(in.size());
    char* outPtr = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    static constexpr char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
    while (inLeft > 0) {
        if (iconv(conv.handle(), &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG)
            break; // cannot happen: three output bytes per input byte always suffice
        // EILSEQ or EINVAL (a lead byte at the very end): replace one byte and go on.
        if (outLeft < 3)
            break;
        for (char c : {kReplacement[0], kReplacement[1], kReplacement[2]})
            *outPtr++ = c;
        outLeft -= 3;
        ++inPtr;
        --inLeft;
        conv.reset();
    }
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return QString::fromUtf8(out);
}

} // namespace sora::cp932
