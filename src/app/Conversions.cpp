#include "Conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace sora {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

template <typename Int> std::optional<Int> toRoundedInt(QStringView text)
{
    const std::optional<double> v = parseNumber(text);
    if (!v)
        return std::nullopt;
    const double r = roundHalfEven(*v);
    if (r < static_cast<double>(std::numeric_limits<Int>::min()) ||
        r > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(r);
}

} // namespace

std::optional<double> parseNumber(QStringView text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    // Check the shape ourselves: from_chars alone would take "inf", "nan" and hex forms.
    std::string ascii;
    qsizetype i = b;
    if (i < e && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            ascii += '-';
        ++i;
    }
    qsizetype digits = 0;
    while (i < e && isDigit(text[i])) {
        ascii += static_cast<char>(text[i].unicode());
        ++i;
        ++digits;
    }
    if (i < e && text[i] == u'.') {
        ascii += '.';
        ++i;
        while (i < e && isDigit(text[i])) {
            ascii += static_cast<char>(text[i].unicode());
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return std::nullopt;
    if (i < e && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < e && (text[i] == u'+' || text[i] == u'-')) {
            ascii += static_cast<char>(text[i].unicode());
            ++i;
        }
        qsizetype expDigits = 0;
        while (i < e && isDigit(text[i])) {
            ascii += static_cast<char>(text[i].unicode());
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return std::nullopt;
    }
    if (i != e)
        return std::nullopt;

    double v = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec == std::errc::result_out_of_range) {
        // Underflow is a tiny number, not an error; overflow is no usable number.
        const std::size_t ePos = ascii.find('e');
        if (ePos != std::string::npos && ascii.compare(ePos, 2, "e-") == 0)
            return 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

double roundHalfEven(double v)
{
    const double floorV = std::floor(v);
    const double diff = v - floorV;
    if (diff > 0.5)
        return floorV + 1;
    if (diff < 0.5)
        return floorV;
    return std::fmod(floorV, 2.0) == 0 ? floorV : floorV + 1;
}

std::optional<float> toSingle(QStringView text)
{
    const std::optional<double> v = parseNumber(text);
    if (!v || std::fabs(*v) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(*v);
}

std::optional<qint16> toInteger(QStringView text) { return toRoundedInt<qint16>(text); }
std::optional<qint32> toLong(QStringView text) { return toRoundedInt<qint32>(text); }
std::optional<double> toDouble(QStringView text) { return parseNumber(text); }

QString formatNumber(double v)
{
    if (std::isfinite(v) && v == std::trunc(v) && std::fabs(v) < 1e15)
        return QString::number(static_cast<qint64>(v));
    return QString::number(v, 'g', 15);
}

} // namespace sora
