#include "ScreenFit.h"

#include <algorithm>
#include <limits>

namespace sora {

namespace {

qint64 area(const QRect& r)
{
    return r.isEmpty() ? 0 : qint64(r.width()) * r.height();
}

// Squared distance between the rectangles' centres, in 64 bits: saved coordinates can be huge.
qint64 centreDistance(const QRect& a, const QRect& b)
{
    const qint64 dx = (qint64(a.left()) + a.right()) - (qint64(b.left()) + b.right());
    const qint64 dy = (qint64(a.top()) + a.bottom()) - (qint64(b.top()) + b.bottom());
    return dx * dx + dy * dy;
}

// Moved no further than it takes to get inside; shrunk only where larger than the screen.
QRect fitInto(const QRect& frame, const QRect& s)
{
    const int width = std::clamp(frame.width(), 0, s.width());
    const int height = std::clamp(frame.height(), 0, s.height());
    const int left = std::clamp(frame.left(), s.left(), s.left() + s.width() - width);
    const int top = std::clamp(frame.top(), s.top(), s.top() + s.height() - height);
    return QRect(left, top, width, height);
}

} // namespace

QRect reachableFrame(const QRect& frame, const QList<QRect>& screens, int titleHeight)
{
    if (screens.isEmpty())
        return frame;
    const QRect title(frame.left(), frame.top(), std::max(frame.width(), 1),
                      std::clamp(titleHeight, 1, std::max(frame.height(), 1)));
    // Its title bar whole on one screen, and not larger than that screen: a window manager
    // pushes a larger window around until its title bar is off the screen.
    for (const QRect& s : screens) {
        if (s.contains(title))
            return frame.width() <= s.width() && frame.height() <= s.height() ? frame : fitInto(frame, s);
    }

    const QRect* best = nullptr;
    qint64 bestArea = 0;
    for (const QRect& s : screens) {
        const qint64 a = area(s.intersected(frame));
        if (a > bestArea) {
            bestArea = a;
            best = &s;
        }
    }
    if (!best) {
        qint64 nearest = std::numeric_limits<qint64>::max();
        for (const QRect& s : screens) {
            const qint64 d = centreDistance(s, frame);
            if (d < nearest) {
                nearest = d;
                best = &s;
            }
        }
    }

    return fitInto(frame, *best);
}

} // namespace sora
