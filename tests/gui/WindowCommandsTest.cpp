// The menu's window commands, the reload timer and what the child windows show.
#include "Harness.h"
#include "app/Defaults.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"
#include "windows/Form2.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

const QString kList = QStringLiteral("http://d/list.cgi");
const QString kPing = QStringLiteral("http://d/ping.cgi");
const QString kStation = QStringLiteral("http://d/station.cgi?ch=1&title=ラジオ夢見&serv=s&port=8000&mount=/m&end=1");

// Program started on a file with the given windows (1 player, 2 ping), and recording mode as asked.
struct Started : Harness
{
    explicit Started(const QList<int>& kinds, bool recording = false, int interval = 1)
    {
        QByteArray ini = "[MainForm]\r\nTimeInterval=" + QByteArray::number(interval) + "\r\n[SubForm]\r\nCount=" +
                         QByteArray::number(kinds.size()) + "\r\n";
        for (int i = 0; i < kinds.size(); ++i)
            ini += "Form" + QByteArray::number(i + 1) + "WindowType=" + QByteArray::number(kinds[i]) + "\r\n";
        ini += "[URL]\r\nUrl1=" + kList.toUtf8() + "\r\nUrl2=" + kPing.toUtf8() + "\r\n";
        writeIni(ini);
        if (recording)
            enableRecording();
        EXPECT_TRUE(load());
    }
    Form1* player(int i) { return qobject_cast<Form1*>(main().childAt(i)); }
    qsizetype loads(int i) { return browser(i)->navigations.size(); }
    void tick(int n = 1)
    {
        for (int k = 0; k < n; ++k)
            main().TimTimeInterval_Timer();
    }
};

} // namespace

TEST(WindowCommands, NewWindowsOpenLastInTheListOnTheirStartPageWithTheirKindsSize)
{
    Started s({});
    s.main().M_NewPingWindow_Click();
    s.main().M_NewPlayerWindow_Click();
    ASSERT_EQ(s.main().windowCount(), 3);
    EXPECT_EQ(s.main().childAt(1)->Caption(), Form2::caption());
    EXPECT_EQ(s.main().childAt(2)->Caption(), Form1::caption());
    EXPECT_EQ(s.browser(1)->navigations, QStringList{kPing});
    EXPECT_EQ(s.browser(2)->navigations, QStringList{kList});
    EXPECT_EQ(s.main().childAt(1)->Width(), 7080);
    EXPECT_EQ(s.main().childAt(2)->Width(), 5460);
    EXPECT_EQ(s.main().childAt(2)->Height(), 6300);
    EXPECT_TRUE(s.main().childAt(2)->isVisible());
}

TEST(WindowCommands, ReconnectSendsEveryChildBackWhateverItShows)
{
    Started s({1, 2, 1});
    s.browser(1)->userOpens(kStation);
    s.browser(2)->userOpens(QStringLiteral("http://elsewhere/"));
    s.main().M_ReConnect_Click();
    EXPECT_EQ(s.browser(1)->navigations, (QStringList{kList, kList}));
    EXPECT_EQ(s.browser(2)->navigations, (QStringList{kPing, kPing}));
    EXPECT_EQ(s.browser(3)->navigations, (QStringList{kList, kList}));
    EXPECT_EQ(s.browser(1)->LocationURL(), kList);
}

TEST(WindowCommands, ClosedWindowsLeaveTheListWithoutGaps)
{
    Started s({1, 2, 1});
    ChildWindow* middle = s.main().childAt(2);
    middle->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(s.main().windowCount(), 3);
    EXPECT_EQ(s.main().childAt(2)->Caption(), Form1::caption());
    s.main().M_ReConnect_Click();
    EXPECT_EQ(s.browser(2)->navigations.size(), 2);
}

TEST(ReloadTimer, ReloadsStartPagesEveryIntervalMinutes)
{
    Started s({1, 2}, false, 3);
    std::vector<int> reloads;
    for (int tick = 1; tick <= 9; ++tick) {
        const qsizetype before = s.loads(1);
        s.tick();
        if (s.loads(1) > before)
            reloads.push_back(tick);
        EXPECT_EQ(s.loads(1), s.loads(2));
    }
    EXPECT_EQ(reloads, (std::vector<int>{3, 6, 9}));
    EXPECT_EQ(s.main().mTickCount, 0);
}

TEST(ReloadTimer, AnIntervalOfZeroReloadsOnEveryTick)
{
    Started s({2}, false, 0);
    s.tick(4);
    EXPECT_EQ(s.loads(1), 5);
}

TEST(ReloadTimer, OnlyWindowsStillOnTheirExactStartPageAreReloaded)
{
    Started s({1, 2, 1});
    s.browser(1)->userOpens(kStation);
    s.browser(2)->userOpens(kPing.toUpper()); // differs only in letter case
    s.tick();
    EXPECT_EQ(s.loads(1), 1);
    EXPECT_EQ(s.loads(2), 1);
    EXPECT_EQ(s.loads(3), 2);
    EXPECT_EQ(s.main().mTickCount, 0);
}

