#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

namespace sora {

class Form1;
class MDIForm1;
struct MediaEvent;
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

enum class PlaybackStatus
{
    Stopped,
    Playing,
    Paused
};

// What the desktop's media panel shows of the program.
struct PlayerState
{
    PlaybackStatus status = PlaybackStatus::Stopped;
    int track = 0;  // the window's number, the same for its whole life; 0 with no window
    QString title;  // the song's title, else the station's name
    QString artist;                             // the part of a song "Artist - Title" before " - "
    QString album;                              // the station's name while a song is known
    QString artUrl;
    double volume = 1.0; // 0 while the page's sound is muted
    bool canControl = false;

    bool operator==(const PlayerState&) const = default;
};

// The program as one media player: follows the player windows' pages and acts on the one that is
// playing. Ping windows are never that window. It knows no bus: MediaControls publishes it. While
// it plays, it holds off the computer's sleep.
class PlayerModel final : public QObject
{
    Q_OBJECT
public:
    // `artUrl`: the program's icon as a file address, or empty.
    PlayerModel(MDIForm1& main, const QString& artUrl, QObject* parent = nullptr);

    Form1* playingWindow() const;
    const PlayerState& state() const { return m_state; }

    void Raise();
    void Quit();
    void Play() { command(false); }
    void Pause() { command(true); }
    void PlayPause() { command(m_state.status == PlaybackStatus::Playing); }
    void Stop() { Pause(); }
    void SetVolume(double volume);

signals:
    // The state changed from `before` to state().
    void StateChanged(const PlayerState& before);
    void playbackStatusChanged(sora::PlaybackStatus status);

private:
    // What a window's page holds: per document, the elements playing and paused.
    struct Page
    {
        int serial = 0;
        quint64 lastAudible = 0;
        QHash<QString, std::pair<int, int>> frames;
        bool mutedForPause = false; // paused through muting: its player sits in another site's frame
    };

    QList<Form1*> playerWindows() const;
    void watchWindows();
    void audibleChanged(Form1* window);
    void mediaReported(Form1* window, const MediaEvent& event);
    void pageProcessEnded(Form1* window);
    void command(bool pause);
    void refresh();
    PlayerState compute() const;

    MDIForm1& m_main;
    QHash<Form1*, Page> m_pages;
    quint64 m_clock = 0;
    int m_nextSerial = 1;
    PlayerState m_state;
    QString m_artUrl;
};

} // namespace sora
