#include "SessionPlatform.h"

#include <QtGlobal>

namespace sora {

QByteArray chooseQtPlatform(const QByteArray& qtQpaPlatform, const QByteArray& waylandDisplay,
                            const QByteArray& display)
{
    // An empty variable is no choice: Qt ignores it too.
    if (!qtQpaPlatform.isEmpty() || waylandDisplay.isEmpty() || display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

QtPlatformChoice::QtPlatformChoice()
{
    const QByteArray chosen =
        chooseQtPlatform(qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("DISPLAY"));
    if (chosen.isEmpty())
        return;
    m_set = qputenv("QT_QPA_PLATFORM", chosen);
}

QtPlatformChoice::~QtPlatformChoice()
{
    if (m_set)
        qunsetenv("QT_QPA_PLATFORM");
}

} // namespace sora
