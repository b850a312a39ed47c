#include "StateFileRecordings.h"

#include "platform/DetachedProcessLauncher.h"
#include "platform/ProcessIdentity.h"
#include "UserCache.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sora {

namespace {

constexpr qint64 kMaxStateFile = 64 * 1024;
// A terminal just started has no recorder inside yet: listed for this long on its command line.
constexpr double kStartingSeconds = 30;

// A state file of ours: a plain file of this user's, small, read without following a link.
QByteArray readStateFile(const QString& path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    struct stat st = {};
    QByteArray data;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        st.st_size <= kMaxStateFile) {
        data.resize(static_cast<qsizetype>(st.st_size));
        const ssize_t n = ::read(fd, data.data(), static_cast<size_t>(data.size()));
        data.resize(n < 0 ? 0 : n);
    }
    ::close(fd);
    return data;
}

// Off the event loop first, then closed, so no loop ever watches a closed descriptor.
void forget(QSocketNotifier* notifier)
{
    const int fd = static_cast<int>(notifier->socket());
    delete notifier;
    process::release(fd);
}

} // namespace

StateFileRecordings::StateFileRecordings(QString stateFolder, QString programFolder)
    : m_stateFolder(QDir::cleanPath(stateFolder)), m_programFolder(QDir::cleanPath(programFolder)),
      m_bootId(process::bootId()),
      // Without process descriptors the caller looks again from time to time.
      m_announces(process::canHold())
{
}

StateFileRecordings::~StateFileRecordings()
{
    for (QSocketNotifier* n : std::as_const(m_ends))
        forget(n);
}

void StateFileRecordings::watchEnds(const QList<Recording>& listed)
{
    if (!m_announces)
        return;
    QHash<QString, QSocketNotifier*> kept;
    for (const Recording& r : listed) {
        if (QSocketNotifier* n = m_ends.take(r.id)) {
            kept.insert(r.id, n);
            continue;
        }
        if (m_afterCheck)
            m_afterCheck(r.pid);
        const int fd = process::hold(r.pid);
        if (fd < 0) {
            // Ended since it was listed: told, or nobody would look again.
            if (errno == ESRCH)
                QMetaObject::invokeMethod(this, &Recordings::changed, Qt::QueuedConnection);
            continue;
        }
        // Opened after the check: the process it names must still be the one listed.
        if (process::startTicks(r.pid) != r.startTicks) {
            process::release(fd);
            QMetaObject::invokeMethod(this, &Recordings::changed, Qt::QueuedConnection);
            continue;
        }
        auto* n = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(n, &QSocketNotifier::activated, this, [this, n] {
            n->setEnabled(false); // stays readable; told once
            emit changed();
        });
        kept.insert(r.id, n);
    }
    for (QSocketNotifier* n : std::as_const(m_ends))
        forget(n);
    m_ends = kept;
}

QString StateFileRecordings::defaultStateFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime))
        return QDir(runtime).filePath(QStringLiteral("SoraWindowEX-recordings"));
    // Kept across a restart of the computer, harmless: the boot id tells that its processes are gone.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("sorawindowex/recordings"));
}

QString StateFileRecordings::folderProblem(const QString& folder, bool create)
{
    FolderState state = OwnFolderState(folder);
    if (state == FolderState::Missing) {
        if (!create)
            return QString();
        QDir().mkpath(QFileInfo(folder).path());
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral("録音を記録するフォルダを作成できません（") + qt_error_string(errno) +
                   QStringLiteral("）。\r\n") + folder;
        state = OwnFolderState(folder);
    }
    if (state == FolderState::Missing)
        return QStringLiteral("録音を記録するフォルダを作成できません（") + qt_error_string(errno) +
               QStringLiteral("）。\r\n") + folder;
    if (state == FolderState::NotOwn)
        return QStringLiteral(
                   "録音を記録するフォルダがこのユーザーのものではないため、録音を記録・表示しません。\r\n") +
               folder;
    if (state == FolderState::OpenToOthers)
        return QStringLiteral(
                   "録音を記録するフォルダをほかのユーザーも使えるため、録音を記録・表示しません。\r\n"
                   "フォルダの権限を 700 にしてください。\r\n") +
               folder;
    return QString();
}

QString StateFileRecordings::problem()
{
    return folderProblem(m_stateFolder, false);
}

bool StateFileRecordings::isRecorder(qint64 pid) const
{
    return process::runsIn(pid, m_programFolder) &&
           process::commandLine(pid).value(0).endsWith(QStringLiteral("streamripper.exe"));
}

qint64 StateFileRecordings::recorderPid(const Recording& recording) const
{
    if (recording.bootId != m_bootId || process::startTicks(recording.pid) != recording.startTicks ||
        !process::runsIn(recording.pid, m_programFolder))
        return 0;
    if (isRecorder(recording.pid))
        return recording.pid;
    // In a terminal: the recorder is the terminal's child.
    for (const qint64 pid : process::childrenOf(recording.pid))
        if (isRecorder(pid))
            return pid;
    return 0;
}

