#include "Recorder.h"

#include "UrlValue.h"

#include <QDir>
#include <QFileInfo>

namespace sora {

namespace {

const QString kRecorder = QStringLiteral("streamripper.exe");

} // namespace

QString RecorderCommand::text() const
{
    return (QStringList{program} + arguments).join(u' ');
}

QString StreamAddress(const QString& serv, const QString& port, const QString& mount)
{
    return QStringLiteral("http://") + serv + u':' + port + mount;
}

RecorderCommand BuildRecorderCommand(const std::function<QString()>& locationUrl,
                                     const QString& programFolder, const QString& recFolder)
{
    const QString serv = GetUrlValue(locationUrl(), QStringLiteral("&serv="));
    const QString port = GetUrlValue(locationUrl(), QStringLiteral("&port="));
    const QString mount = GetUrlValue(locationUrl(), QStringLiteral("&mount="));
    // Linux has no drive-relative paths: "./" names the recorder in the working directory, which
    // is the program folder. The address always starts with "http://", so no page value can make
    // it read as an option, and the folder is the value of "-d" whatever it starts with.
    RecorderCommand command;
    command.program = QStringLiteral("./") + kRecorder;
    command.arguments = {StreamAddress(serv, port, mount), QStringLiteral("-a"), QStringLiteral("-d"),
                         recFolder};
    command.workingDirectory = programFolder;
    return command;
}

RecorderCommand BuildRecorderCommand(const QString& pageAddress, const QString& programFolder,
                                     const QString& recFolder)
{
    return BuildRecorderCommand([&pageAddress] { return pageAddress; }, programFolder, recFolder);
}

QString ResolvedRecFolder(const RecorderCommand& command)
{
    const QString folder = command.arguments.value(3);
    return folder.isEmpty() ? QString() : QDir(command.workingDirectory).filePath(folder);
}

std::optional<QString> RecorderProblem(const RecorderCommand& command)
{
    const QFileInfo recorder(QDir::cleanPath(QDir(command.workingDirectory).filePath(command.program)));
    if (!recorder.isFile() || !recorder.isExecutable())
        return QStringLiteral("録音プログラムが見つからないか、実行できません。\r\n") + recorder.filePath();
    const QString folder = ResolvedRecFolder(command);
    if (folder.isEmpty())
        return QStringLiteral(
            "録音フォルダが設定されていません。\r\n設定画面で録音フォルダを指定してください。");
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("録音フォルダがありません。\r\n") + folder;
    return std::nullopt;
}

} // namespace sora
