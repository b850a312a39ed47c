#include "ChildWindow.h"

#include "Layout.h"
#include "app/Defaults.h"
#include "platform/Twips.h"
#include "platform/WebBrowser.h"

#include <QCloseEvent>
#include <QEvent>

namespace sora {

ChildWindow::ChildWindow(BrowserFactory& browsers, const QString& caption, const Geometry& size)
    : m_client(new QWidget), WebBrowser1(browsers.create(m_client))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    setWidget(m_client);
    // Every browser's status text goes out, active window or not.
    connect(WebBrowser1, &WebBrowser::StatusTextChange, this, &ChildWindow::StatusTextChange);
    resize(twips::toSizePixelsX(size.width), twips::toSizePixelsY(size.height));
}

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
        emit Closed();
}

void ChildWindow::changeEvent(QEvent* event)
{
    QMdiSubWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

} // namespace sora
