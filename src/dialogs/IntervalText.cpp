#include "IntervalText.h"

#include "app/Conversions.h"

#include <cmath>
#include <limits>

namespace sora {

namespace {

constexpr double kLowest = 1;
constexpr double kHighest = 99;

} // namespace

QString stepIntervalUp(const QString& text)
{
    const std::optional<double> v = parseNumber(text);
    if (!v || *v >= kHighest)
        return text;
    return formatNumber(*v + 1);
}

QString stepIntervalDown(const QString& text)
{
    const std::optional<double> v = parseNumber(text);
    if (!v || *v <= kLowest)
        return text;
    return formatNumber(*v - 1);
}

std::optional<qint16> intervalFromText(const QString& text)
{
    const std::optional<double> v = parseNumber(text);
    if (!v || *v != std::trunc(*v) || *v < std::numeric_limits<qint16>::min() ||
        *v > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(*v);
}

} // namespace sora
