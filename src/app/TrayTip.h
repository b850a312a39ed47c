#pragma once

#include <QString>

#include <array>

namespace sora {

// The tip as the notification icon's record holds it: the name in code page 932, cut to what
// fits before the terminator without splitting a two-byte character, a NUL, then blanks.
std::array<char, 64> TrayTipBytes(const QString& name);

} // namespace sora
