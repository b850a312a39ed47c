#include "MediaControls.h"

#include "MDIForm1.h"
#include "PlayerModel.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>

namespace sora {

namespace {

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

QString statusName(PlaybackStatus status)
{
    switch (status) {
    case PlaybackStatus::Playing:
        return QStringLiteral("Playing");
    case PlaybackStatus::Paused:
        return QStringLiteral("Paused");
    case PlaybackStatus::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

// An object path, the same for one window's life.
QString trackPath(int track)
{
    return track == 0 ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                      : QStringLiteral("/org/sorawindowex/window%1").arg(track);
}

QVariantMap metadata(const PlayerState& s)
{
    QVariantMap m;
    m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackPath(s.track))));
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
    RootAdaptor(MediaControls* controls, PlayerModel& model) : QDBusAbstractAdaptor(controls), m_model(model)
    {
    }

    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("ソラマド"); }
    QString desktopEntry() const { return QStringLiteral("sorawindowex"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() { m_model.Raise(); }
    void Quit() { m_model.Quit(); }

private:
    PlayerModel& m_model;
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
    PlayerAdaptor(MediaControls* controls, PlayerModel& model)
        : QDBusAbstractAdaptor(controls), m_model(model)
    {
    }

    QString playbackStatus() const { return statusName(m_model.state().status); }
    double one() const { return 1.0; }
    QVariantMap metadataMap() const { return metadata(m_model.state()); }
    double volume() const { return m_model.state().volume; }
    void setVolume(double v) { m_model.SetVolume(v); }
    qlonglong position() const { return 0; } // a live stream has no position to tell
    bool no() const { return false; }
    bool canControl() const { return m_model.state().canControl; }

public slots:
    void Play() { m_model.Play(); }
    void Pause() { m_model.Pause(); }
    void PlayPause() { m_model.PlayPause(); }
    void Stop() { m_model.Stop(); }
    // Nothing to step to or seek in: CanGoNext, CanGoPrevious and CanSeek say so.
    void Next() {}
    void Previous() {}
    void Seek(qlonglong) {}
    void SetPosition(const QDBusObjectPath&, qlonglong) {}
    void OpenUri(const QString&) {}

signals:
    void Seeked(qlonglong position);

private:
    PlayerModel& m_model;
};

} // namespace

MediaControls::MediaControls(MDIForm1& main)
    : QObject(&main), m_main(main), m_model(new PlayerModel(main, iconUrl(), this))
{
    new RootAdaptor(this, *m_model);
    new PlayerAdaptor(this, *m_model);
    connect(m_model, &PlayerModel::StateChanged, this, &MediaControls::announce);
    connect(&main, &MDIForm1::ExitStarted, this, &MediaControls::withdraw);
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
    // The program runs on without the desktop's media controls; the line says why they are missing.
    const auto fail = [](const char* why) {
        std::fprintf(stderr, "sorawindowex: media controls not on the session bus: %s\n", why);
        return false;
    };
    if (!bus.isConnected())
        return fail("no session bus");
    if (!bus.registerObject(QString::fromLatin1(kPath), this, QDBusConnection::ExportAdaptors))
        return fail("the object path is taken");
    if (!bus.registerService(QString::fromLatin1(kService))) {
        bus.unregisterObject(QString::fromLatin1(kPath));
        return fail(qPrintable(QStringLiteral("%1 is taken").arg(QString::fromLatin1(kService))));
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

void MediaControls::announce(const PlayerState& before)
{
    if (!m_published)
        return;
    const PlayerState& now = m_model->state();
    // Desktop panels read nothing again on their own: each change is sent as it happens.
    QVariantMap changed;
    if (now.status != before.status)
        changed.insert(QStringLiteral("PlaybackStatus"), statusName(now.status));
    if (now.track != before.track || now.title != before.title || now.artist != before.artist ||
        now.album != before.album || now.artUrl != before.artUrl)
        changed.insert(QStringLiteral("Metadata"), metadata(now));
    if (now.volume != before.volume)
        changed.insert(QStringLiteral("Volume"), now.volume);
    if (now.canControl != before.canControl) {
        for (const char* name : {"CanPlay", "CanPause", "CanControl"})
            changed.insert(QString::fromLatin1(name), now.canControl);
    }
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace sora

#include "MediaControls.moc"
