#include "TerminationSignals.h"

namespace sora {

void watchTerminationSignals(QObject*, std::function<void()>) {}

} // namespace sora
