#include "Layout.h"

#include "app/Defaults.h"

#include <algorithm>

namespace sora {

namespace {

// Windows between the snap height and the strip's offset, or narrower than the strip's
// margins, would give negative sizes; a size is never less than nothing.
double size(double v) { return std::max(0.0, v); }

constexpr double kMinHeight = 400;
constexpr double kMinWidth = 100;

void heightPart(WindowLayout& l, double height, int windowState)
{
    if (height > kMinHeight)
        l.browserHeight = size(height - kMinHeight);
    else if (windowState == StateNormal)
        l.windowHeight = kMinHeight;
}

} // namespace

WindowLayout playerLayout(double width, double height, int windowState, bool premium, bool recEnabled)
{
    WindowLayout l;
    heightPart(l, height, windowState);
    if (height > kMinHeight && premium && recEnabled)
        l.browserHeight = size(height - 950);
    if (width > kMinWidth) {
        l.browserWidth = size(width - 100);
        if (premium) {
            l.frameWidth = size(width - 100);
            l.titleWidth = size(width - 1360);
            l.recLeft = width - 800;
        }
    }
    return l;
}

WindowLayout pingLayout(double width, double height, int windowState)
{
    WindowLayout l;
    heightPart(l, height, windowState);
    if (width > kMinWidth)
        l.browserWidth = size(width - 100);
    return l;
}

} // namespace sora
