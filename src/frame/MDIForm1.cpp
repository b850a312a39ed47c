#include "MDIForm1.h"

#include "PageVisibility.h"
#include "StatusLine.h"

#include "dialogs/Form3.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmTimeInterval.h"
#include "platform/BenchProbe.h"
#include "platform/Platform.h"
#include "platform/Twips.h"
#include "windows/ChildWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>

namespace sora {

MDIForm1::MDIForm1(Platform& platform)
    : mdiArea(new QMdiArea(this)), sbURLBar(new QStatusBar(this)), TimTimeInterval(new QTimer(this)),
      M_NewPlayerWindow(menuBar()->addAction(QStringLiteral("新規プレイヤ"))),
      M_NewPingWindow(menuBar()->addAction(QStringLiteral("新規観測所"))),
      M_ReConnect(menuBar()->addAction(QStringLiteral("再接続"))),
      M_Config(menuBar()->addAction(QStringLiteral("設定"))),
      M_Ver(menuBar()->addAction(QStringLiteral("バージョン"))), m_platform(platform),
      m_pages(new PageVisibility(*this, *mdiArea)), m_sleepHolds(platform.sleep),
      m_songs(platform.program.folder()), m_statusLine(new StatusLine(sbURLBar))
{
    setWindowTitle(designCaption());
    setWindowIcon(QIcon(QStringLiteral(":/sora/SoraWindowEX.png")));
    setCentralWidget(mdiArea);
    // A global-menu registrar would take the bar out of the window, and these bare commands
    // (no submenus) would show nowhere.
    menuBar()->setNativeMenuBar(false);
    // Each child keeps the state it was given: activating one must not maximise it because
    // another one is maximised.
    mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    // The workspace keeps Qt's application-workspace colour: the palette's dark shade.
    mdiArea->setBackground(palette().brush(QPalette::Dark));

    setStatusBar(sbURLBar);
    sbURLBar->setSizeGripEnabled(true);
    sbURLBar->setFixedHeight(twips::toSizePixelsY(255));
    sbURLBar->addWidget(m_statusLine, 1);

    resize(twips::toSizePixelsX(10170), twips::toSizePixelsY(6405));

    connect(M_NewPlayerWindow, &QAction::triggered, this, &MDIForm1::M_NewPlayerWindow_Click);
    connect(M_NewPingWindow, &QAction::triggered, this, &MDIForm1::M_NewPingWindow_Click);
    connect(M_ReConnect, &QAction::triggered, this, &MDIForm1::M_ReConnect_Click);
    connect(M_Config, &QAction::triggered, this, &MDIForm1::M_Config_Click);
    connect(M_Ver, &QAction::triggered, this, &MDIForm1::M_Ver_Click);

    TimTimeInterval->setInterval(60000);
    TimTimeInterval->setTimerType(Qt::CoarseTimer);
    connect(TimTimeInterval, &QTimer::timeout, this, &MDIForm1::TimTimeInterval_Timer);
    TimTimeInterval->start();
}

MDIForm1::~MDIForm1()
{
    // Dialogs have no owner, so they would outlive this window otherwise.
    closeDialogs();
    // Nothing is seen any more: the pages need not be told while their windows go.
    delete m_pages;
    // Child windows take themselves off the list as they go, so they must go while it exists;
    // closed ones waiting for deletion too.
    qDeleteAll(mdiArea->findChildren<ChildWindow*>());
}

void MDIForm1::ShowStatusText(const QString& text) { m_statusLine->report(text); }

QString MDIForm1::statusText() const { return m_statusLine->reported(); }

QString MDIForm1::shownStatusText() const { return m_statusLine->shown(); }

double MDIForm1::Top() const { return twips::fromPixelsY(frameGeometry().y()); }
double MDIForm1::Left() const { return twips::fromPixelsX(frameGeometry().x()); }
double MDIForm1::Width() const { return twips::fromPixelsX(frameGeometry().width()); }
double MDIForm1::Height() const { return twips::fromPixelsY(frameGeometry().height()); }

// move() on a top-level window places its frame, as Top and Left mean.
void MDIForm1::SetTop(double tw) { move(frameGeometry().x(), twips::toPixelsY(tw)); }
void MDIForm1::SetLeft(double tw) { move(twips::toPixelsX(tw), frameGeometry().y()); }

void MDIForm1::SetWidth(double tw)
{
    if (!m_outerPending)
        m_wantedOuter = frameGeometry().size();
    m_wantedOuter.setWidth(twips::toSizePixelsX(tw));
    resizeToOuter();
}

void MDIForm1::SetHeight(double tw)
{
    if (!m_outerPending)
        m_wantedOuter = frameGeometry().size();
    m_wantedOuter.setHeight(twips::toSizePixelsY(tw));
    resizeToOuter();
}

// Width and Height are outer sizes, but the frame's size is known only once the window manager
// has framed the window. Until then the size is applied as if there were no frame, and again
// when the frame shows up shortly after the window is shown.
void MDIForm1::resizeToOuter()
{
    const QSize frame = frameGeometry().size() - size();
    resize((m_wantedOuter - frame).expandedTo(QSize(0, 0)));
    m_outerPending = !isVisible() || frame.isNull();
}

void MDIForm1::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (m_outerPending && !(frameGeometry().size() - size()).isNull())
        resizeToOuter();
    if (!m_outerPending)
        return;
    auto* poll = new QTimer(this);
    poll->setInterval(25);
    connect(poll, &QTimer::timeout, this, [this, poll, tries = 0]() mutable {
        const QSize frame = frameGeometry().size() - size();
        if (m_outerPending && !frame.isNull())
            resizeToOuter();
        if (!m_outerPending || ++tries >= 80) {
            m_outerPending = false;
            poll->deleteLater();
            poll->stop();
        }
    });
    poll->start();
}

