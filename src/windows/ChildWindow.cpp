#include "ChildWindow.h"

#include "Layout.h"
#include "WebBrowser.h"
#include "app/Defaults.h"
#include "frame/MDIForm1.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QEvent>

namespace sora {

ChildWindow::ChildWindow(MDIForm1& main, BrowserFactory& browsers, const QString& caption, const Geometry& size)
    : m_main(main), m_client(new QWidget), WebBrowser1(browsers.create(m_client))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setWindowIcon(main.windowIcon());
    setWidget(m_client);
    // Every browser's status text goes to the main window's status bar, active window or not.
    connect(WebBrowser1, &WebBrowser::StatusTextChange, &main, &MDIForm1::ShowStatusText);
    resize(twips::toSizePixelsX(size.width), twips::toSizePixelsY(size.height));
}

ChildWindow::~ChildWindow() { m_main.removeChild(this); }

double ChildWindow::Top() const { return twips::fromPixelsY(y()); }
double ChildWindow::Left() const { return twips::fromPixelsX(x()); }
double ChildWindow::Width() const { return twips::fromPixelsX(width()); }
double ChildWindow::Height() const { return twips::fromPixelsY(height()); }

void ChildWindow::SetTop(double tw) { move(x(), twips::toPixelsY(tw)); }
void ChildWindow::SetLeft(double tw) { move(twips::toPixelsX(tw), y()); }
void ChildWindow::SetWidth(double tw) { resize(twips::toSizePixelsX(tw), height()); }
void ChildWindow::SetHeight(double tw) { resize(width(), twips::toSizePixelsY(tw)); }

int ChildWindow::WindowState() const
{
    if (isMinimized())
        return StateMinimized;
    if (isMaximized())
        return StateMaximized;
    return StateNormal;
}

void ChildWindow::SetWindowState(int state)
{
    switch (state) {
    case StateMinimized: showMinimized(); break;
    case StateMaximized: showMaximized(); break;
    default: showNormal(); break;
    }
}

void ChildWindow::applyLayout(const WindowLayout& layout)
{
    if (layout.browserHeight)
        WebBrowser1->SetHeight(*layout.browserHeight);
    if (layout.windowHeight)
        SetHeight(*layout.windowHeight);
    if (layout.browserWidth)
        WebBrowser1->SetWidth(*layout.browserWidth);
}

void ChildWindow::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    Form_Resize();
}

void ChildWindow::closeEvent(QCloseEvent* event)
{
    QMdiSubWindow::closeEvent(event);
    // Gone for the user at once, though deleted only later: no pass or save may meet it.
    if (event->isAccepted())
        m_main.removeChild(this);
}

void ChildWindow::changeEvent(QEvent* event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

} // namespace sora
