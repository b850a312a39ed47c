#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace sora::cp932 {

// Lead bytes of the two-byte characters of code page 932; the byte after one is its trail byte
// and is never a delimiter, whatever its value.
constexpr bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// Text to code page 932; nothing when some character has no code in it (never a "?") or only a
// look-alike's code, so that what is written always reads back as the same text.
std::optional<QByteArray> encode(const QString& text);

// Code page 932 to text. Bytes that are not valid code page 932 become U+FFFD each.
QString decode(const QByteArray& bytes);

} // namespace sora::cp932
