// How reading and saving the layout grow with the number of windows, and what the save at exit
// costs with 20 windows.
//
//   settings_scaling [REPEATS]
//
// Prints one JSON object per line: {"phase": ..., "windows": N, "ns": [one figure per repeat]}.
//   read      the start-up reading phase: main values, Count, then every window's keys, from a
//             file the program has not read before
//   save      the exit saving phase: the whole layout written in one replace of the file
//   savestate the main window's SaveState with that many child windows (fake browsers)
// The sizes run in turn within each repeat, so a busy moment of the machine hits them alike.
#include "Harness.h"
#include "app/AtomicFile.h"
#include "app/Globals.h"
#include "app/SavedLayout.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

using namespace sora;

namespace {

const int kSizes[] = {10, 100, 1000};
constexpr int kSaveStateWindows = 20;

QByteArray layoutFile(int windows)
{
    QByteArray b = "[MainForm]\r\nTop=0\r\nLeft=0\r\nHeight=7320\r\nWidth=12720\r\nTimeInterval=1\r\n"
                   "[SubForm]\r\nCount=" +
                   QByteArray::number(windows) + "\r\n";
    for (int i = 1; i <= windows; ++i) {
        const QByteArray f = "Form" + QByteArray::number(i);
        const int offset = (i - 1) % 20 * 300;
        b += f + "Top=" + QByteArray::number(offset) + "\r\n" + f + "Left=" + QByteArray::number(offset) + "\r\n" +
             f + "Width=5460\r\n" + f + "Height=6300\r\n" + f + "WindowType=" + QByteArray::number(i % 2 ? 1 : 2) +
             "\r\n" + f + "WindowState=0\r\n";
    }
    b += "[URL]\r\nUrl1=\"http://127.0.0.1:8642/kiri-board/radio-deck/radioobx.cgi\"\r\n"
         "Url2=\"http://127.0.0.1:8642/kiri-board/ping-testobx.cgi\"\r\n";
    return b;
}

qint64 nsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start).count();
}

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "settings_scaling: %s\n", what);
    std::exit(1);
}

// The file replaced by a new one (a new inode), so the next read parses it as start-up does.
void putFile(const QByteArray& bytes)
{
    if (!writeFileAtomically(gIniPath, bytes))
        fail("cannot write the settings file");
}

qint64 timeRead(int windows, const QByteArray& file)
{
    putFile(file);
    const auto start = std::chrono::steady_clock::now();
    const SavedMain main = ReadSavedMain();
    const qint32 count = ReadSavedCount();
    const QList<SavedWindow> list = ReadSavedWindows(windows);
    const qint64 ns = nsSince(start);
    // Count is capped for start-up; the phase itself reads every window the file holds.
    if (list.size() != windows || count <= 0 || main.url1.isEmpty())
        fail("the layout read back is not the one written");
    return ns;
}

qint64 timeSave(int windows, const QByteArray& file, int repeat)
{
    putFile(file);
    // At exit the file was read at start-up and is known already.
    const QList<SavedWindow> read = ReadSavedWindows(windows);
    SavedMain main = ReadSavedMain();
    main.geometry.top = repeat;
    QList<SavedWindow> changed;
    changed.reserve(read.size());
    for (SavedWindow w : read) {
        w.geometry.left += 15 * (repeat + 1); // a layout that differs from the file's, as after a run
        changed.append(w);
    }
    const auto start = std::chrono::steady_clock::now();
    const bool ok = WriteSavedLayout(main, changed);
    const qint64 ns = nsSince(start);
    if (!ok)
        fail("saving the layout failed");
    return ns;
}

qint64 timeSaveState(const QByteArray& file)
{
    fakes::Harness h;
    h.writeIni(file);
    if (!h.load() || h.main().windowCount() != kSaveStateWindows + 1)
        fail("start-up on fakes did not restore the layout");
    const auto start = std::chrono::steady_clock::now();
    h.main().SaveState();
    const qint64 ns = nsSince(start);
    if (!h.messages.shown.isEmpty() || !h.readIni().contains("Form20WindowType="))
        fail("SaveState did not save");
    return ns;
}

void print(const char* phase, int windows, const std::vector<qint64>& samples)
{
    std::printf("{\"phase\": \"%s\", \"windows\": %d, \"ns\": [", phase, windows);
    for (size_t i = 0; i < samples.size(); ++i)
        std::printf("%s%lld", i ? ", " : "", static_cast<long long>(samples[i]));
    std::printf("]}\n");
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 15;
    if (repeats < 1)
        fail("usage: settings_scaling [REPEATS]");

    QTemporaryDir folder;
    if (!folder.isValid())
        fail("no temporary folder");
    const QString iniPath = QDir(folder.path()).filePath(QStringLiteral("SoraWindowEX.ini"));

    std::map<int, QByteArray> files;
    for (int n : kSizes)
        files[n] = layoutFile(n);
    const QByteArray saveStateFile = layoutFile(kSaveStateWindows);

    std::map<int, std::vector<qint64>> reads, saves;
    std::vector<qint64> saveStates;
    for (int r = 0; r < repeats; ++r) {
        for (int n : kSizes) {
            gIniPath = iniPath; // the harness resets the process-wide values
            reads[n].push_back(timeRead(n, files[n]));
            saves[n].push_back(timeSave(n, files[n], r));
        }
        saveStates.push_back(timeSaveState(saveStateFile));
    }

    for (int n : kSizes)
        print("read", n, reads[n]);
    for (int n : kSizes)
        print("save", n, saves[n]);
    print("savestate", kSaveStateWindows, saveStates);
    return 0;
}
