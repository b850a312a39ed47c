// Minimising into the notification area and coming back from it.
#include "Harness.h"
#include "frame/SystemTrayIcon.h"
#include "platform/NotifyIcon.h"

#include <QCoreApplication>
#include <QResizeEvent>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

void minimise(MDIForm1& m)
{
    m.setWindowState(m.windowState() | Qt::WindowMinimized);
}

QByteArray tipOf(const NOTIFYICONDATAA& d)
{
    return QByteArray(d.szTip.data(), static_cast<qsizetype>(d.szTip.size()));
}

// Looks at the window as it is shown again, and raises the size event that showing it brings.
class SizeEventOnShow final : public QObject
{
public:
    QList<Qt::WindowStates> statesSeen;
    QList<qint16> inTraySeen;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* w = static_cast<MDIForm1*>(watched);
            statesSeen << w->windowState();
            inTraySeen << w->mInTray;
            QResizeEvent resize(w->size(), w->size());
            QCoreApplication::sendEvent(w, &resize);
        }
        return false;
    }
};

} // namespace

TEST(Tray, TheRecordIsFilledAtTheEndOfStartUp)
{
    Harness h;
    ASSERT_TRUE(h.load());
    EXPECT_EQ(gTrayIcon.cbSize, 88u);
    EXPECT_EQ(gTrayIcon.hWnd, static_cast<quint32>(h.main().winId()));
    EXPECT_EQ(gTrayIcon.uID, 1u);
    EXPECT_EQ(gTrayIcon.uFlags, 7u);
    EXPECT_EQ(gTrayIcon.uCallbackMessage, 0x200u);
    EXPECT_FALSE(gTrayIcon.hIcon.isNull());
    EXPECT_EQ(tipOf(gTrayIcon), QByteArray("SoraWindowEX") + '\0' + QByteArray(51, ' '));
    EXPECT_EQ(h.tray.adds, 0); // start-up shows no icon
    EXPECT_EQ(h.main().mInTray, 0);
}

TEST(Tray, TheTipIsCutAtSixtyThreeBytesWithoutSplittingACharacter)
{
    {
        Harness h;
        h.platform.program = ProgramInfo(h.folder(), QString(70, QLatin1Char('n')));
        ASSERT_TRUE(h.load());
        EXPECT_EQ(tipOf(gTrayIcon), QByteArray(63, 'n') + '\0');
    }
    {
        // "ソ" is two bytes: the 63rd byte would be the first half of one.
        Harness h;
        h.platform.program = ProgramInfo(h.folder(), QStringLiteral("ab") + QString(40, QChar(0x30BD)));
        ASSERT_TRUE(h.load());
        QByteArray sos;
        for (int i = 0; i < 30; ++i)
            sos += "\x83\x5C";
        EXPECT_EQ(tipOf(gTrayIcon), "ab" + sos + '\0' + ' ');
    }
}

TEST(Tray, MinimisingHidesBehindOneIconAndADoubleClickBringsItBack)
{
    Harness h;
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    for (int round = 1; round <= 2; ++round) {
        minimise(m);
        EXPECT_FALSE(m.isVisible());
        EXPECT_TRUE(h.tray.shown);
        EXPECT_EQ(h.tray.adds, round);
        EXPECT_EQ(m.mInTray, 1);
        EXPECT_EQ(h.tray.lastData.uID, 1u);

        // Further size events while hidden add nothing.
        m.MDIForm_Resize();
        EXPECT_EQ(h.tray.adds, round);

        h.tray.send(WM_LBUTTONDBLCLK);
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(m.windowState(), Qt::WindowNoState);
        EXPECT_FALSE(h.tray.shown);
        EXPECT_EQ(h.tray.removes, round);
        EXPECT_EQ(m.mInTray, 0);
    }
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST(Tray, RestoringDoesNotAddASecondIcon)
{
    Harness h;
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    minimise(m);
    SizeEventOnShow filter;
    m.installEventFilter(&filter);
    h.tray.send(WM_LBUTTONDBLCLK);
    m.removeEventFilter(&filter);

    // Shown already normal, so X11 maps it on screen rather than iconified; the flag goes last.
    ASSERT_FALSE(filter.statesSeen.isEmpty());
    EXPECT_EQ(filter.statesSeen.first(), Qt::WindowNoState);
    EXPECT_EQ(filter.inTraySeen.first(), 1);
    EXPECT_EQ(h.tray.adds, 1);
    EXPECT_FALSE(h.tray.shown);
    EXPECT_TRUE(m.isVisible());
    EXPECT_EQ(m.windowState(), Qt::WindowNoState);
}

TEST(Tray, AMaximisedWindowComesBackNormal)
{
    Harness h;
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    m.setWindowState(Qt::WindowMaximized);
    minimise(m);
    ASSERT_FALSE(m.isVisible());
    h.tray.send(WM_LBUTTONDBLCLK);
    EXPECT_EQ(m.windowState(), Qt::WindowNoState);
    EXPECT_TRUE(m.isVisible());
}

TEST(Tray, ClicksOtherThanALeftDoubleClickDoNothing)
{
    Harness h;
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    minimise(m);
    for (quint32 message : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP, 0x201u, 0x204u, 0x206u})
        h.tray.send(message);
    EXPECT_FALSE(m.isVisible());
    EXPECT_TRUE(h.tray.shown);
    EXPECT_EQ(h.tray.removes, 0);
    EXPECT_EQ(m.mInTray, 1);
}

