#pragma once

#include <QString>

#include <optional>

namespace sora {

// The reload interval as the dialogs' text box holds it.

// ▲ and ▼: the text read as a number, one step up or down within 1 to 99 (both reachable). A
// value already outside is not clamped, only kept from moving further out. Text that is no
// number is left as it is.
QString stepIntervalUp(const QString& text);
QString stepIntervalDown(const QString& text);

// The interval the text stands for: a whole number that fits 16 bits, else nothing.
std::optional<qint16> intervalFromText(const QString& text);

} // namespace sora
