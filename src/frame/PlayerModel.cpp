#include "PlayerModel.h"

#include "MDIForm1.h"
#include "platform/WebBrowser.h"
#include "windows/Form1.h"
#include "station/NowPlaying.h"

#include <QMdiArea>
#include <QPointer>
#include <QTimer>

namespace sora {

int choosePlayingWindow(const QList<PlayerCandidate>& windows)
{
    int best = -1;
    // Sounding now beats having sounded; within each, the latest wins.
    for (int i = 0; i < windows.size(); ++i) {
        const PlayerCandidate& c = windows.at(i);
        if (c.lastAudible == 0 && !c.audible)
            continue;
        if (best < 0)
            best = i;
        const PlayerCandidate& b = windows.at(best);
        if (std::pair(c.audible, c.lastAudible) > std::pair(b.audible, b.lastAudible))
            best = i;
    }
    if (best >= 0)
        return best;
    for (int i = 0; i < windows.size(); ++i)
        if (windows.at(i).active)
            return i;
    return windows.isEmpty() ? -1 : 0;
}

PlayerModel::PlayerModel(MDIForm1& main, const QString& artUrl, QObject* parent)
    : QObject(parent), m_main(main), m_artUrl(artUrl)
{
    connect(&main, &MDIForm1::ChildWindowsChanged, this, [this] {
        watchWindows();
        refresh();
    });
    connect(main.mdiArea, &QMdiArea::subWindowActivated, this, &PlayerModel::refresh);
    watchWindows();
    refresh();
}

QList<Form1*> PlayerModel::playerWindows() const
{
    QList<Form1*> players;
    for (int i = 1; i < m_main.windowCount(); ++i) {
        if (auto* w = qobject_cast<Form1*>(m_main.childAt(i)))
            players << w;
    }
    return players;
}

Form1* PlayerModel::playingWindow() const
{
    const QList<Form1*> players = playerWindows();
    QList<PlayerCandidate> candidates;
    for (Form1* w : players)
        candidates << PlayerCandidate{w->WebBrowser1->RecentlyAudible(), m_pages.value(w).lastAudible,
                                      w == m_main.activeChild()};
    const int chosen = choosePlayingWindow(candidates);
    return chosen < 0 ? nullptr : players.at(chosen);
}

void PlayerModel::watchWindows()
{
    const QList<Form1*> players = playerWindows();
    // A closed window leaves the list before it is deleted: forget it while its address is unique.
    // Its browser's connections go with the browser.
    for (auto it = m_pages.begin(); it != m_pages.end();) {
        if (players.contains(it.key()))
            ++it;
        else
            it = m_pages.erase(it);
    }
    for (Form1* w : players) {
        if (m_pages.contains(w))
            continue;
        m_pages.insert(w, Page{m_nextSerial++, 0, {}, false});
        WebBrowser* b = w->WebBrowser1;
        connect(b, &WebBrowser::AudibleChange, this, [this, w] { audibleChanged(w); });
        connect(b, &WebBrowser::TitleChange, this, &PlayerModel::refresh);
        // The title strip is filled as the page completes: the window hears of it first.
        connect(b, &WebBrowser::DownloadComplete, this, &PlayerModel::refresh);
        connect(b, &WebBrowser::MediaReport, this, [this, w](const MediaEvent& e) { mediaReported(w, e); });
        connect(b, &WebBrowser::PageProcessEnded, this, [this, w] { pageProcessEnded(w); });
        connect(w->nowPlaying(), &NowPlaying::SongChange, this, &PlayerModel::refresh);
        connect(w, &Form1::RecoveringChange, this, &PlayerModel::refresh);
    }
}

void PlayerModel::audibleChanged(Form1* w)
{
    const auto page = m_pages.find(w);
    if (page == m_pages.end())
        return;
    // Falling silent is playing sound up to now, too: the window stays the one that played last.
    page->lastAudible = ++m_clock;
    refresh();
}

void PlayerModel::mediaReported(Form1* w, const MediaEvent& event)
{
    const auto page = m_pages.find(w);
    if (page == m_pages.end())
        return;
    if (event.playing || event.paused)
        page->frames.insert(event.frame, {event.playing, event.paused});
    else
        page->frames.remove(event.frame);
    refresh();
}

void PlayerModel::pageProcessEnded(Form1* w)
{
    const auto page = m_pages.find(w);
    if (page == m_pages.end())
        return;
    // Its documents went without their "pagehide": nothing of them plays any more.
    page->frames.clear();
    page->mutedForPause = false;
    refresh();
}

void PlayerModel::command(bool pause)
{
    Form1* w = playingWindow();
    if (!w || m_main.exiting())
        return;
    if (!pause)
        m_pages[w].lastAudible = ++m_clock; // it plays again: the window to act on next
    const QPointer<PlayerModel> self(this);
    const QPointer<Form1> window(w);
    // What the elements then do comes back as the page's own media reports.
    w->WebBrowser1->ControlMedia(
        pause ? MediaCommand::Pause : MediaCommand::Resume, [self, window, pause](const MediaState& media) {
            if (!self || !window || !self->m_pages.contains(window))
                return;
            Page& page = self->m_pages[window];
            WebBrowser* b = window->WebBrowser1;
            // Another site's frame takes no script of ours, and sound may
            // come from no element of the page: such a page is muted
            // instead, and that is what a play undoes.
            const bool elsewhere =
                media.unreachable || (media.playing == 0 && media.paused == 0 && b->RecentlyAudible());
            if (pause && elsewhere) {
                b->SetAudioMuted(true);
                page.mutedForPause = true;
            } else if (!pause && page.mutedForPause) {
                page.mutedForPause = false;
                b->SetAudioMuted(false);
            }
            self->refresh();
        });
}

void PlayerModel::SetVolume(double volume)
{
    Form1* w = playingWindow();
    if (!w || m_main.exiting())
        return;
    // Only silence is offered: the page's own volume belongs to the page.
    const bool mute = volume <= 0;
    w->WebBrowser1->SetAudioMuted(mute);
    if (!mute)
        m_pages[w].mutedForPause = false;
    refresh();
}

void PlayerModel::Raise()
{
    m_main.BringForward();
}

void PlayerModel::Quit()
{
    if (m_main.exiting())
        return;
    // After the call's reply has gone out: the close ends the process.
    QTimer::singleShot(0, &m_main, [main = QPointer<MDIForm1>(&m_main)] {
        if (main)
            main->close();
    });
}

PlayerState PlayerModel::compute() const
{
    PlayerState s;
    s.artUrl = m_artUrl;
    Form1* w = playingWindow();
    if (!w)
        return s;
    const Page page = m_pages.value(w);
    s.canControl = true;
    s.track = page.serial;
    const QString station = !w->stationTitle().isEmpty() ? w->stationTitle() : w->WebBrowser1->Title();
    const QString song = w->nowPlaying()->song();
    if (song.isEmpty()) {
        s.title = station;
    } else {
        const SongParts parts = SplitSong(song);
        s.title = parts.title;
        s.artist = parts.artist;
        s.album = station;
    }
    s.volume = w->WebBrowser1->AudioMuted() && !page.mutedForPause ? 0.0 : 1.0;
    // What the media elements were last found in comes first: the engine still reports sound
    // for a moment after a pause.
    int playing = 0, paused = 0;
    for (const auto& [p, q] : page.frames) {
        playing += p;
        paused += q;
    }
    if (page.mutedForPause)
        s.status = PlaybackStatus::Paused;
    else if (playing > 0 || w->recovering())
        s.status = PlaybackStatus::Playing; // a station that dropped plays again once it is back
    else if (paused > 0)
        s.status = PlaybackStatus::Paused;
    else if (w->WebBrowser1->RecentlyAudible())
        s.status = PlaybackStatus::Playing; // a player in a frame no script of ours reaches
    else
        s.status = PlaybackStatus::Stopped;
    return s;
}

void PlayerModel::refresh()
{
    const PlayerState next = compute();
    if (next == m_state)
        return;
    const PlayerState before = m_state;
    m_state = next;
    emit StateChanged(before);
    if (m_state.status == before.status)
        return;
    // A station that plays keeps the computer from sleeping, as a recording does.
    m_main.sleepHolds().setPlaying(m_state.status == PlaybackStatus::Playing);
    emit playbackStatusChanged(m_state.status);
}

} // namespace sora
