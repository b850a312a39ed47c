#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace sora {

// Numbers as the settings file holds them: decimal text with an optional sign, fraction and
// exponent, blanks around it allowed. Anything else, and anything that is not a finite
// number ("NaN", "1e309"), is no number.
std::optional<double> parseNumber(QStringView text);

// Round to the nearest integer, halves to the even one (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);

// The conversions start-up applies: nothing when the text is no number or does not fit the type.
std::optional<float> toSingle(QStringView text);
std::optional<qint16> toInteger(QStringView text);
std::optional<qint32> toLong(QStringView text);
std::optional<double> toDouble(QStringView text);

// Decimal text without thousands separators; a fractional part only when there is one.
QString formatNumber(double v);

} // namespace sora
