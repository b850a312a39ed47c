#include "AddressSpelling.h"

#include <QByteArray>
#include <QUrl>

namespace sora {

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The byte of the escape at `at`, or -1 when no "%XX" starts there.
int escapedByte(QByteArrayView text, qsizetype at)
{
    if (at + 2 >= text.size() || text[at] != '%')
        return -1;
    const int high = hexValue(text[at + 1]);
    const int low = hexValue(text[at + 2]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// How many escapes starting at `at` form one well-formed UTF-8 character beyond ASCII (no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0.
int utf8CharacterEscapes(QByteArrayView text, qsizetype at, QByteArray& bytes)
{
    const int lead = escapedByte(text, at);
    int length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = char32_t(lead & 0x1F);
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = char32_t(lead & 0x0F);
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = char32_t(lead & 0x07);
        least = 0x10000;
    } else {
        return 0;
    }
    bytes = QByteArray(1, char(lead));
    for (int i = 1; i < length; ++i) {
        const int next = escapedByte(text, at + 3 * i);
        if (next < 0x80 || next > 0xBF)
            return 0;
        code = (code << 6) | char32_t(next & 0x3F);
        bytes += char(next);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString spelledAddress(const QUrl& url)
{
    // The fully encoded form is all ASCII: text the engine stores decoded comes back as its
    // escapes, and the escapes a page wrote stay escapes.
    return decodeUtf8Escapes(url.toEncoded());
}

QString decodeUtf8Escapes(QByteArrayView encoded)
{
    QByteArray out;
    out.reserve(encoded.size());
    QByteArray character;
    for (qsizetype i = 0; i < encoded.size();) {
        if (const int escapes = utf8CharacterEscapes(encoded, i, character)) {
            out += character;
            i += 3 * escapes;
        } else {
            out += encoded[i];
            ++i;
        }
    }
    return QString::fromUtf8(out);
}

QString asciiAddress(const QString& address)
{
    QString out;
    out.reserve(address.size());
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char byte : address.toUtf8()) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x80) {
            out += QChar(b);
        } else {
            out += u'%';
            out += QChar(kHex[b >> 4]);
            out += QChar(kHex[b & 0x0F]);
        }
    }
    return out;
}

} // namespace sora
