#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sora::twips {

namespace {

double dpiX()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

double dpiY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int roundToInt(double v)
{
    // Values come from files and arithmetic; keep them inside int before converting.
    constexpr double lo = std::numeric_limits<int>::min() / 2.0;
    constexpr double hi = std::numeric_limits<int>::max() / 2.0;
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(std::lround(std::clamp(v, lo, hi)));
}

} // namespace

double perPixelX() { return 1440.0 / dpiX(); }
double perPixelY() { return 1440.0 / dpiY(); }

int toPixelsX(double tw) { return roundToInt(tw / perPixelX()); }
int toPixelsY(double tw) { return roundToInt(tw / perPixelY()); }
int toSizePixelsX(double tw) { return std::max(0, toPixelsX(tw)); }
int toSizePixelsY(double tw) { return std::max(0, toPixelsY(tw)); }

double fromPixelsX(int px) { return std::round(px * perPixelX()); }
double fromPixelsY(int px) { return std::round(px * perPixelY()); }

void place(QWidget* widget, double left, double top, double width, double height)
{
    if (widget)
        widget->setGeometry(toPixelsX(left), toPixelsY(top), toSizePixelsX(width), toSizePixelsY(height));
}

} // namespace sora::twips
