// The conversions start-up applies to settings values, and the code page 932 codec under them.
#include "app/Conversions.h"
#include "app/Cp932.h"
#include "dialogs/IntervalText.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray raw(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // Any bytes decode; text that encodes comes back as it was.
    const QString decoded = sora::cp932::decode(raw);
    if (const std::optional<QByteArray> encoded = sora::cp932::encode(decoded))
        check(sora::cp932::decode(*encoded) == decoded);
    const QString text = QString::fromUtf8(raw);
    if (const std::optional<QByteArray> encoded = sora::cp932::encode(text))
        check(sora::cp932::decode(*encoded) == text);

    const std::optional<double> number = sora::parseNumber(text);
    if (number) {
        check(std::isfinite(*number));
        const std::optional<double> again = sora::parseNumber(sora::formatNumber(*number));
        check(again.has_value());
        check(*again == *number || std::fabs(*again - *number) <= std::fabs(*number) * 1e-14);
    }

    const std::optional<qint16> i16 = sora::toInteger(text);
    check(i16.has_value() == (number && sora::roundHalfEven(*number) >= -32768 && sora::roundHalfEven(*number) <= 32767));
    if (i16)
        check(*i16 == sora::roundHalfEven(*number));
    if (const std::optional<qint32> i32 = sora::toLong(text))
        check(*i32 == sora::roundHalfEven(*number));
    if (const std::optional<float> f = sora::toSingle(text))
        check(std::isfinite(*f));

    // The interval box: stepping never throws text away or leaves the 1 to 99 rule.
    const QString up = sora::stepIntervalUp(text);
    const QString down = sora::stepIntervalDown(text);
    if (!number || *number >= 99)
        check(up == text);
    if (!number || *number <= 1)
        check(down == text);
    if (const std::optional<qint16> interval = sora::intervalFromText(text))
        check(number && *number == *interval);
    return 0;
}
