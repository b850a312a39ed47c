#include "MediaControls.h"

#include "MDIForm1.h"
#include "platform/WebBrowser.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"
#include "windows/NowPlaying.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QTimer>
#include <QUrl>

namespace sora {

namespace {

const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
const QString kPlaying = QStringLiteral("Playing");
const QString kPaused = QStringLiteral("Paused");
const QString kStopped = QStringLiteral("Stopped");

// The program's icon as a file: the packaged one beside the installed executable's share folder,
// else one lying beside the executable; none in a build folder.
QString iconUrl()
{
    const QDir exe(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {exe.filePath(QStringLiteral("../../share/icons/hicolor/128x128/apps/sorawindowex.png")),
          exe.filePath(QStringLiteral("SoraWindowEX.png"))}) {
        const QFileInfo file(candidate);
        if (file.isFile())
            return QUrl::fromLocalFile(file.canonicalFilePath()).toString();
    }
    return QString();
}

QVariantMap metadata(const PlayerState& s)
{
    QVariantMap m;
    m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(s.trackId)));
    // What is not known is left out rather than made up.
    if (!s.title.isEmpty())
        m.insert(QStringLiteral("xesam:title"), s.title);
    if (!s.artist.isEmpty())
        m.insert(QStringLiteral("xesam:artist"), QStringList{s.artist});
    if (!s.album.isEmpty())
        m.insert(QStringLiteral("xesam:album"), s.album);
    if (!s.artUrl.isEmpty())
        m.insert(QStringLiteral("mpris:artUrl"), s.artUrl);
    return m;
}

class RootAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool CanSetFullscreen READ no)
    Q_PROPERTY(bool Fullscreen READ no)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)

public:
    explicit RootAdaptor(MediaControls* controls) : QDBusAbstractAdaptor(controls), m_controls(controls) {}

    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("ソラマド"); }
    QString desktopEntry() const { return QStringLiteral("sorawindowex"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() { m_controls->Raise(); }
    void Quit() { m_controls->Quit(); }

private:
    MediaControls* m_controls;
};

class PlayerAdaptor final : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(QVariantMap Metadata READ metadataMap)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ no)
    Q_PROPERTY(bool CanGoPrevious READ no)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanPlay READ canControl)
    Q_PROPERTY(bool CanPause READ canControl)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    explicit PlayerAdaptor(MediaControls* controls) : QDBusAbstractAdaptor(controls), m_controls(controls) {}

    QString playbackStatus() const { return m_controls->state().status; }
    double one() const { return 1.0; }
    QVariantMap metadataMap() const { return metadata(m_controls->state()); }
    double volume() const { return m_controls->state().volume; }
    void setVolume(double v) { m_controls->SetVolume(v); }
    qlonglong position() const { return 0; } // a live stream has no position to tell
    bool no() const { return false; }
    bool canControl() const { return m_controls->state().canControl; }

public slots:
    void Play() { m_controls->Play(); }
    void Pause() { m_controls->Pause(); }
    void PlayPause() { m_controls->PlayPause(); }
    void Stop() { m_controls->Stop(); }
    // Nothing to step to or seek in: CanGoNext, CanGoPrevious and CanSeek say so.
    void Next() {}
    void Previous() {}
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    MediaControls* m_controls;
};

} // namespace

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

MediaControls::MediaControls(MDIForm1& main) : QObject(&main), m_main(main), m_artUrl(iconUrl())
{
    new RootAdaptor(this);
    new PlayerAdaptor(this);
    connect(&main, &MDIForm1::ChildWindowsChanged, this, [this] {
        watchWindows();
        refresh();
    });
    connect(main.mdiArea, &QMdiArea::subWindowActivated, this, &MediaControls::refresh);
    connect(&main, &MDIForm1::ExitStarted, this, &MediaControls::withdraw);
    watchWindows();
    refresh();
}

MediaControls::~MediaControls()
{
    withdraw();
}

bool MediaControls::publish()
{
    if (m_main.exiting())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(QString::fromLatin1(kPath), this, QDBusConnection::ExportAdaptors))
        return false;
    if (!bus.registerService(QString::fromLatin1(kService))) {
        bus.unregisterObject(QString::fromLatin1(kPath));
        return false;
    }
    m_published = true;
    return true;
}