bool StateFileRecordings::add(Recording recording)
{
    recording.startTicks = process::startTicks(recording.pid);
    if (!recording.startTicks || !folderProblem(m_stateFolder, true).isEmpty())
        return false;
    recording.programFolder = m_programFolder;
    recording.bootId = m_bootId;
    const QJsonObject o{{QStringLiteral("pid"), recording.pid},
                        {QStringLiteral("startTicks"), QString::number(recording.startTicks)},
                        {QStringLiteral("bootId"), recording.bootId},
                        {QStringLiteral("station"), recording.station},
                        {QStringLiteral("address"), recording.address},
                        {QStringLiteral("started"), recording.started.toString(Qt::ISODateWithMs)},
                        {QStringLiteral("ends"),
                         recording.ends.isValid() ? recording.ends.toUTC().toString(Qt::ISODate) : QString()},
                        {QStringLiteral("folder"), recording.folder},
                        {QStringLiteral("programFolder"), recording.programFolder}};
    const QByteArray data = QJsonDocument(o).toJson();
    const QString name = QStringLiteral("%1-%2.json").arg(recording.pid).arg(recording.startTicks);
    const QByteArray temporary = QFile::encodeName(QDir(m_stateFolder).filePath(u'.' + name));
    ::unlink(temporary.constData());
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, data.constData(), static_cast<size_t>(data.size())) == data.size();
    const bool closed = ::close(fd) == 0;
    if (!written || !closed ||
        ::rename(temporary.constData(), QFile::encodeName(QDir(m_stateFolder).filePath(name)).constData()) !=
            0) {
        ::unlink(temporary.constData());
        return false;
    }
    emit changed();
    return true;
}

QList<Recording> StateFileRecordings::running()
{
    QList<Recording> list;
    if (!problem().isEmpty()) {
        watchEnds(list);
        return list;
    }
    const QDir dir(m_stateFolder);
    for (const QString& name : dir.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::NoSymLinks)) {
        const QString path = dir.filePath(name);
        const QJsonObject o = QJsonDocument::fromJson(readStateFile(path)).object();
        Recording r;
        r.id = name;
        r.pid = o.value(QStringLiteral("pid")).toInteger();
        r.startTicks = o.value(QStringLiteral("startTicks")).toString().toULongLong();
        r.bootId = o.value(QStringLiteral("bootId")).toString();
        r.station = o.value(QStringLiteral("station")).toString();
        r.address = o.value(QStringLiteral("address")).toString();
        r.started = QDateTime::fromString(o.value(QStringLiteral("started")).toString(), Qt::ISODateWithMs);
        r.ends = QDateTime::fromString(o.value(QStringLiteral("ends")).toString(), Qt::ISODate);
        r.folder = o.value(QStringLiteral("folder")).toString();
        r.programFolder = o.value(QStringLiteral("programFolder")).toString();
        if (r.programFolder != m_programFolder)
            continue; // another copy of the program keeps its own
        bool listed = recorderPid(r) > 0;
        if (!listed && r.bootId == m_bootId && process::startTicks(r.pid) == r.startTicks &&
            process::runsIn(r.pid, m_programFolder) && process::secondsSince(r.startTicks) < kStartingSeconds)
            // A terminal that has not started the recorder inside yet, as the launcher started it.
            listed = DetachedProcessLauncher::showsProgram(process::commandLine(r.pid),
                                                           QStringLiteral("./streamripper.exe"));
        if (!listed) {
            // Ended, the id now belongs to another process, or it never was a recorder of ours.
            QFile::remove(path);
            continue;
        }
        list.append(r);
    }
    std::sort(list.begin(), list.end(),
              [](const Recording& a, const Recording& b) { return a.started < b.started; });
    watchEnds(list);
    return list;
}

bool StateFileRecordings::stop(const Recording& recording, QString* error)
{
    qint64 pid = recorderPid(recording);
    // The process is held before it is checked, and the one held is signalled: its id may name
    // another process by the time the signal goes.
    const int fd = pid > 0 ? process::hold(pid) : -1;
    if (fd >= 0 && recorderPid(recording) != pid)
        pid = 0;
    if (m_afterCheck && pid > 0)
        m_afterCheck(pid);
    // As its interrupt key does: it closes its files and ends; its terminal follows.
    const int sendError = pid > 0 ? process::interrupt(pid, fd) : ESRCH;
    process::release(fd);
    if (sendError == 0)
        return true;
    if (sendError == ESRCH)
        pid = 0; // ended meanwhile
    if (error)
        *error = pid == 0 ? QStringLiteral("録音プログラムが見つかりません。すでに終わっています。")
                          : QStringLiteral("録音プログラムに停止を伝えられません（") +
                                qt_error_string(sendError) + QStringLiteral("）。");
    return false;
}

QStringList StateFileRecordings::openFiles(const Recording& recording)
{
    const qint64 pid = recorderPid(recording);
    return pid > 0 ? process::openFiles(pid) : QStringList();
}

} // namespace sora