TEST(ReloadTimer, WithNoWindowsAPassCompletesAndResetsTheCount)
{
    Started s({}, false, 2);
    s.tick();
    EXPECT_EQ(s.main().mTickCount, 1);
    s.tick();
    EXPECT_EQ(s.main().mTickCount, 0);
}

TEST(ReloadTimer, KeepsReloadingAfterTheCountSaturates)
{
    Started s({1}, false, 5);
    s.main().mTickCount = 32767;
    s.tick();
    EXPECT_EQ(s.loads(1), 2);
    EXPECT_EQ(s.main().mTickCount, 0);
}

TEST(StatusText, EveryBrowserReportsToTheMainStatusBar)
{
    Started s({1, 2});
    s.browser(1)->reportStatus(QStringLiteral("http://d/station.cgi?ch=1"));
    EXPECT_EQ(s.main().statusText(), QStringLiteral("http://d/station.cgi?ch=1"));
    s.browser(2)->reportStatus(QStringLiteral("完了"));
    EXPECT_EQ(s.main().statusText(), QStringLiteral("完了"));
    s.browser(1)->reportStatus(QString());
    EXPECT_EQ(s.main().statusText(), QString());
}

TEST(PlayerWindow, OutsideRecordingModeTheStripStaysHidden)
{
    Started s({1});
    Form1* p = s.player(1);
    EXPECT_FALSE(p->Frame1->isVisibleTo(p));
    EXPECT_FALSE(p->cmdRec->isVisibleTo(p));
    s.browser(1)->userOpens(kStation);
    s.browser(1)->finishLoad();
    EXPECT_TRUE(p->lbl_title->text().isEmpty());
    EXPECT_EQ(p->WebBrowser1->Top(), 0);
}

TEST(PlayerWindow, TheTitleStripFollowsThePageShown)
{
    Started s({1}, true);
    Form1* p = s.player(1);
    EXPECT_TRUE(p->Frame1->isVisibleTo(p));
    EXPECT_TRUE(p->cmdRec->isVisibleTo(p));
    EXPECT_FALSE(p->cmdRec->isEnabled());
    EXPECT_EQ(p->cmdRec->text(), QStringLiteral("録音"));
    EXPECT_EQ(p->recPlace().Left(), p->Width() - 800);

    // A station page: its title shows, recording is possible, the browser moves below the strip.
    s.browser(1)->userOpens(kStation);
    s.browser(1)->finishLoad();
    EXPECT_EQ(p->lbl_title->text(), QStringLiteral("ラジオ夢見"));
    EXPECT_TRUE(p->cmdRec->isEnabled());
    EXPECT_EQ(p->WebBrowser1->Top(), 500);
    p->Form_Resize();
    EXPECT_EQ(p->WebBrowser1->Height(), p->Height() - 950);

    // Any other page: no title, browser back up, the button as it was.
    s.browser(1)->userOpens(QStringLiteral("http://d/about.html"));
    s.browser(1)->finishLoad();
    EXPECT_TRUE(p->lbl_title->text().isEmpty());
    EXPECT_EQ(p->WebBrowser1->Top(), 0);
    EXPECT_TRUE(p->cmdRec->isEnabled());

    // The start page clears everything.
    s.browser(1)->userOpens(kList);
    s.browser(1)->finishLoad();
    EXPECT_TRUE(p->lbl_title->text().isEmpty());
    EXPECT_FALSE(p->cmdRec->isEnabled());
    p->Form_Resize();
    EXPECT_EQ(p->WebBrowser1->Height(), p->Height() - 400);
}

TEST(PlayerWindow, ControlsSitAtTheirDesignPlaces)
{
    Started s({1}, true);
    Form1* p = s.player(1);
    EXPECT_EQ(p->frame1Place().Top(), -60);
    EXPECT_EQ(p->frame1Place().Height(), 555);
    EXPECT_EQ(p->titlePlace().Left(), 60);
    EXPECT_EQ(p->titlePlace().Top(), 210);
    EXPECT_EQ(p->recPlace().Top(), 150);
    EXPECT_EQ(p->recPlace().Width(), 600);
    EXPECT_EQ(p->recPlace().Height(), 345);
    EXPECT_EQ(p->cmdRec->font().family(), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(p->cmdRec->font().pointSize(), 9);
    // Resizing lays the strip out across the window.
    p->SetWidth(6000);
    EXPECT_EQ(p->frame1Place().Width(), 5900);
    EXPECT_EQ(p->titlePlace().Width(), 4640);
    EXPECT_EQ(p->recPlace().Left(), 5200);
    EXPECT_EQ(p->WebBrowser1->Width(), 5900);
}

TEST(PingWindow, TheBrowserFillsTheWindow)
{
    Started s({2});
    ChildWindow* w = s.main().childAt(1);
    w->SetHeight(6000);
    w->SetWidth(5010);
    EXPECT_EQ(w->WebBrowser1->Top(), 0);
    EXPECT_EQ(w->WebBrowser1->Height(), 5600);
    EXPECT_EQ(w->WebBrowser1->Width(), 4910);
}
