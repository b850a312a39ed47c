#pragma once

#include <QFont>

namespace sora {

// The program's texts are laid out for the "ＭＳ ゴシック" face; the name is kept and mapped to an
// installed Japanese gothic face.
void installFontSubstitutions();

QFont msGothic(int pointSize);

} // namespace sora
