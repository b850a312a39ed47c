#include "app/Globals.h"
#include "frame/MDIForm1.h"
#include "platform/EndProcess.h"
#include "platform/FolderChooser.h"
#include "platform/Fonts.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"
#include "windows/WebEngineBrowser.h"

#include <QApplication>

#include <csignal>

int main(int argc, char* argv[])
{
    // A file-size limit must turn into a failed write that the program reports, not a kill.
    std::signal(SIGXFSZ, SIG_IGN);

    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); // Qt WebEngine needs it before the app
    QApplication app(argc, argv);
    QApplication::setApplicationName(sora::ProgramInfo::title());
    QApplication::setQuitOnLastWindowClosed(false); // only the main window's close ends the program
    sora::installFontSubstitutions();

    sora::LockFileInstance instance;
    sora::QtMessageBoxes messages(sora::ProgramInfo::title());
    sora::QtFolderChooser folders;
    sora::RealEndProcess end;
    sora::WebEngineBrowserFactory browsers;
    sora::Platform platform{sora::ProgramInfo::fromRunningExecutable(), instance, messages, folders, end, browsers};

    sora::MDIForm1 main(platform);
    main.MDIForm_Load();
    return QApplication::exec();
}
