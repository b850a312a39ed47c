#pragma once

#include <QString>

namespace sora {

// The value of one query key cut out of a page address. `key` comes with its "&" and "=",
// e.g. "&title=". The first occurrence counts, letters compare exactly, nothing is decoded.
// The value runs up to the next "&" or the end of the address; an empty value reads as "".
QString GetUrlValue(const QString& address, const QString& key);

} // namespace sora
