#pragma once

#include "ChildWindow.h"
#include "station/RecorderCommand.h"
#include "platform/Twips.h"

class QFrame;
class QLabel;
class QPushButton;

namespace sora {

class NowPlaying;
class StationRecovery;
struct MediaEvent;
struct Platform;

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

    // The station the page names with its "&title=" value, as the title strip shows it, in every
    // mode; empty on the start page and pages without one.
    QString stationTitle() const;
    // A station that dropped is being brought back, for at most a while: for the listener it
    // still plays.
    bool recovering() const;

    void Form_Load();
    void Form_Resize() override;
    void WebBrowser1_DownloadComplete();
    void cmdRec_Click();
    // The check asked for by recordRequested is over: the button shows what the page says now.
    void RecordingChecked();

    // The title of the stream this window plays.
    NowPlaying* nowPlaying() const { return m_nowPlaying; }

    // Places of the strip's controls, in twips.
    const TwipsPlace& frame1Place() const { return m_frame1; }
    const TwipsPlace& titlePlace() const { return m_title; }
    const TwipsPlace& recPlace() const { return m_rec; }

signals:
    // recovering() changed.
    void RecoveringChange();
    // The user confirmed a recording of `station`: its check and start are the main window's, as
    // they must outlive this window.
    void recordRequested(const sora::RecorderCommand& command, const QString& station);
    // A new title of the station playing: for the history of titles.
    void SongHeard(const QString& station, const QString& title, const QString& stream);

private:
    void setStationShown(bool shown);
    void mediaReported(const MediaEvent& event);
    // Follows the title of what the page plays, while it plays.
    void followSong();

    Platform& m_platform;
    StationRecovery* m_recovery;
    NowPlaying* m_nowPlaying;
    QString m_playingSource; // what the page's media element plays, while it plays
    // A titled station page was loaded last (the start page clears it, an untitled page leaves
    // it): what the record button shows, except while a recording is being checked.
    bool m_stationShown = false;
    bool m_checking = false;
    QString m_station; // the page's "&title=" value
    TwipsPlace m_frame1;
    TwipsPlace m_title;
    TwipsPlace m_rec;
};

} // namespace sora
