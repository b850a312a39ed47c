// Runs the GUI tests on Qt's offscreen platform: real widgets, no display.
#include "platform/Fonts.h"
#include "platform/Language.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char* argv[])
{
    // A runtime folder of our own, so nothing here meets a running program's lock.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        // A desktop-sized screen at 96 DPI: the default layout is wider than the offscreen
        // plugin's own 800x600, and start-up would move it to fit.
        QFile config(QDir(runtime.path()).filePath(QStringLiteral("screens.json")));
        if (config.open(QIODevice::WriteOnly))
            config.write(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1280, "height": 1024,
                                          "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        config.close();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
    }
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    sora::installFontSubstitutions();
    sora::useJapanese(); // as the program does, so Qt's own texts are the ones a user sees
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
