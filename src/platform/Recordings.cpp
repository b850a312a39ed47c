#include "Recordings.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace sora {

namespace {

QByteArray readProc(qint64 pid, const char* what)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(what)));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool isRecorder(qint64 pid)
{
    const QByteArray program = readProc(pid, "cmdline").split('\0').value(0);
    return program.endsWith("streamripper.exe");
}

} // namespace

Recordings::Recordings(QString stateFolder, QString programFolder)
    : m_stateFolder(std::move(stateFolder)), m_programFolder(QDir::cleanPath(programFolder))
{
}

QString Recordings::defaultStateFolder()
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    return QDir(runtime).filePath(QStringLiteral("SoraWindowEX-recordings"));
}

quint64 Recordings::processStartTicks(qint64 pid)
{
    if (pid <= 0)
        return 0;
    const QByteArray stat = readProc(pid, "stat");
    // The name in parentheses may hold blanks; the fields after it are fixed: start time is the
    // 22nd field, the 20th after the name.
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0)
        return 0;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.value(0) == "Z" || fields.value(0) == "X")
        return 0;
    return fields.value(19).toULongLong();
}

bool Recordings::add(Recording recording)
{
    recording.startTicks = processStartTicks(recording.pid);
    if (!recording.startTicks)
        return false;
    recording.programFolder = m_programFolder;
    if (!QDir().mkpath(m_stateFolder))
        return false;
    QJsonObject o{{QStringLiteral("pid"), recording.pid},
                  {QStringLiteral("startTicks"), QString::number(recording.startTicks)},
                  {QStringLiteral("station"), recording.station},
                  {QStringLiteral("address"), recording.address},
                  {QStringLiteral("started"), recording.started.toString(Qt::ISODateWithMs)},
                  {QStringLiteral("folder"), recording.folder},
                  {QStringLiteral("stationFolder"), recording.stationFolder},
                  {QStringLiteral("programFolder"), recording.programFolder}};
    QSaveFile file(QDir(m_stateFolder)
                       .filePath(QStringLiteral("%1-%2.json").arg(recording.pid).arg(recording.startTicks)));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(o).toJson()) < 0 || !file.commit())
        return false;
    emit changed();
    return true;
}

QList<Recording> Recordings::running()
{
    QList<Recording> list;
    QDir dir(m_stateFolder);
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*.json")}, QDir::Files)) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
        Recording r;
        r.id = info.fileName();
        r.pid = o.value(QStringLiteral("pid")).toInteger();
        r.startTicks = o.value(QStringLiteral("startTicks")).toString().toULongLong();
        r.station = o.value(QStringLiteral("station")).toString();
        r.address = o.value(QStringLiteral("address")).toString();
        r.started = QDateTime::fromString(o.value(QStringLiteral("started")).toString(), Qt::ISODateWithMs);
        r.folder = o.value(QStringLiteral("folder")).toString();
        r.stationFolder = o.value(QStringLiteral("stationFolder")).toString();
        r.programFolder = o.value(QStringLiteral("programFolder")).toString();
        if (r.pid <= 0 || processStartTicks(r.pid) != r.startTicks) {
            // Ended, or the id now belongs to another process: the file has served.
            file.remove();
            continue;
        }
        if (r.programFolder == m_programFolder)
            list.append(r);
    }
    std::sort(list.begin(), list.end(),
              [](const Recording& a, const Recording& b) { return a.started < b.started; });
    return list;
}

qint64 Recordings::recorderPid(const Recording& recording)
{
    if (processStartTicks(recording.pid) != recording.startTicks)
        return 0;
    if (isRecorder(recording.pid))
        return recording.pid;
    // In a terminal: the recorder is the terminal's child.
    const QList<QByteArray> children =
        readProc(recording.pid, QStringLiteral("task/%1/children").arg(recording.pid).toLatin1().constData())
            .simplified()
            .split(' ');
    for (const QByteArray& child : children)
        if (const qint64 pid = child.toLongLong(); pid > 0 && isRecorder(pid))
            return pid;
    return 0;
}

bool Recordings::stop(const Recording& recording, QString* error)
{
    const qint64 pid = recorderPid(recording);
    // SIGINT, as its interrupt key sends: it closes its files and ends; its terminal follows.
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), SIGINT) == 0)
        return true;
    // No recorder (yet, or any more) inside a terminal still open: closing the terminal ends it.
    if (pid == 0 && processStartTicks(recording.pid) == recording.startTicks &&
        ::kill(static_cast<pid_t>(recording.pid), SIGHUP) == 0)
        return true;
    if (error)
        *error = pid == 0 ? QStringLiteral("録音はすでに終わっています。")
                          : QStringLiteral("録音を停止できません（") + qt_error_string(errno) +
                                QStringLiteral("）。");
    return false;
}

QString Recordings::stationFolderPath(const Recording& recording)
{
    const QDir folder(recording.folder);
    if (!recording.stationFolder.isEmpty() && folder.exists(recording.stationFolder))
        return folder.filePath(recording.stationFolder);
    // The recorder names the folder after the stream, cleaned its own way: take the one that
    // changed last since the recording started.
    QString best;
    QDateTime newest;
    for (const QFileInfo& info : folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDateTime changed = info.lastModified();
        if (changed >= recording.started.addSecs(-2) && (best.isEmpty() || changed > newest)) {
            best = info.filePath();
            newest = changed;
        }
    }
    return best;
}

qint64 Recordings::bytesWritten(const Recording& recording)
{
    const QString folder = stationFolderPath(recording);
    if (folder.isEmpty())
        return 0;
    qint64 bytes = 0;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (info.lastModified() >= recording.started.addSecs(-2))
            bytes += info.size();
    }
    return bytes;
}

} // namespace sora
