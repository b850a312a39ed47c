#include "RecordingStart.h"

#include "ChildWindow.h"
#include "station/RecorderFolder.h"
#include "station/RecordingCheck.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProcessLauncher.h"
#include "platform/Recordings.h"
#include "platform/StreamProbe.h"

#include <QDateTime>
#include <QDir>
#include <QUrl>
#include <QWidget>

#include <algorithm>

namespace sora {

namespace {

// Redirections followed before the recorder is left to try.
constexpr int kMaxRedirections = 5;

// First line of every message that says why a recording does not start.
const QString kCannotRecord = QStringLiteral("録音を開始できません。\r\n");

} // namespace

RecordingStart::RecordingStart(Platform& platform, QWidget* home)
    : QObject(home), m_platform(platform), m_home(home)
{
}

void RecordingStart::begin(const RecorderCommand& command, const QString& station, ChildWindow* player)
{
    m_command = command;
    m_station = station;
    m_player = player;
    m_checking = true;
    if (const std::optional<QString> problem = StationValueProblem(command.serv, command.port)) {
        endCheck();
        tell(kCannotRecord + *problem, false);
        return;
    }
    if (player) {
        player->setCursor(Qt::BusyCursor);
        // Closed is the end for the user, though the window is deleted only later.
        connect(player, &ChildWindow::Closed, this, &RecordingStart::playerGone);
        connect(player, &QObject::destroyed, this, &RecordingStart::playerGone);
    } else {
        playerGone();
    }
    // One short listen first, so a stream that is not there or that the recorder cannot take is
    // told now instead of a recorder that ends at once; the windows stay usable meanwhile.
    probe(QUrl(command.address));
}

void RecordingStart::probe(const QUrl& address)
{
    m_probed = address;
    m_platform.probe.probe(address, this, [this](const ProbeReply& reply) { answered(reply); });
}

void RecordingStart::startNow()
{
    if (!m_checking)
        return;
    endCheck();
    start(m_command, ProbeVerdict{});
}

void RecordingStart::answered(const ProbeReply& reply)
{
    if (!m_checking)
        return;
    // The recorder follows every redirection: where each leads is checked as the first was.
    if (m_redirections < kMaxRedirections) {
        if (const std::optional<QUrl> next = RedirectionToFollow(m_probed, reply)) {
            ++m_redirections;
            return probe(*next);
        }
    }
    endCheck();
    const ProbeVerdict verdict = JudgeProbe(reply);
    if (verdict.problem) {
        tell(kCannotRecord + *verdict.problem + QStringLiteral("\r\n") + m_command.address, false);
        return;
    }
    start(m_command, verdict);
}

void RecordingStart::start(RecorderCommand command, const ProbeVerdict& verdict)
{
    command.metadataCodeset = verdict.codeset;
    if (const std::optional<QString> problem = RecorderProblem(command)) {
        tell(kCannotRecord + *problem, true);
        return;
    }

    LaunchRequest request;
    request.program = command.program;
    request.arguments = command.arguments();
    request.workingDirectory = command.workingDirectory;
    request.title = QStringLiteral("録音: ") + (m_station.isEmpty() ? command.address : m_station);
    request.logFile = RecorderFolder(ResolvedRecFolder(command)).logFile();
    request.environment = RecorderEnvironment();
    // Started and forgotten: the recording goes on after the windows and the program are gone.
    QString error;
    qint64 pid = 0;
    if (!m_platform.launcher.startDetached(request, &error, &pid)) {
        tell(kCannotRecord + error, true);
        return;
    }
    // Kept so 録音一覧 can show and stop it, also after this program ended and started again.
    Recording recording;
    recording.pid = pid;
    recording.station = m_station;
    recording.address = command.address;
    recording.started = QDateTime::currentDateTime();
    recording.ends = m_ends;
    recording.folder = RecorderFolder(ResolvedRecFolder(command)).path();
    emit started(recording.address);
    if (!m_platform.recordings.add(recording))
        tell(QStringLiteral(
                 "録音を開始しましたが、録音の状態を保存できないため、録音一覧には表示されません。\r\n") +
                 request.title,
             false);
}

void RecordingStart::playerGone()
{
    m_player = nullptr;
    if (!m_checking || m_homeBusy || !m_home)
        return;
    m_homeBusy = true;
    m_home->setCursor(Qt::BusyCursor);
}

void RecordingStart::endCheck()
{
    m_checking = false;
    // Gone once the answer is given, whatever it is.
    deleteLater();
    if (m_player) {
        m_player->disconnect(this);
        m_player->unsetCursor();
    }
    if (m_homeBusy && m_home) {
        m_homeBusy = false;
        // Another check whose player window is gone keeps the home window busy.
        const QList<RecordingStart*> others =
            m_home->findChildren<RecordingStart*>(Qt::FindDirectChildrenOnly);
        if (std::none_of(others.begin(), others.end(), [](const RecordingStart* s) { return s->m_homeBusy; }))
            m_home->unsetCursor();
    }
    emit checked();
}

QWidget* RecordingStart::shownOn() const
{
    return m_player ? static_cast<QWidget*>(m_player) : m_home;
}

void RecordingStart::tell(const QString& text, bool warning) const
{
    m_platform.messages.show(shownOn(), text, MsgButtons::Ok,
                             warning ? MsgIcon::Exclamation : MsgIcon::Information);
}

} // namespace sora
