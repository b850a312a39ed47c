#pragma once

#include "ChildWindow.h"
#include "platform/Twips.h"

class QFrame;
class QLabel;
class QPushButton;

namespace sora {

class NowPlaying;
struct Platform;
struct ProbeReply;
struct RecorderCommand;

// The player window: a browser on the station directory and, in recording mode, a title strip
// with the station's title and the record button.
class Form1 final : public ChildWindow
{
    Q_OBJECT
public:
    // Browsers come from the platform, and recordings start through it.
    explicit Form1(Platform& platform);

    static QString caption() { return QStringLiteral("ソラマド"); }

    QFrame* const Frame1;
    QLabel* const lbl_title;
    QPushButton* const cmdRec;

    void Form_Load();
    void Form_Resize() override;
    void WebBrowser1_DownloadComplete();
    void cmdRec_Click();

    // The title of the stream this window plays.
    NowPlaying* nowPlaying() const { return m_nowPlaying; }

    // Places of the strip's controls, in twips.
    const TwipsPlace& frame1Place() const { return m_frame1; }
    const TwipsPlace& titlePlace() const { return m_title; }
    const TwipsPlace& recPlace() const { return m_rec; }

signals:
    // A new title of the station playing: for the history of titles.
    void SongHeard(const QString& station, const QString& title, const QString& stream);

private:
    // Follows the title of what the page plays, while it plays.
    void followSong();
    // After the stream answered the probe: starts the recorder, or says why not.
    void startRecorder(RecorderCommand command, const QString& station, const ProbeReply& reply);

    Platform& m_platform;
    NowPlaying* m_nowPlaying;
    bool m_probing = false;
    TwipsPlace m_frame1;
    TwipsPlace m_title;
    TwipsPlace m_rec;
};

} // namespace sora
