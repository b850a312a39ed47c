// Pages nobody can see are hidden to the engine, and shown again as soon as they can be seen.
#include "Harness.h"
#include "platform/NotifyIcon.h"
#include "windows/ChildWindow.h"

#include <QMdiArea>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

TEST(PageVisibility, PagesAreHiddenWhileTheirWindowCannotBeSeen)
{
    Harness h;
    ASSERT_TRUE(h.load()); // the default file: a player window, then a ping window
    MDIForm1& m = h.main();
    ChildWindow* player = m.childAt(1);
    ChildWindow* ping = m.childAt(2);
    FakeBrowser* playerPage = h.browser(1);
    FakeBrowser* pingPage = h.browser(2);
    const auto seen = [&] { return QList<bool>{playerPage->pageVisible, pingPage->pageVisible}; };
    ASSERT_EQ(seen(), (QList<bool>{true, true}));

    // A maximised child covers the one below it, until that one is brought above it.
    m.mdiArea->setActiveSubWindow(ping);
    ping->SetWindowState(2);
    EXPECT_EQ(seen(), (QList<bool>{false, true}));
    m.mdiArea->setActiveSubWindow(player);
    EXPECT_EQ(seen(), (QList<bool>{true, true}));
    m.mdiArea->setActiveSubWindow(ping);
    EXPECT_EQ(seen(), (QList<bool>{false, true}));
    ping->SetWindowState(0);
    EXPECT_EQ(seen(), (QList<bool>{true, true}));

    // A child minimised inside the workspace.
    player->SetWindowState(1);
    EXPECT_EQ(seen(), (QList<bool>{false, true}));
    player->SetWindowState(0);
    EXPECT_EQ(seen(), (QList<bool>{true, true}));

    // The main window minimised into the notification area, and back from it.
    m.setWindowState(m.windowState() | Qt::WindowMinimized);
    ASSERT_FALSE(m.isVisible());
    EXPECT_EQ(seen(), (QList<bool>{false, false}));
    h.tray.send(WM_LBUTTONDBLCLK);
    EXPECT_EQ(seen(), (QList<bool>{true, true}));
}
