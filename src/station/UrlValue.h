#pragma once

#include <QString>

namespace sora {

// The value of one query key cut out of a page address. `key` comes with its "&" and "=",
// e.g. "&title=". The first occurrence counts, letters compare exactly, nothing is decoded.
// The value runs up to the next "&" or the end of the address; an empty value reads as "".
QString GetUrlValue(const QString& address, const QString& key);

// A station page: its address names a stream server and mount ("&serv=" and "&mount=" not
// empty), so what it plays is live. The page script (resources/scripts/media-watch.js) reads an
// address by the same rule.
bool IsStationPage(const QString& address);

} // namespace sora
