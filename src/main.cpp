#include "frame/MDIForm1.h"
#include "frame/MediaControls.h"
#include "frame/SystemTrayIcon.h"
#include "platform/DetachedProcessLauncher.h"
#include "platform/EndProcess.h"
#include "platform/FolderChooser.h"
#include "platform/Fonts.h"
#include "platform/Language.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/SessionPlatform.h"
#include "platform/SingleInstance.h"
#include "platform/SleepInhibitor.h"
#include "platform/TerminationSignals.h"
#include "platform/WallClock.h"
#include "platform/XInput2Backend.h"
#include "station/Catalogue.h"
#include "station/DirectoryPages.h"
#include "station/IcyReads.h"
#include "station/StateFileRecordings.h"
#include "windows/DirectoryScheme.h"
#include "windows/EngineFlags.h"
#include "windows/RenderingPath.h"
#include "windows/WebEngineBrowser.h"

#include <QApplication>
#include <QSessionManager>

#include <algorithm>
#include <csignal>
#include <list>
#include <optional>
#include <strings.h>
#include <vector>

namespace {

// Pages of one site share one page process: every window shows the directory's site, and ten
// windows take about a third less memory at no cost in start-up (bench/RESULTS.md). The engine
// reads its flags after --webEngineArgs (any case); a user who passes flags that way, or through
// QTWEBENGINE_CHROMIUM_FLAGS (which replaces them all), keeps their own; the variable's flags get
// the process per site unless they choose a process model, and the larger audio buffer unless
// they size it.
std::vector<char*> withEngineArguments(int argc, char* argv[])
{
    static char marker[] = "--webEngineArgs";
    static char perSite[] = "--process-per-site";
    static std::list<QByteArray> kept; // the arguments point into it for the life of the program
    const char* env = "QTWEBENGINE_CHROMIUM_FLAGS";
    std::vector<char*> args(argv, argv + argc);
    if (qEnvironmentVariableIsSet(env)) {
        qputenv(env, sora::withoutMediaBridge(sora::withAudioBuffer(sora::withProcessPerSite(qgetenv(env)))));
        args.push_back(nullptr);
        return args;
    }
    auto own = std::find_if(args.begin(), args.end(), [](const char* a) { return ::strcasecmp(a, marker) == 0; });
    if (own == args.end()) {
        args.push_back(marker);
        args.push_back(perSite);
        own = std::prev(args.end(), 2);
    }
    // The larger audio buffer unless the user's own engine arguments size it.
    const bool sized = std::any_of(std::next(own), args.end(),
                                   [](const char* a) { return QByteArray(a).startsWith("--audio-buffer-size"); });
    // The media bridge stays off beside a user's own engine arguments: the desktop's media
    // controls are the program's (MediaControls), and the engine's would list a second player.
    const auto features = std::find_if(std::next(own), args.end(), [](const char* a) {
        return QByteArray(a).startsWith("--disable-features=");
    });
    if (features != args.end())
        *features = kept.emplace_back(sora::withoutMediaBridge(*features)).data();
    else
        args.push_back(kept.emplace_back(sora::withoutMediaBridge({})).data());
    if (!sized)
        args.push_back(kept.emplace_back(sora::kAudioBufferSwitch).data());
    args.push_back(nullptr);
    return args;
}

} // namespace

int main(int argc, char* argv[])
{
    // A file-size limit must turn into a failed write that the program reports, not a kill.
    std::signal(SIGXFSZ, SIG_IGN);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // Qt WebEngine needs it before the app
    // Without it the engine never builds the pages' accessibility trees on Linux. With it, it builds
    // them only while Qt's own accessibility is active, which follows the desktop's status
    // (org.a11y.Status: IsEnabled, ScreenReaderEnabled): without assistive technology it costs
    // nothing (bench/RESULTS.md).
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    std::vector<char*> args = withEngineArguments(argc, argv);
    sora::registerDirectoryScheme(); // the engine takes schemes only before it starts
    int argCount = static_cast<int>(args.size()) - 1;
    std::optional<sora::QtPlatformChoice> platformChoice(std::in_place); // X11 on a Wayland session
    QApplication app(argCount, args.data());
    platformChoice.reset();
    sora::chooseRenderingPath();
    QApplication::setApplicationName(sora::ProgramInfo::title());
    QApplication::setQuitOnLastWindowClosed(false); // only the main window's close ends the program
    sora::installFontSubstitutions();
    sora::useJapanese();

    sora::LockFileInstance instance;
    sora::QtMessageBoxes messages(sora::ProgramInfo::title());
    sora::QtFolderChooser folders;
    sora::RealEndProcess end;
    sora::WebEngineBrowserFactory browsers;
    sora::DetachedProcessLauncher launcher;
    sora::XInput2Backend input;
    sora::SystemTrayIcon tray;
    sora::IcyStreamProbe probe;
    const sora::ProgramInfo program = sora::ProgramInfo::fromRunningExecutable();
    sora::StateFileRecordings recordings(sora::StateFileRecordings::defaultStateFolder(), program.folder());
    sora::DBusSleepInhibitor sleep;
    sora::IcyTitleReader titles;
    sora::SystemWallClock clock;
    sora::Platform platform{program, instance, messages, folders,    end,   browsers, launcher,
                            input,   tray,     probe,    recordings, sleep, titles,   clock};

    // The built-in directory, before any window opens its start page.
    sora::Catalogue catalogue(sora::Catalogue::defaultCacheFolder());
    sora::DirectoryPages directory(catalogue);
    sora::installDirectoryScheme(directory, &directory);

    sora::MDIForm1 main(platform);
    main.MDIForm_Load();
    // From the end of start-up to the exit; without a session bus the program runs without it.
    auto* controls = new sora::MediaControls(main);
    controls->publish();

    // Every way a close is asked for ends in the same save: the close box and the window manager
    // (closeEvent), the desktop session ending, and termination signals. Wired only once start-up
    // is done: until then a signal ends the program unsaved, as a save then would write a layout
    // that was never restored over the one in the file.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &main,
                     [&main](QSessionManager&) { main.MDIForm_QueryUnload(); });
    sora::watchTerminationSignals(&main, [&main] { main.MDIForm_QueryUnload(); });
    return QApplication::exec();
}
