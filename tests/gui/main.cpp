// Runs the GUI tests on Qt's offscreen platform: real widgets, no display.
#include "platform/Fonts.h"
#include "platform/Language.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A runtime folder of our own, so nothing here meets a running program's lock.
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    sora::installFontSubstitutions();
    sora::useJapanese(); // as the program does, so Qt's own texts are the ones a user sees
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
