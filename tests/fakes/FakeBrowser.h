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
    // Pause and Resume act on media.playing / media.paused; `done` comes at once.
    void ControlMedia(MediaCommand command, std::function<void(const MediaState&)> done) override;
    QString PlayingSource() const override { return m_playingSource; }
    bool RecoveringPlayback() const override { return recovering; }

    // The user follows a link to `address`.
    void userOpens(const QString& address);
    // The page shown finished loading.
    void finishLoad() { emit DownloadComplete(); }
    void reportStatus(const QString& text) { emit StatusTextChange(text); }
    void setTitle(const QString& text)
    {
        title = text;
        emit TitleChange(text);
    }
    // The page's media elements changed on their own.
    void mediaChanged(const MediaState& state)
    {
        media = state;
        emit MediaChange();
    }
    // The page's media element plays `source` (empty: none plays).
    void setPlayingSource(const QString& source)
    {
        m_playingSource = source;
        emit PlayingSourceChange();
    }
    void setAudible(bool audible)
    {
        m_audible = audible;
        emit AudibleChange(audible);
    }

    QString title;
    bool muted = false;
    bool recovering = false;
    MediaState media;
    QList<MediaCommand> mediaCommands;

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
