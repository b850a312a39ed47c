// Saves two layouts in turn, the way the program saves at exit, until it is killed: the crash
// safety test kills it at random moments and reads what is left.
//
//   save_loop SETTINGS_FILE WINDOWS
#include "app/Globals.h"
#include "app/Settings.h"

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace {

bool saveLayout(int windows, int value)
{
    sora::SettingsBatch batch;
    const QString v = QString::number(value);
    bool ok = true;
    for (const char* key : {"Top", "Left", "Height", "Width"})
        ok &= sora::WriteSetting(QStringLiteral("MainForm"), QString::fromLatin1(key), v);
    ok &= sora::WriteSetting(QStringLiteral("SubForm"), QStringLiteral("Count"), QString::number(windows));
    ok &= sora::WriteSetting(QStringLiteral("MainForm"), QStringLiteral("TimeInterval"), v);
    for (int i = 1; i <= windows; ++i)
        for (const char* key : {"Top", "Left", "Height", "Width", "WindowState", "WindowType"})
            ok &= sora::WriteSetting(QStringLiteral("SubForm"),
                                     QStringLiteral("Form%1%2").arg(i).arg(QString::fromLatin1(key)), v);
    return batch.commit() && ok;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SETTINGS_FILE WINDOWS\n", argv[0]);
        return 2;
    }
    sora::gIniPath = QString::fromLocal8Bit(argv[1]);
    const int windows = std::atoi(argv[2]);
    if (!saveLayout(windows, 1)) // the old layout, in place before the loop
        return 1;
    std::puts("ready");
    std::fflush(stdout);
    for (int n = 2;; n = n == 2 ? 3 : 2)
        if (!saveLayout(windows, n))
            return 1;
}
