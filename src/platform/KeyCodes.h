#pragma once

#include <Qt>
#include <QtGlobal>

class QKeyEvent;

namespace sora {

// Windows virtual-key codes, as the key-down handlers of the program's text boxes receive them.
inline constexpr quint16 VK_BACK = 0x08;
inline constexpr quint16 VK_TAB = 0x09;
inline constexpr quint16 VK_CLEAR = 0x0C;
inline constexpr quint16 VK_RETURN = 0x0D;
inline constexpr quint16 VK_SHIFT = 0x10;
inline constexpr quint16 VK_CONTROL = 0x11;
inline constexpr quint16 VK_MENU = 0x12; // Alt
inline constexpr quint16 VK_PAUSE = 0x13;
inline constexpr quint16 VK_CAPITAL = 0x14;
inline constexpr quint16 VK_KANA = 0x15;
inline constexpr quint16 VK_KANJI = 0x19;
inline constexpr quint16 VK_ESCAPE = 0x1B;
inline constexpr quint16 VK_CONVERT = 0x1C;
inline constexpr quint16 VK_NONCONVERT = 0x1D;
inline constexpr quint16 VK_SPACE = 0x20;
inline constexpr quint16 VK_PRIOR = 0x21; // Page Up
inline constexpr quint16 VK_NEXT = 0x22;  // Page Down
inline constexpr quint16 VK_END = 0x23;
inline constexpr quint16 VK_HOME = 0x24;
inline constexpr quint16 VK_LEFT = 0x25;
inline constexpr quint16 VK_UP = 0x26;
inline constexpr quint16 VK_RIGHT = 0x27;
inline constexpr quint16 VK_DOWN = 0x28;
inline constexpr quint16 VK_SNAPSHOT = 0x2C;
inline constexpr quint16 VK_INSERT = 0x2D;
inline constexpr quint16 VK_DELETE = 0x2E;
inline constexpr quint16 VK_HELP = 0x2F;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' 0x41..0x5A, as their characters.
inline constexpr quint16 VK_LWIN = 0x5B;
inline constexpr quint16 VK_RWIN = 0x5C;
inline constexpr quint16 VK_APPS = 0x5D;
inline constexpr quint16 VK_NUMPAD0 = 0x60; // to VK_NUMPAD9 = 0x69
inline constexpr quint16 VK_MULTIPLY = 0x6A;
inline constexpr quint16 VK_ADD = 0x6B;
inline constexpr quint16 VK_SEPARATOR = 0x6C;
inline constexpr quint16 VK_SUBTRACT = 0x6D;
inline constexpr quint16 VK_DECIMAL = 0x6E;
inline constexpr quint16 VK_DIVIDE = 0x6F;
inline constexpr quint16 VK_F1 = 0x70; // to VK_F24 = 0x87
inline constexpr quint16 VK_NUMLOCK = 0x90;
inline constexpr quint16 VK_SCROLL = 0x91;
inline constexpr quint16 VK_OEM_1 = 0xBA; // ; :
inline constexpr quint16 VK_OEM_PLUS = 0xBB;
inline constexpr quint16 VK_OEM_COMMA = 0xBC;
inline constexpr quint16 VK_OEM_MINUS = 0xBD;
inline constexpr quint16 VK_OEM_PERIOD = 0xBE;
inline constexpr quint16 VK_OEM_2 = 0xBF; // / ?
inline constexpr quint16 VK_OEM_3 = 0xC0; // ` ~
inline constexpr quint16 VK_OEM_4 = 0xDB; // [ {
inline constexpr quint16 VK_OEM_5 = 0xDC; // \ |
inline constexpr quint16 VK_OEM_6 = 0xDD; // ] }
inline constexpr quint16 VK_OEM_7 = 0xDE; // ' "
// What a key without a code of its own delivers; never 0, which stands for no key at all.
inline constexpr quint16 VK_NONE = 0xFF;

// The virtual-key code of a key press. Shifted characters give the code of the key that types
// them on a US keyboard ("!" is '1', "_" is VK_OEM_MINUS); keys of the numeric keypad their
// VK_NUMPAD* codes.
quint16 windowsVirtualKey(const QKeyEvent& event);
quint16 windowsVirtualKey(int qtKey, Qt::KeyboardModifiers modifiers);

// The shift argument of a key-down handler: 1 Shift, 2 Ctrl, 4 Alt.
int windowsShiftState(Qt::KeyboardModifiers modifiers);

} // namespace sora