TEST(Tray, WithoutANotificationAreaTheWindowStaysOnTheTaskbar)
{
    {
        Harness h;
        h.tray.available = false;
        ASSERT_TRUE(h.load());
        MDIForm1& m = h.main();
        minimise(m);
        EXPECT_TRUE(m.isVisible());
        EXPECT_TRUE(m.windowState() & Qt::WindowMinimized);
        EXPECT_EQ(h.tray.adds, 0);
        EXPECT_EQ(m.mInTray, 0);
    }
    {
        // The area is there but refuses the icon.
        Harness h;
        h.tray.refuses = true;
        ASSERT_TRUE(h.load());
        MDIForm1& m = h.main();
        minimise(m);
        EXPECT_TRUE(m.isVisible());
        EXPECT_TRUE(m.windowState() & Qt::WindowMinimized);
        EXPECT_EQ(m.mInTray, 0);
        // Restored from the taskbar and minimised again, it tries the area again.
        h.tray.refuses = false;
        m.setWindowState(Qt::WindowNoState);
        minimise(m);
        EXPECT_FALSE(m.isVisible());
        EXPECT_TRUE(h.tray.shown);
        EXPECT_EQ(m.mInTray, 1);
    }
}

TEST(Tray, ASecondStartBringsTheWindowBackFromTheAreaOrTheTaskbar)
{
    {
        Harness h;
        ASSERT_TRUE(h.load());
        MDIForm1& m = h.main();
        m.setWindowState(Qt::WindowMaximized);
        minimise(m);
        ASSERT_FALSE(m.isVisible());
        h.instance.activate();
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(m.windowState(), Qt::WindowNoState); // as the icon's double-click brings it
        EXPECT_FALSE(h.tray.shown);
        EXPECT_EQ(m.mInTray, 0);
    }
    {
        // No notification area: minimised on the taskbar, back to the state it was minimised from.
        Harness h;
        h.tray.available = false;
        ASSERT_TRUE(h.load());
        MDIForm1& m = h.main();
        m.setWindowState(Qt::WindowMaximized);
        minimise(m);
        h.instance.activate();
        EXPECT_TRUE(m.isVisible());
        EXPECT_EQ(m.windowState(), Qt::WindowMaximized);
        EXPECT_EQ(h.tray.adds, 0);
    }
    {
        // Already on screen: it stays as it is.
        Harness h;
        ASSERT_TRUE(h.load());
        h.instance.activate();
        EXPECT_TRUE(h.main().isVisible());
        EXPECT_EQ(h.main().windowState(), Qt::WindowNoState);
        EXPECT_EQ(h.tray.adds + h.tray.removes, 0);
    }
}

TEST(Tray, AnActivationRestoresOnAStatusNotifierHostAndNotOnAnXEmbedTray)
{
    using R = QSystemTrayIcon::ActivationReason;
    EXPECT_EQ(SystemTrayIcon::messageFor(R::Trigger, true), WM_LBUTTONDBLCLK);
    EXPECT_EQ(SystemTrayIcon::messageFor(R::Trigger, false), WM_LBUTTONUP);
    for (const bool sni : {true, false}) {
        EXPECT_EQ(SystemTrayIcon::messageFor(R::DoubleClick, sni), WM_LBUTTONDBLCLK);
        EXPECT_EQ(SystemTrayIcon::messageFor(R::Context, sni), WM_RBUTTONUP);
        EXPECT_EQ(SystemTrayIcon::messageFor(R::MiddleClick, sni), WM_MBUTTONUP);
        EXPECT_EQ(SystemTrayIcon::messageFor(R::Unknown, sni), 0u);
    }
}