void MediaControls::withdraw()
{
    if (!m_published)
        return;
    m_published = false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(QString::fromLatin1(kService));
    bus.unregisterObject(QString::fromLatin1(kPath));
}

QList<ChildWindow*> MediaControls::playerWindows() const
{
    QList<ChildWindow*> players;
    for (int i = 1; i < m_main.windowCount(); ++i) {
        ChildWindow* w = m_main.childAt(i);
        // By caption, as everywhere: a window is a player window exactly when it is called so.
        if (w && w->Caption() == Form1::caption())
            players << w;
    }
    return players;
}

ChildWindow* MediaControls::playingWindow() const
{
    const QList<ChildWindow*> players = playerWindows();
    QList<PlayerCandidate> candidates;
    for (ChildWindow* w : players)
        candidates << PlayerCandidate{w->WebBrowser1->RecentlyAudible(), m_lastAudible.value(w),
                                      w == m_main.activeChild()};
    const int chosen = choosePlayingWindow(candidates);
    return chosen < 0 ? nullptr : players.at(chosen);
}

void MediaControls::watchWindows()
{
    const QList<ChildWindow*> players = playerWindows();
    // A closed window leaves the list before it is deleted: forget it while its address is unique.
    // Its browser's connections go with the browser.
    for (ChildWindow* w : QSet<ChildWindow*>(m_watched)) {
        if (players.contains(w))
            continue;
        m_watched.remove(w);
        m_lastAudible.remove(w);
        m_serial.remove(w);
        m_media.remove(w);
        m_mutedForPause.remove(w);
    }
    for (ChildWindow* w : players) {
        if (m_watched.contains(w))
            continue;
        m_watched.insert(w);
        m_serial.insert(w, m_nextSerial++);
        WebBrowser* b = w->WebBrowser1;
        connect(b, &WebBrowser::AudibleChange, this, [this, w](bool audible) { audibleChanged(w, audible); });
        connect(b, &WebBrowser::TitleChange, this, &MediaControls::refresh);
        // The title strip is filled as the page completes: Form1 hears of it first.
        connect(b, &WebBrowser::DownloadComplete, this, [this, w] {
            refresh();
            query(w);
        });
        connect(b, &WebBrowser::MediaChange, this, [this, w] { query(w); });
        if (const auto* player = qobject_cast<const Form1*>(w))
            connect(player->nowPlaying(), &NowPlaying::SongChange, this, &MediaControls::refresh);
        query(w);
    }
}

void MediaControls::audibleChanged(ChildWindow* w, bool audible)
{
    if (!m_watched.contains(w))
        return;
    // Falling silent is playing sound up to now, too: the window stays the one that played last.
    m_lastAudible.insert(w, ++m_clock);
    if (!audible)
        query(w);
    refresh();
}

void MediaControls::query(ChildWindow* w)
{
    const QPointer<MediaControls> self(this);
    const QPointer<ChildWindow> window(w);
    w->WebBrowser1->ControlMedia(MediaCommand::Query, [self, window](const MediaState& media) {
        if (self && window)
            self->mediaReported(window, media);
    });
}

void MediaControls::mediaReported(ChildWindow* w, const MediaState& media)
{
    if (!m_watched.contains(w))
        return;
    m_media.insert(w, {media.playing, media.paused});
    refresh();
}

void MediaControls::command(bool pause)
{
    ChildWindow* w = playingWindow();
    if (!w || m_main.exiting())
        return;
    if (!pause)
        m_lastAudible.insert(w, ++m_clock); // it plays again: the window to act on next
    const QPointer<MediaControls> self(this);
    const QPointer<ChildWindow> window(w);
    w->WebBrowser1->ControlMedia(
        pause ? MediaCommand::Pause : MediaCommand::Resume, [self, window, pause](const MediaState& media) {
            if (!self || !window || !self->m_watched.contains(window))
                return;
            WebBrowser* b = window->WebBrowser1;
            // Another site's frame takes no script of ours, and sound may come from no element of
            // the page: such a page is muted instead, and that is what a play undoes.
            const bool elsewhere =
                media.unreachable || (media.playing == 0 && media.paused == 0 && b->RecentlyAudible());
            if (pause && elsewhere) {
                b->SetAudioMuted(true);
                self->m_mutedForPause.insert(window);
            } else if (!pause && self->m_mutedForPause.remove(window)) {
                b->SetAudioMuted(false);
            }
            self->mediaReported(window, media);
        });
}

