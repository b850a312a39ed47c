#include "KeyCodes.h"

#include <QKeyEvent>

namespace sora {

quint16 windowsVirtualKey(int key, Qt::KeyboardModifiers /*modifiers*/)
{
    // Qt reports a letter key as its capital whatever the shift state, as the handlers expect.
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<quint16>(key);
    return kOtherKey;
}

quint16 windowsVirtualKey(const QKeyEvent& event)
{
    return windowsVirtualKey(event.key(), event.modifiers());
}

int windowsShiftState(Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= 1;
    if (modifiers & Qt::ControlModifier)
        state |= 2;
    if (modifiers & Qt::AltModifier)
        state |= 4;
    return state;
}

} // namespace sora
