#include "Form1.h"

#include "Layout.h"
#include "station/NowPlaying.h"
#include "station/UrlValue.h"
#include "app/Defaults.h"
#include "app/Globals.h"
#include "platform/Fonts.h"
#include "platform/WebBrowser.h"

#include "StationRecovery.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace sora {

Form1::Form1(Platform& platform)
    : ChildWindow(platform.browsers, caption(), defaults::PlayerGeometry), Frame1(new QFrame(client())),
      lbl_title(new QLabel(Frame1)), cmdRec(new QPushButton(QStringLiteral("録音"), Frame1)),
      m_platform(platform), m_nowPlaying(new NowPlaying(
                                platform.titles,
                                [&recordings = platform.recordings](const QUrl& stream, QObject* context,
                                                                    auto done) {
                                    RecorderTrackOf(recordings, stream, context, std::move(done));
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
    m_recovery = new StationRecovery(*WebBrowser1, this);
    connect(m_recovery, &StationRecovery::StatusTextChange, this, &ChildWindow::StatusTextChange);
    connect(m_recovery, &StationRecovery::ReconnectingChange, this, &Form1::RecoveringChange);
    connect(m_recovery, &StationRecovery::ReconnectingChange, this, &Form1::followSong);
    connect(WebBrowser1, &WebBrowser::DownloadComplete, this, &Form1::WebBrowser1_DownloadComplete);
    connect(cmdRec, &QPushButton::clicked, this, &Form1::cmdRec_Click);

    connect(WebBrowser1, &WebBrowser::MediaReport, this, &Form1::mediaReported);
    connect(WebBrowser1, &WebBrowser::LoadStarted, this, [this](const QString& address) {
        // Another page: what the old one played is gone (a reload of the same page keeps it).
        if (address != WebBrowser1->LocationURL() && !m_playingSource.isEmpty()) {
            m_playingSource.clear();
            followSong();
        }
    });
    connect(WebBrowser1, &WebBrowser::DownloadComplete, this, &Form1::followSong);
    connect(WebBrowser1, &WebBrowser::AudibleChange, this, &Form1::followSong);
    connect(WebBrowser1, &WebBrowser::StreamTapped, m_nowPlaying, &NowPlaying::tapped);
    connect(WebBrowser1, &WebBrowser::StreamTitle, m_nowPlaying, &NowPlaying::tapTitle);
    connect(m_nowPlaying, &NowPlaying::NewSong, this, [this](const QString& title) {
        emit SongHeard(StationName(WebBrowser1->LocationURL(), WebBrowser1->Title()), title,
                       m_nowPlaying->stream().toString());
    });
}

bool Form1::recovering() const
{
    return m_recovery->reconnecting();
}

void Form1::mediaReported(const MediaEvent& event)
{
    using Kind = MediaEvent::Kind;
    if (event.kind == Kind::Playing)
        m_playingSource = event.source;
    else if (event.kind == Kind::Paused || (event.kind == Kind::Ended && !event.live))
        m_playingSource.clear(); // the listener's pause, or a file played to its end
    followSong();
}

void Form1::followSong()
{
    const bool plays = !m_playingSource.isEmpty() || WebBrowser1->RecentlyAudible() || recovering();
    m_nowPlaying->watch(plays ? StationStream(m_playingSource, WebBrowser1->LocationURL()) : QUrl());
}

void Form1::Form_Load()
{
    WebBrowser1->SetTop(0);
    if (gPremium) {
        lbl_title->setText(QString());
        setStationShown(false);
        m_rec.SetLeft(Width() - 800);
        cmdRec->setVisible(true);
    } else {
        cmdRec->setVisible(false);
        Frame1->setVisible(false);
        lbl_title->setVisible(false);
    }
}

QString Form1::stationTitle() const
{
    return m_station;
}

void Form1::Form_Resize()
{
    // The button's state as the pages set it: a check under way disables the button, not the strip.
    const WindowLayout l = playerLayout(Width(), Height(), WindowState(), gPremium, m_stationShown);
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
    // The station's name for the desktop's panels in every mode; the strip in recording mode only.
    const bool startPage = WebBrowser1->LocationURL() == gUrl1;
    m_station = startPage ? QString() : GetUrlValue(WebBrowser1->LocationURL(), QStringLiteral("&title="));
    if (!gPremium)
        return;
    if (startPage) {
        lbl_title->setText(QString());
        WebBrowser1->SetTop(0);
        setStationShown(false);
        return;
    }
    lbl_title->setText(m_station);
    if (!m_station.isEmpty()) {
        setStationShown(true);
        WebBrowser1->SetTop(500);
    } else {
        WebBrowser1->SetTop(0);
    }
}

// Asks, then hands the station the window shows to the main window to check and record.
void Form1::cmdRec_Click()
{
    if (m_platform.messages.show(this, QStringLiteral("この放送を録音しますか？"), MsgButtons::YesNo,
                                 MsgIcon::Question) != MsgResult::Yes)
        return;

    // Read at the moment of the click: the page may have moved on since its title was shown.
    const RecorderCommand command = BuildRecorderCommand([this] { return WebBrowser1->LocationURL(); },
                                                         m_platform.program.folder(), gRecFolder);
    m_checking = true;
    cmdRec->setEnabled(false);
    emit recordRequested(command, lbl_title->text());
}

void Form1::RecordingChecked()
{
    m_checking = false;
    cmdRec->setEnabled(m_stationShown);
}

void Form1::setStationShown(bool shown)
{
    m_stationShown = shown;
    cmdRec->setEnabled(shown && !m_checking);
}

} // namespace sora
