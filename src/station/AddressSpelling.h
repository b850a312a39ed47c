#pragma once

#include <QByteArrayView>
#include <QString>

class QUrl;

namespace sora {

// The address of a page as the page spells it: the engine's fully encoded form, with only the
// escapes that make up UTF-8 characters beyond ASCII shown as those characters. Escapes of ASCII
// bytes ("%20", "%26", "%2B") and "+" stay as they are, so values cut from it are the page's own.
QString spelledAddress(const QUrl& url);

// ASCII text with every "%XX" run that forms one valid UTF-8 character beyond ASCII decoded;
// everything else, broken or overlong sequences included, is kept byte for byte.
QString decodeUtf8Escapes(QByteArrayView encoded);

// The address with every character beyond ASCII percent-encoded as UTF-8 (upper-case hex), and
// nothing else changed: what a program outside gets, whatever its locale.
QString asciiAddress(const QString& address);

} // namespace sora
