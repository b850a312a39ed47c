#include "Form1.h"

#include "Layout.h"
#include "NowPlaying.h"
#include "UrlValue.h"
#include "app/Cp932.h"
#include "app/Defaults.h"
#include "app/Globals.h"
#include "platform/Fonts.h"
#include "platform/WebBrowser.h"

#include "Recorder.h"
#include "RecordingCheck.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/ProcessLauncher.h"
#include "platform/Recordings.h"
#include "platform/StreamProbe.h"

#include <QDateTime>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace sora {

namespace {

// First line of every message that says why a recording does not start.
const QString kCannotRecord = QStringLiteral("録音を開始できません。\r\n");

} // namespace

Form1::Form1(Platform& platform)
    : ChildWindow(platform.browsers, caption(), defaults::PlayerGeometry), Frame1(new QFrame(client())),
      lbl_title(new QLabel(Frame1)), cmdRec(new QPushButton(QStringLiteral("録音"), Frame1)),
      m_platform(platform), m_nowPlaying(new NowPlaying(
                                platform.titles,
                                [&recordings = platform.recordings](const QUrl& stream) {
                                    return RecorderTrackOf(recordings, stream);
                                },
                                this))
{
    Frame1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    lbl_title->setFont(msGothic(9));
    lbl_title->setTextFormat(Qt::PlainText);
    lbl_title->setAccessibleDescription(QStringLiteral("放送局名")); // its name is the text shown
    cmdRec->setFont(msGothic(9));

    WebBrowser1->SetPlace(0, 500, 5535, 4305);
    m_frame1 = TwipsPlace(Frame1, 0, -60, 5535, 555);
    m_title = TwipsPlace(lbl_title, 60, 210, 4605, 255);
    m_rec = TwipsPlace(cmdRec, 4830, 150, 600, 345);
    // The browser lies over the strip; the strip shows once the browser moves below it.
    WebBrowser1->widget()->raise();
    setTabOrder(WebBrowser1->widget(), cmdRec);

    // A station that drops in a network blip plays again by itself.
    WebBrowser1->setRecoversPlayback(true);
    connect(WebBrowser1, &WebBrowser::DownloadComplete, this, &Form1::WebBrowser1_DownloadComplete);
    connect(cmdRec, &QPushButton::clicked, this, &Form1::cmdRec_Click);

    for (auto change : {&WebBrowser::PlayingSourceChange, &WebBrowser::DownloadComplete})
        connect(WebBrowser1, change, this, &Form1::followSong);
    connect(WebBrowser1, &WebBrowser::AudibleChange, this, &Form1::followSong);
    connect(m_nowPlaying, &NowPlaying::NewSong, this, [this](const QString& title) {
        emit SongHeard(StationName(WebBrowser1->LocationURL(), WebBrowser1->Title()), title,
                       m_nowPlaying->stream().toString());
    });
}

void Form1::followSong()
{
    const QString source = WebBrowser1->PlayingSource();
    const bool plays =
        !source.isEmpty() || WebBrowser1->RecentlyAudible() || WebBrowser1->RecoveringPlayback();
    m_nowPlaying->watch(plays ? StationStream(source, WebBrowser1->LocationURL()) : QUrl());
}

void Form1::Form_Load()
{
    WebBrowser1->SetTop(0);
    if (gPremium) {
        lbl_title->setText(QString());
        cmdRec->setEnabled(false);
        m_rec.SetLeft(Width() - 800);
        cmdRec->setVisible(true);
    } else {
        cmdRec->setVisible(false);
        Frame1->setVisible(false);
        lbl_title->setVisible(false);
    }
}

void Form1::Form_Resize()
{
    // The button is disabled only for the probe: the station page is still open.
    const WindowLayout l =
        playerLayout(Width(), Height(), WindowState(), gPremium, cmdRec->isEnabled() || m_probing);
    applyLayout(l);
    if (l.frameWidth)
        m_frame1.SetWidth(*l.frameWidth);
    if (l.titleWidth)
        m_title.SetWidth(*l.titleWidth);
    if (l.recLeft)
        m_rec.SetLeft(*l.recLeft);
}

