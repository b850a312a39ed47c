#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace sora {

// The <audio> and <video> elements of a page, as far as a script of the program reaches into its
// frames.
struct MediaState
{
    int playing = 0;          // not paused
    int paused = 0;           // paused, with something to play
    bool unreachable = false; // a frame of another site holds what no script of ours reaches
};

// What a media element of a page did, as the program's watch over the page's frames reports it.
struct MediaEvent
{
    enum class Kind
    {
        Playing,
        Paused,  // the listener's pause, not the one that comes with an end or an error
        Ended,   // the element reached its end
        Failed,  // an element that had played reports an error
        Stalled, // the position stood still for some seconds while nobody paused
        Changed, // any other change of state, or the frame's document went away
    };
    Kind kind = Kind::Changed;
    // Which document reported: the counts below are that document's alone.
    QString frame;
    // Its media elements after the event: not paused; paused with something to play.
    int playing = 0;
    int paused = 0;
    // Ended only: the element announced no length, or played on past the length it announced:
    // a live stream, for which an end is a drop.
    bool live = false;
    // Playing only: the address the element plays (its current source).
    QString source;
};

enum class MediaCommand
{
    Pause,
    Resume, // what a pause of ours stopped, else every paused element
};

// The embedded browser of a child window. Navigate starts loading and returns at once;
// LocationURL is the address of the page shown, equal to the text last passed to Navigate
// while that page is shown. Place and size are in twips inside the window's client area.
class WebBrowser : public QObject
{
    Q_OBJECT
public:
    explicit WebBrowser(QObject* parent = nullptr) : QObject(parent) {}
    ~WebBrowser() override = default;

    virtual QWidget* widget() = 0;
    virtual void Navigate(const QString& address) = 0;
    // One step through the history; false when there is no such step.
    virtual bool GoBack() = 0;
    virtual bool GoForward() = 0;
    virtual QString LocationURL() const = 0;

    // The page's sound, for the desktop's media controls.
    virtual QString Title() const = 0;
    // Sound came out of the page within the last moments.
    virtual bool RecentlyAudible() const = 0;
    virtual bool AudioMuted() const = 0;
    virtual void SetAudioMuted(bool muted) = 0;
    // Runs `command` on the page's media elements; `done` later gets what the page then holds.
    // It is not called once the browser is gone.
    virtual void ControlMedia(MediaCommand command, std::function<void(const MediaState&)> done) = 0;
    // Whether anyone can see the page: the engine paints only pages that are seen, and plays the
    // sound of every page.
    virtual void SetPageVisible(bool visible) = 0;

    double Top() const { return m_top; }
    double Width() const { return m_width; }
    double Height() const { return m_height; }
    void SetTop(double twips);
    void SetWidth(double twips);
    void SetHeight(double twips);
    // Design place: left, top, width, height at once.
    void SetPlace(double left, double top, double width, double height);

signals:
    void StatusTextChange(const QString& text);
    // After each finished load, when LocationURL already reports the new page.
    void DownloadComplete();
    // A load of the page began: Navigate's, a link's, the page's own. `address` is spelled as
    // LocationURL would spell it, so a load of the text last passed to Navigate reports that text.
    void LoadStarted(const QString& address);
    // A load ended; false when no page came of it (an error, or a download that the page left).
    void LoadFinished(bool ok);
    void TitleChange(const QString& title);
    void AudibleChange(bool audible);
    void MediaReport(const MediaEvent& event);
    // The program's stream tap hands the page `stream` and hears it (serving), or no longer does.
    void StreamTapped(const QUrl& stream, bool serving);
    // The tap heard the title of `stream` change.
    void StreamTitle(const QUrl& stream, const QString& title);
    // The page's process ended: its documents, and every media element in them, are gone.
    void PageProcessEnded();

private:
    void applyPlace();

    double m_left = 0;
    double m_top = 0;
    double m_width = 0;
    double m_height = 0;
};

// Makes the browser of each new child window.
class BrowserFactory
{
public:
    virtual ~BrowserFactory() = default;
    // The browser's widget is a child of `parent`, and the browser goes with its widget.
    virtual WebBrowser* create(QWidget* parent) = 0;
};

} // namespace sora
