#include "RecorderCommand.h"

#include "AddressSpelling.h"
#include "UrlValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace sora {

namespace {

const QString kRecorder = QStringLiteral("streamripper.exe");

} // namespace

QStringList RecorderCommand::arguments() const
{
    // The address always starts with "http://", so no page value can make it read as an option,
    // and the folder is the value of "-d" whatever it starts with.
    return {address,
            QStringLiteral("-a"),
            QStringLiteral("-d"),
            folder,
            QStringLiteral("--codeset-filesys=UTF-8"),
            QStringLiteral("--codeset-metadata=") + metadataCodeset};
}

QString RecorderCommand::text() const
{
    return (QStringList{program} + arguments()).join(u' ');
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
    // is the program folder.
    RecorderCommand command;
    command.program = QStringLiteral("./") + kRecorder;
    // The page's Japanese reaches the stream server as UTF-8 escapes, as the browser sends it; the
    // recorder is given plain ASCII so its own locale cannot change the bytes.
    // Whatever the locale, the recorder reads station names as Latin-1 or ASCII and writes file
    // names the same way unless told otherwise: a Japanese name would become "-" or mojibake.
    // Linux file names are UTF-8, and so are the directory's station names.
    command.address = asciiAddress(StreamAddress(serv, port, mount));
    command.folder = recFolder;
    command.workingDirectory = programFolder;
    command.serv = serv;
    command.port = port;
    command.mount = mount;
    return command;
}

RecorderCommand BuildRecorderCommand(const QString& pageAddress, const QString& programFolder,
                                     const QString& recFolder)
{
    return BuildRecorderCommand([&pageAddress] { return pageAddress; }, programFolder, recFolder);
}

QString ResolvedRecFolder(const RecorderCommand& command)
{
    return command.folder.isEmpty() ? QString() : QDir(command.workingDirectory).filePath(command.folder);
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
    // The recorder would make its folder itself; made here, with its parents, so the log that
    // goes beside the recording has a place and a folder that cannot be made is told at once.
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (!QFileInfo(folder).isDir()) {
        QString why = QStringLiteral("録音フォルダを作成できません。\r\n") + folder;
        if (error)
            why += QStringLiteral("（") + qt_error_string(error.value()) + u'）';
        return why;
    }
    return std::nullopt;
}

QStringList RecorderEnvironment(const QString& lcAll, const QString& lcCtype, const QString& lang)
{
    // The first one set decides the character set, as in the C library; none set means "C".
    QString locale = !lcAll.isEmpty() ? lcAll : !lcCtype.isEmpty() ? lcCtype : lang;
    const qsizetype dot = locale.indexOf(u'.');
    QString codeset = dot < 0 ? QString() : locale.mid(dot + 1).section(u'@', 0, 0);
    codeset = codeset.toLower().remove(u'-').remove(u'_');
    if (codeset == u"utf8")
        return {};
    return {QStringLiteral("LC_ALL=C.UTF-8")};
}

QStringList RecorderEnvironment()
{
    return RecorderEnvironment(qEnvironmentVariable("LC_ALL"), qEnvironmentVariable("LC_CTYPE"),
                               qEnvironmentVariable("LANG"));
}

} // namespace sora
