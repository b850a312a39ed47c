// The record button: starts the recorder on the station the player window shows.
#include "Form1.h"
#include "Recorder.h"
#include "WebBrowser.h"
#include "app/Globals.h"
#include "frame/MDIForm1.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProcessLauncher.h"

#include <QDir>
#include <QLabel>

namespace sora {

void Form1::cmdRec_Click()
{
    Platform& platform = mainForm().platform();
    if (platform.messages.show(this, QStringLiteral("この放送を録音しますか？"), MsgButtons::YesNo,
                               MsgIcon::Question) != MsgResult::Yes)
        return;

    // Read at the moment of the click: the page may have moved on since its title was shown.
    const RecorderCommand command = BuildRecorderCommand([this] { return WebBrowser1->LocationURL(); },
                                                         platform.program.folder(), gRecFolder);

    const QString cannot = QStringLiteral("録音を開始できません。\r\n");
    if (const std::optional<QString> problem = RecorderProblem(command)) {
        platform.messages.show(this, cannot + *problem, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }

    LaunchRequest request;
    request.program = command.program;
    request.arguments = command.arguments;
    request.workingDirectory = command.workingDirectory;
    request.title = lbl_title->text().isEmpty() ? command.arguments.value(0) : lbl_title->text();
    request.logFile = QDir(ResolvedRecFolder(command)).filePath(QStringLiteral("streamripper.log"));
    // Started and forgotten: the recording goes on after this window and the program are gone.
    QString error;
    if (!platform.launcher.startDetached(request, &error))
        platform.messages.show(this, cannot + error, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace sora
