#pragma once

#include "platform/WebBrowser.h"

#include <QList>
#include <QPointer>
#include <QStringList>

class QWidget;

namespace sora::fakes {

// A browser with a scripted history: Navigate and the user's own clicks add pages, back and
// forward move through them. Loads finish only when the test says so.
class FakeBrowser final : public WebBrowser
{
    Q_OBJECT
public:
    explicit FakeBrowser(QWidget* parent);

    QWidget* widget() override { return m_widget; }
    void Navigate(const QString& address) override;
    bool GoBack() override;
    bool GoForward() override;
    QString LocationURL() const override;
    QString Title() const override { return title; }
    bool RecentlyAudible() const override { return m_audible; }
    bool AudioMuted() const override { return muted; }
    void SetAudioMuted(bool on) override { muted = on; }
    // Pause and Resume act on media.playing / media.paused and are reported as the page's own
    // media watch reports them; `done` comes at once.
    void ControlMedia(MediaCommand command, std::function<void(const MediaState&)> done) override;
    void SetPageVisible(bool visible) override { pageVisible = visible; }

    // The user follows a link to `address`: its load starts, and the page is shown at once.
    void userOpens(const QString& address);
    // A load of `address` starts (a click on a link) and has shown nothing yet.
    void startLoad(const QString& address) { emit LoadStarted(address); }
    // The page shown finished loading; a failed load leaves an error page.
    void finishLoad(bool ok = true)
    {
        emit LoadFinished(ok);
        emit DownloadComplete();
    }
    void reportStatus(const QString& text) { emit StatusTextChange(text); }
    void setTitle(const QString& text)
    {
        title = text;
        emit TitleChange(text);
    }
    // The page's media elements did `kind` on their own, and now hold `playing` and `paused`.
    void reportMedia(MediaEvent::Kind kind, int playing, int paused, bool live = false,
                     const QString& source = QString());
    // The page's process was killed: its elements are gone without a word from them.
    void killPageProcess()
    {
        m_audible = false;
        emit PageProcessEnded();
    }
    void setAudible(bool audible)
    {
        m_audible = audible;
        emit AudibleChange(audible);
    }

    QString title;
    bool muted = false;
    MediaState media;
    QList<MediaCommand> mediaCommands;
    bool pageVisible = true; // what the browser was told last

    QStringList navigations; // every address passed to Navigate, in order
    int backSteps = 0;
    int forwardSteps = 0;

private:
    void push(const QString& address);

    QWidget* m_widget;
    QStringList m_history;
    int m_index = -1;
    bool m_audible = false;
    QString m_playingSource;
};

class FakeBrowserFactory final : public BrowserFactory
{
public:
    WebBrowser* create(QWidget* parent) override;
    QList<QPointer<FakeBrowser>> created;
};

} // namespace sora::fakes
