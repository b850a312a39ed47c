#pragma once

#include <Qt>
#include <QtGlobal>

class QKeyEvent;

namespace sora {

// What a key other than a letter delivers: one code for all of them, matching no letter, and
// never 0, which stands for no key at all.
inline constexpr quint16 kOtherKey = 0xFF;

// The code of a key-down, as the text boxes' key-down handlers compare it: a letter is its
// upper-case character whatever the shift state, every other key (Shift included) kOtherKey.
quint16 windowsVirtualKey(const QKeyEvent& event);
quint16 windowsVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

// The shift argument of a key-down handler: 1 Shift, 2 Ctrl, 4 Alt.
int windowsShiftState(Qt::KeyboardModifiers modifiers);

} // namespace sora
