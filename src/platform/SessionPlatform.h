#pragma once

#include <QByteArray>

namespace sora {

// The Qt platform to ask for, from the environment the program starts in; empty for Qt's own
// choice. On a Wayland session that also has an X display the program runs as an X client
// (XWayland): its side buttons come from XInput2 raw events, which the X server delivers only
// while the pointer is over X clients, and only X clients can place their own windows, which the
// saved layout needs. A platform the user chose is kept.
QByteArray chooseQtPlatform(const QByteArray& qtQpaPlatform, const QByteArray& waylandDisplay,
                            const QByteArray& display);

// Applies chooseQtPlatform to this process's environment for the application about to be made;
// the destructor takes the choice back out, so programs started later see the user's own
// environment.
class QtPlatformChoice
{
public:
    QtPlatformChoice();
    ~QtPlatformChoice();
    QtPlatformChoice(const QtPlatformChoice&) = delete;
    QtPlatformChoice& operator=(const QtPlatformChoice&) = delete;

private:
    bool m_set = false;
};

} // namespace sora
