// Qt key events as the Windows virtual-key codes the key-down handlers compare.
#include "platform/KeyCodes.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace sora;

TEST(KeyCodes, LettersAndDigitsAreTheirCharactersWhateverTheShiftState)
{
    EXPECT_EQ(windowsVirtualKey(Qt::Key_P, Qt::NoModifier), 'P');
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier), 'Z');
    EXPECT_EQ(windowsVirtualKey(Qt::Key_0, Qt::NoModifier), '0');
    // Shifted characters are the key that types them.
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Exclam, Qt::ShiftModifier), '1');
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Underscore, Qt::ShiftModifier), VK_OEM_MINUS);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Minus, Qt::NoModifier), VK_OEM_MINUS);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_QuoteDbl, Qt::ShiftModifier), VK_OEM_7);
}

TEST(KeyCodes, ModifiersNavigationAndTheKeypad)
{
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Shift, Qt::ShiftModifier), VK_SHIFT);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Control, Qt::NoModifier), VK_CONTROL);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Alt, Qt::NoModifier), VK_MENU);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Up, Qt::NoModifier), VK_UP);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Backtab, Qt::ShiftModifier), VK_TAB);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_F12, Qt::NoModifier), VK_F1 + 11);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_7, Qt::KeypadModifier), VK_NUMPAD0 + 7);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Asterisk, Qt::KeypadModifier), VK_MULTIPLY);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Enter, Qt::KeypadModifier), VK_RETURN);
    // Num Lock off: the keypad's 7 is Home, as on Windows.
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Home, Qt::KeypadModifier), VK_HOME);
}

TEST(KeyCodes, KeysWithoutACodeNeverDeliverZero)
{
    EXPECT_EQ(windowsVirtualKey(Qt::Key_unknown, Qt::NoModifier), VK_NONE);
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Adiaeresis, Qt::NoModifier), VK_NONE);
    const QKeyEvent repeat(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, QStringLiteral("b"), true);
    EXPECT_EQ(windowsVirtualKey(repeat), 'B');
    EXPECT_EQ(windowsShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
}
