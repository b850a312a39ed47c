#pragma once

#include <QObject>
#include <QPointer>

class QMdiArea;
class QWidget;
class QWindow;

namespace sora {

class ChildWindow;
namespace x11 {
class CoverWatch;
}

// Tells each child window's browser whether anyone can see its page, so that the engine paints
// only pages that are seen; their sound plays on either way. A page is seen while the main window
// is shown, not minimised, exposed (the window manager unmaps a window on another workspace) and
// not wholly covered by other windows where the X server tells, and its own window is shown, not minimised
// and not below a maximised one.
class PageVisibility final : public QObject
{
    Q_OBJECT
public:
    PageVisibility(QWidget& mainWindow, QMdiArea& area);

    // Follows a child window's state from now on.
    void watch(ChildWindow* child);
    // Tells every browser what is seen now.
    void update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool mainSeen() const;

    QWidget& m_main;
    QMdiArea& m_area;
    QPointer<QWindow> m_window; // the main window's native window, once made
    x11::CoverWatch* m_cover;
    // The window system took the shown main window off the screen (unmapped) and has not put it
    // back: only an exposure event tells, so it is remembered from one.
    bool m_unexposed = false;
};

} // namespace sora