void MediaControls::Play()
{
    command(false);
}

void MediaControls::Pause()
{
    command(true);
}

void MediaControls::PlayPause()
{
    command(m_state.status == kPlaying);
}

void MediaControls::SetVolume(double volume)
{
    ChildWindow* w = playingWindow();
    if (!w || m_main.exiting())
        return;
    // Only silence is offered: the page's own volume belongs to the page.
    const bool mute = volume <= 0;
    w->WebBrowser1->SetAudioMuted(mute);
    if (!mute)
        m_mutedForPause.remove(w);
    refresh();
}

void MediaControls::Raise()
{
    m_main.BringForward();
}

void MediaControls::Quit()
{
    if (m_main.exiting())
        return;
    // After the call's reply has gone out: the close ends the process.
    QTimer::singleShot(0, &m_main, [main = QPointer<MDIForm1>(&m_main)] {
        if (main)
            main->close();
    });
}

PlayerState MediaControls::compute() const
{
    PlayerState s;
    s.artUrl = m_artUrl;
    ChildWindow* w = playingWindow();
    if (!w) {
        s.trackId = kNoTrack;
        return s;
    }
    s.canControl = true;
    s.trackId = QStringLiteral("/org/sorawindowex/window%1").arg(m_serial.value(w));
    const auto* player = qobject_cast<const Form1*>(w);
    const QString station = StationName(w->WebBrowser1->LocationURL(), w->WebBrowser1->Title());
    const QString song = player ? player->nowPlaying()->song() : QString();
    if (song.isEmpty()) {
        s.title = station;
    } else {
        const SongParts parts = SplitSong(song);
        s.title = parts.title;
        s.artist = parts.artist;
        s.album = station;
    }
    const bool muted = w->WebBrowser1->AudioMuted();
    s.volume = muted && !m_mutedForPause.contains(w) ? 0.0 : 1.0;
    // What the media elements were last found in comes first: the engine still reports sound
    // for a moment after a pause.
    const auto [playing, paused] = m_media.value(w, {0, 0});
    if (m_mutedForPause.contains(w))
        s.status = kPaused;
    else if (playing > 0 || w->WebBrowser1->RecoveringPlayback())
        s.status = kPlaying; // a station that dropped plays again once it is back
    else if (paused > 0)
        s.status = kPaused;
    else if (w->WebBrowser1->RecentlyAudible())
        s.status = kPlaying; // a player in a frame no script of ours reaches
    else
        s.status = kStopped;
    return s;
}

void MediaControls::refresh()
{
    const PlayerState next = compute();
    if (next == m_state)
        return;
    const PlayerState before = m_state;
    m_state = next;
    announce(before);
}

void MediaControls::announce(const PlayerState& before)
{
    if (!m_published)
        return;
    // Desktop panels read nothing again on their own: each change is sent as it happens.
    QVariantMap changed;
    if (m_state.status != before.status)
        changed.insert(QStringLiteral("PlaybackStatus"), m_state.status);
    if (m_state.trackId != before.trackId || m_state.title != before.title ||
        m_state.artist != before.artist || m_state.album != before.album || m_state.artUrl != before.artUrl)
        changed.insert(QStringLiteral("Metadata"), metadata(m_state));
    if (m_state.volume != before.volume)
        changed.insert(QStringLiteral("Volume"), m_state.volume);
    if (m_state.canControl != before.canControl) {
        for (const char* name : {"CanPlay", "CanPause", "CanControl"})
            changed.insert(QString::fromLatin1(name), m_state.canControl);
    }
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace sora

#include "MediaControls.moc"
