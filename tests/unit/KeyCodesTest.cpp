// Qt key events as the codes the key-down handlers compare.
#include "platform/KeyCodes.h"

#include <QInputDevice>
#include <QKeyEvent>

#include <gtest/gtest.h>

using namespace sora;

TEST(KeyCodes, LettersAreTheirCapitalsWhateverTheShiftState)
{
    EXPECT_EQ(windowsVirtualKey(Qt::Key_P, Qt::NoModifier), 'P');
    EXPECT_EQ(windowsVirtualKey(Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier), 'Z');
    // A device of the test's own: Qt's default one would outlive the GUI library at exit, as no
    // QGuiApplication runs here.
    const QInputDevice keyboard(QStringLiteral("keyboard"), 1, QInputDevice::DeviceType::Keyboard);
    const QKeyEvent repeat(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 0, 0, 0, QStringLiteral("b"), true, 1,
                           &keyboard);
    EXPECT_EQ(windowsVirtualKey(repeat), 'B');
}

TEST(KeyCodes, EveryOtherKeyIsNeitherALetterNorZero)
{
    for (const int key : std::initializer_list<int>{
             Qt::Key_Shift, Qt::Key_0, Qt::Key_Space, Qt::Key_Backtab, Qt::Key_F12, Qt::Key_unknown,
             Qt::Key_Adiaeresis, Qt::Key_yen, Qt::Key_Henkan, Qt::Key_A - 1, Qt::Key_Z + 1}) {
        const quint16 code = windowsVirtualKey(key, Qt::NoModifier);
        EXPECT_NE(code, 0) << key;
        EXPECT_FALSE(code >= 'A' && code <= 'Z') << key;
    }
    EXPECT_EQ(windowsVirtualKey(Qt::Key_7, Qt::KeypadModifier), kOtherKey);
    EXPECT_EQ(windowsShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
}
