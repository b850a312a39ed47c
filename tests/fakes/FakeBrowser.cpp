#include "FakeBrowser.h"

#include <QWidget>

namespace sora::fakes {

FakeBrowser::FakeBrowser(QWidget* parent) : m_widget(new QWidget(parent))
{
    setParent(m_widget);
}

void FakeBrowser::push(const QString& address)
{
    while (m_history.size() > m_index + 1)
        m_history.removeLast();
    m_history.append(address);
    ++m_index;
}

void FakeBrowser::Navigate(const QString& address)
{
    navigations.append(address);
    push(address);
    emit LoadStarted(address);
}

void FakeBrowser::userOpens(const QString& address)
{
    push(address);
    emit LoadStarted(address);
}

void FakeBrowser::reportMedia(MediaEvent::Kind kind, int playing, int paused, bool live, const QString& source)
{
    media.playing = playing;
    media.paused = paused;
    MediaEvent event;
    event.kind = kind;
    event.frame = QStringLiteral("page");
    event.playing = playing;
    event.paused = paused;
    event.live = live;
    event.source = source;
    emit MediaReport(event);
}

bool FakeBrowser::GoBack()
{
    if (m_index <= 0)
        return false;
    --m_index;
    ++backSteps;
    return true;
}

bool FakeBrowser::GoForward()
{
    if (m_index + 1 >= m_history.size())
        return false;
    ++m_index;
    ++forwardSteps;
    return true;
}

QString FakeBrowser::LocationURL() const
{
    return m_index >= 0 ? m_history.at(m_index) : QString();
}

void FakeBrowser::ControlMedia(MediaCommand command, std::function<void(const MediaState&)> done)
{
    mediaCommands.append(command);
    if (command == MediaCommand::Pause && media.playing)
        reportMedia(MediaEvent::Kind::Paused, 0, media.paused + media.playing);
    else if (command == MediaCommand::Resume && media.paused)
        reportMedia(MediaEvent::Kind::Playing, media.playing + media.paused, 0);
    done(media);
}

WebBrowser* FakeBrowserFactory::create(QWidget* parent)
{
    auto* b = new FakeBrowser(parent);
    created.append(b);
    return b;
}

} // namespace sora::fakes
