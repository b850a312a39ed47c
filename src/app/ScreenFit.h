#pragma once

#include <QList>
#include <QRect>

namespace sora {

// Where a top-level window's outer rectangle (pixels) goes so its user can reach it: unchanged
// while its whole title bar, the top `titleHeight` pixels from end to end, lies on one of
// `screens` (their available areas) and it is no larger than that screen. Otherwise it is moved,
// and shrunk only where it is larger than the screen, to lie wholly on the screen holding its
// title bar, else the one holding most of it, else the nearest one. A layout saved on a larger
// or another screen would otherwise leave the title bar, the close box or the status bar where no
// pointer gets to.
QRect reachableFrame(const QRect& frame, const QList<QRect>& screens, int titleHeight);

} // namespace sora