ChildWindow* MDIForm1::childAt(int index) const
{
    if (index < 1 || index > m_children.size())
        return nullptr;
    return m_children.at(index - 1);
}

ChildWindow* MDIForm1::activeChild() const { return qobject_cast<ChildWindow*>(mdiArea->activeSubWindow()); }

void MDIForm1::addChild(ChildWindow* child)
{
    m_children.append(child);
    child->setWindowIcon(windowIcon());
    // Every browser's status text goes to the status bar, active window or not.
    connect(child, &ChildWindow::StatusTextChange, this, &MDIForm1::ShowStatusText);
    // A closed window leaves the list at once, so no pass or save meets it; one deleted without
    // a close (the program ending) leaves it as it goes.
    const auto remove = [this, child] {
        if (m_children.removeOne(child))
            emit ChildWindowsChanged();
    };
    connect(child, &ChildWindow::Closed, this, remove);
    connect(child, &QObject::destroyed, this, remove);
    mdiArea->addSubWindow(child);
    m_pages->watch(child);
    emit ChildWindowsChanged();
}

bool MDIForm1::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::StatusTip:
        // Menu hovering would clear the browsers' status text; the bar shows only theirs.
        return true;
    case QEvent::WinIdChange:
        bench::mainWindowCreated();
        break;
    case QEvent::Paint:
        bench::mainWindowPainted();
        break;
    case QEvent::UpdateRequest:
        m_statusLine->showPending();
        break;
    default:
        break;
    }
    return QMainWindow::event(e);
}

void MDIForm1::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange)
        MDIForm_Resize();
}

void MDIForm1::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    MDIForm_Resize();
}

void MDIForm1::moveEvent(QMoveEvent* e)
{
    QMainWindow::moveEvent(e);
    // The window manager framing the window moves it: the outer size can be set right away, often
    // before the window is first painted, rather than at the next poll and with a repaint of its own.
    if (m_outerPending && isVisible() && !(frameGeometry().size() - size()).isNull())
        resizeToOuter();
}

void MDIForm1::closeEvent(QCloseEvent* e)
{
    // A close is never refused: the state is saved and the process ends.
    e->accept();
    MDIForm_QueryUnload();
}

} // namespace sora
