#pragma once

#include <QtGlobal>

namespace sora {

// Counts one timer tick against the reload interval; true when a reload pass is due. The count
// stops at its largest value instead of wrapping, so reloading never stops on a long run.
bool countTick(qint16& tickCount, qint16 interval);

} // namespace sora
