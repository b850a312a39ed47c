#pragma once

#include "FakeBrowser.h"
#include "FakeRecordings.h"
#include "FakeWallClock.h"
#include "Fakes.h"
#include "app/Globals.h"
#include "frame/MDIForm1.h"
#include "platform/Platform.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <memory>

namespace sora::fakes {

// The program on fakes, in a fresh program folder of its own.
class Harness
{
public:
    Harness();
    ~Harness();

    QString folder() const { return m_dir.path(); }
    QString iniPath() const;
    void writeIni(const QByteArray& bytes) const;
    QByteArray readIni() const;
    // Puts the recorder's two files into the program folder.
    void enableRecording() const;
    void touch(const QString& name) const;

    // Runs start-up; false when it ended the process (end.exitCode tells how).
    bool load();

    MDIForm1& main() { return *m_main; }
    FakeBrowser* browser(int windowIndex) const;

    FakeSingleInstance instance;
    FakeMessageBoxes messages;
    FakeFolderChooser folders;
    FakeEndProcess end;
    FakeBrowserFactory browsers;
    FakeProcessLauncher launcher;
    FakeInputBackend input;
    FakeNotifyIcon tray;
    FakeStreamProbe probe;
    FakeRecordings recordings;
    FakeSleepInhibitor sleep;
    FakeTitleReader titles;
    FakeWallClock clock;

private:
    QTemporaryDir m_dir;

public:
    Platform platform;

private:
    std::unique_ptr<MDIForm1> m_main;
};

// Runs `f`, expecting it to end the process; returns the exit code, or -1 when it returned.
template <typename F> int endsProcess(F&& f)
{
    try {
        f();
    } catch (const ProcessEnded& e) {
        return e.exitCode;
    }
    return -1;
}

} // namespace sora::fakes
