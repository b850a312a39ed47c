#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

namespace sora {

class ChildWindow;
class MDIForm1;
struct MediaState;

// One player window as the choice of "the player window that is playing" sees it.
struct PlayerCandidate
{
    bool audible = false;    // its page played sound within the last moments
    quint64 lastAudible = 0; // when its page last played sound, in the order of events; 0: never
    bool active = false;     // the active child window
};

// The index of the window the desktop's media controls act on: the one whose page plays sound
// (the latest to start), else the one that played sound last, else the active one, else the
// first; -1 with no window.
int choosePlayingWindow(const QList<PlayerCandidate>& windows);

// What the desktop's media panel shows of the program.
struct PlayerState
{
    QString status = QStringLiteral("Stopped"); // Playing, Paused or Stopped
    QString trackId;                            // an object path, the same for one window's life
    QString title;                              // the song's title, else the station's name
    QString artist;                             // the part of a song "Artist - Title" before " - "
    QString album;                              // the station's name while a song is known
    QString artUrl;
    double volume = 1.0; // 0 while the page's sound is muted
    bool canControl = false;

    bool operator==(const PlayerState&) const = default;
};

// The desktop's media controls (MPRIS 2 on the session bus): the program as one player, acting on
// the player window that is playing. Ping windows are never that window.
class MediaControls final : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* kService = "org.mpris.MediaPlayer2.sorawindowex";
    static constexpr const char* kPath = "/org/mpris/MediaPlayer2";

    explicit MediaControls(MDIForm1& main);
    ~MediaControls() override;

    // Takes the name on the session bus; false, quietly, when there is no bus or the name is taken.
    bool publish();
    void withdraw();

    ChildWindow* playingWindow() const;
    PlayerState state() const { return m_state; }

    // The root interface's commands.
    void Raise();
    void Quit();
    // The player's commands, on the playing window.
    void Play();
    void Pause();
    void PlayPause();
    void Stop() { Pause(); }
    void SetVolume(double volume);

private:
    QList<ChildWindow*> playerWindows() const;
    void watchWindows();
    void audibleChanged(ChildWindow* window, bool audible);
    void query(ChildWindow* window);
    void mediaReported(ChildWindow* window, const MediaState& media);
    void command(bool pause);
    void refresh();
    PlayerState compute() const;
    void announce(const PlayerState& before);

    MDIForm1& m_main;
    QSet<ChildWindow*> m_watched;
    QHash<ChildWindow*, quint64> m_lastAudible;
    QHash<ChildWindow*, int> m_serial;
    // What each page's media elements were found in last: playing, paused.
    QHash<ChildWindow*, std::pair<int, int>> m_media;
    // Windows paused through muting: their player sits in another site's frame.
    QSet<ChildWindow*> m_mutedForPause;
    quint64 m_clock = 0;
    int m_nextSerial = 1;
    PlayerState m_state;
    QString m_artUrl;
    bool m_published = false;
};

} // namespace sora