void Form1::WebBrowser1_DownloadComplete()
{
    if (!gPremium)
        return;
    if (WebBrowser1->LocationURL() == gUrl1) {
        lbl_title->setText(QString());
        WebBrowser1->SetTop(0);
        cmdRec->setEnabled(false);
        return;
    }
    lbl_title->setText(GetUrlValue(WebBrowser1->LocationURL(), QStringLiteral("&title=")));
    if (!lbl_title->text().isEmpty()) {
        cmdRec->setEnabled(true);
        WebBrowser1->SetTop(500);
    } else {
        WebBrowser1->SetTop(0);
    }
}

// Starts the recorder on the station the window shows.
void Form1::cmdRec_Click()
{
    if (m_platform.messages.show(this, QStringLiteral("この放送を録音しますか？"), MsgButtons::YesNo,
                                 MsgIcon::Question) != MsgResult::Yes)
        return;

    // Read at the moment of the click: the page may have moved on since its title was shown.
    const RecorderCommand command = BuildRecorderCommand([this] { return WebBrowser1->LocationURL(); },
                                                         m_platform.program.folder(), gRecFolder);

    if (const std::optional<QString> problem =
            StationValueProblem(command.serv, command.port, command.mount)) {
        m_platform.messages.show(this, kCannotRecord + *problem, MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    // One short listen first, so a stream that is not there or that the recorder cannot take is
    // told now instead of a recorder that ends at once; the window stays usable meanwhile.
    m_probing = true;
    cmdRec->setEnabled(false);
    const QString station = lbl_title->text();
    m_platform.probe.probe(
        QUrl(command.arguments.value(0)), this,
        [this, command, station](const ProbeReply& reply) { startRecorder(command, station, reply); });
}

void Form1::startRecorder(RecorderCommand command, const QString& station, const ProbeReply& reply)
{
    m_probing = false;
    // Back as the page now wants it: the start page disables it, any other page left it enabled.
    cmdRec->setEnabled(!gPremium || WebBrowser1->LocationURL() != gUrl1);
    const ProbeVerdict verdict = JudgeProbe(reply);
    if (verdict.problem) {
        m_platform.messages.show(
            this, kCannotRecord + *verdict.problem + QStringLiteral("\r\n") + command.arguments.value(0),
            MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    command.setMetadataCodeset(verdict.codeset);
    if (const std::optional<QString> problem = RecorderProblem(command)) {
        m_platform.messages.show(this, kCannotRecord + *problem, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }

    LaunchRequest request;
    request.program = command.program;
    request.arguments = command.arguments;
    request.workingDirectory = command.workingDirectory;
    request.title = QStringLiteral("録音: ") + (station.isEmpty() ? command.arguments.value(0) : station);
    request.logFile = QDir(ResolvedRecFolder(command)).filePath(QStringLiteral("streamripper.log"));
    request.environment = RecorderEnvironment();
    // Started and forgotten: the recording goes on after this window and the program are gone.
    QString error;
    qint64 pid = 0;
    if (!m_platform.launcher.startDetached(request, &error, &pid)) {
        m_platform.messages.show(this, kCannotRecord + error, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    // Kept so 録音一覧 can show and stop it, also after this program ended and started again.
    Recording recording;
    recording.pid = pid;
    recording.station = station;
    recording.address = command.arguments.value(0);
    recording.started = QDateTime::currentDateTime();
    recording.folder = QDir::cleanPath(ResolvedRecFolder(command));
    // The recorder names its folder after the stream's name, in the titles' character set.
    recording.stationFolder =
        verdict.codeset == u"UTF-8" ? QString::fromUtf8(reply.icyName) : cp932::decode(reply.icyName);
    m_platform.recordings.add(recording);
}

} // namespace sora
