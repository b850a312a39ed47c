#include "ProgramInfo.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace sora {

ProgramInfo ProgramInfo::fromRunningExecutable()
{
    // applicationFilePath() follows /proc/self/exe, so a link to the executable still finds the
    // real program folder with its settings file and recorder.
    const QFileInfo exe(QCoreApplication::applicationFilePath());
    return ProgramInfo(exe.absolutePath(), exe.completeBaseName());
}

} // namespace sora
