#include "PageVisibility.h"

#include "platform/WebBrowser.h"
#include "platform/X11Window.h"
#include "windows/ChildWindow.h"

#include <QEvent>
#include <QMdiArea>
#include <QWidget>
#include <QWindow>

namespace sora {

PageVisibility::PageVisibility(QWidget& mainWindow, QMdiArea& area)
    : QObject(&mainWindow), m_main(mainWindow), m_area(area), m_cover(new x11::CoverWatch(this))
{
    m_main.installEventFilter(this);
    connect(m_cover, &x11::CoverWatch::coveredChanged, this, &PageVisibility::update);
    // Raising a child (activation) changes what a maximised child covers.
    connect(&m_area, &QMdiArea::subWindowActivated, this, &PageVisibility::update);
}

void PageVisibility::watch(ChildWindow* child)
{
    child->installEventFilter(this);
    update();
}

bool PageVisibility::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Expose:
        // Unmapping comes as an exposure of nothing; a hidden window's own unmap is its hiding.
        if (watched == m_window && m_main.isVisible()) {
            m_unexposed = !m_window->isExposed();
            update();
        }
        break;
    case QEvent::Hide:
        if (watched == &m_main)
            m_unexposed = false;
        update();
        break;
    case QEvent::WinIdChange:
    case QEvent::Show:
        if (watched == &m_main && m_main.windowHandle() != m_window) {
            m_window = m_main.windowHandle();
            if (m_window)
                m_window->installEventFilter(this);
        }
        if (watched == &m_main && m_main.testAttribute(Qt::WA_WState_Created))
            m_cover->watch(m_main);
        update();
        break;
    case QEvent::WindowStateChange:
    case QEvent::ZOrderChange:
        update();
        break;
    default:
        break;
    }
    return false;
}

bool PageVisibility::mainSeen() const
{
    return m_main.isVisible() && !m_main.isMinimized() && !m_unexposed && !m_cover->covered();
}

void PageVisibility::update()
{
    const bool main = mainSeen();
    // From the top of the stack down: everything below a maximised child is covered by it.
    const QList<QMdiSubWindow*> stack = m_area.subWindowList(QMdiArea::StackingOrder);
    bool covered = false;
    for (auto it = stack.crbegin(); it != stack.crend(); ++it) {
        QMdiSubWindow* window = *it;
        const bool shown = window->isVisible() && !window->isMinimized();
        if (auto* child = qobject_cast<ChildWindow*>(window))
            child->WebBrowser1->SetPageVisible(main && shown && !covered);
        covered = covered || (shown && window->isMaximized());
    }
}

} // namespace sora
