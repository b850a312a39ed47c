#include "DetachedProcessLauncher.h"

namespace sora {

bool DetachedProcessLauncher::startDetached(const LaunchRequest&, QString* error)
{
    if (error)
        *error = QStringLiteral("未実装");
    return false;
}

} // namespace sora
