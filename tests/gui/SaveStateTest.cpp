// Saving at exit: which keys go into the settings file and in which order, and what a failed
// save and a termination signal do.
#include "Harness.h"
#include "app/Settings.h"
#include "platform/TerminationSignals.h"
#include "windows/ChildWindow.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

using namespace sora;
using namespace sora::fakes;

namespace {

// No main keys and no window keys yet, so each key lands where its write puts it.
const QByteArray kBare =
    "[URL]\r\nUrl1=\"http://d/list.cgi\"\r\nUrl2=\"http://d/ping.cgi\"\r\n[SubForm]\r\nCount=0\r\n";

void place(ChildWindow* w, double top, double left, double width, double height)
{
    w->SetTop(top);
    w->SetLeft(left);
    w->SetWidth(width);
    w->SetHeight(height);
}

int close(Harness& h)
{
    return endsProcess([&h] { h.main().MDIForm_QueryUnload(); });
}

} // namespace

TEST(SaveState, WritesTheMainKeysThenSixKeysPerWindowAndNothingForDialogsOrClosedWindows)
{
    Harness h;
    h.writeIni(kBare);
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    m.M_NewPingWindow_Click();
    m.M_NewPlayerWindow_Click();
    m.M_NewPingWindow_Click();
    place(m.childAt(2), 150, 300, 3000, 4500);
    place(m.childAt(3), 600, 3300, 6000, 3000);
    m.M_Ver_Click();
    m.M_Config_Click();
    m.childAt(1)->close(); // just now: its deletion has not run yet
    gTimeInterval = 7;

    EXPECT_EQ(close(h), 0);
    EXPECT_TRUE(h.messages.shown.isEmpty());
    EXPECT_TRUE(m.isHidden());
    EXPECT_EQ(h.input.closes, 1) << "input released";
    EXPECT_EQ(h.readIni(),
              "[URL]\r\nUrl1=\"http://d/list.cgi\"\r\nUrl2=\"http://d/ping.cgi\"\r\n"
              "[SubForm]\r\nCount=2\r\n"
              "Form1Top=150\r\nForm1Left=300\r\nForm1Height=4500\r\nForm1Width=3000\r\n"
              "Form1WindowState=0\r\nForm1WindowType=1\r\n"
              "Form2Top=600\r\nForm2Left=3300\r\nForm2Height=3000\r\nForm2Width=6000\r\n"
              "Form2WindowState=0\r\nForm2WindowType=2\r\n"
              "[MainForm]\r\nTop=0\r\nLeft=0\r\nHeight=7320\r\nWidth=12720\r\nTimeInterval=7\r\n");
}

TEST(SaveState, WithoutChildWindowsCountIsZeroAndOldWindowKeysStay)
{
    Harness h;
    ASSERT_TRUE(h.load()); // first start: the default file
    h.main().childAt(2)->close();
    h.main().childAt(1)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(close(h), 0);
    QByteArray expected = DefaultSettingsBytes(h.folder());
    expected.replace("Count=2\r\n", "Count=0\r\n");
    EXPECT_EQ(h.readIni(), expected);
}

TEST(SaveState, MinimisedAndMaximisedWindowsComeBackAsTheyWere)
{
    Harness h;
    h.writeIni(kBare);
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    m.M_NewPlayerWindow_Click();
    m.M_NewPingWindow_Click();
    m.M_NewPlayerWindow_Click();
    place(m.childAt(1), 150, 300, 3000, 4500);
    m.childAt(2)->SetWindowState(1);
    m.childAt(3)->SetWindowState(2);
    ASSERT_EQ(close(h), 0);

    Harness next;
    next.writeIni(h.readIni());
    ASSERT_TRUE(next.load());
    MDIForm1& n = next.main();
    ASSERT_EQ(n.windowCount(), 4);
    const ChildWindow* w = n.childAt(1);
    EXPECT_EQ(QList<double>({w->Top(), w->Left(), w->Width(), w->Height()}),
              QList<double>({150, 300, 3000, 4500}));
    EXPECT_EQ(
        (QList<int>{n.childAt(1)->WindowState(), n.childAt(2)->WindowState(), n.childAt(3)->WindowState()}),
        (QList<int>{0, 1, 2}));
    EXPECT_EQ(n.childAt(2)->Caption(), QStringLiteral("霧里庵生存確認所"));
    EXPECT_EQ(n.childAt(3)->Caption(), QStringLiteral("ソラマド"));
}

TEST(SaveState, AFailedWriteSaysSoAndEndsWithTheFileUntouched)
{
    Harness h;
    ASSERT_TRUE(h.load());
    const QByteArray before = h.readIni();
    ASSERT_TRUE(QFile::setPermissions(h.iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    h.main().childAt(1)->SetWindowState(2);

    EXPECT_EQ(close(h), 1);
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].text, QStringLiteral("設定保存に失敗しますた。"));
    EXPECT_EQ(h.messages.shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(h.main().isHidden());
    EXPECT_EQ(h.input.closes, 1);
    EXPECT_EQ(h.readIni(), before);
}

TEST(SaveState, ATerminationSignalClosesOnceLikeTheCloseBox)
{
    Harness h;
    ASSERT_TRUE(h.load());
    int closes = 0;
    int exitCode = -1;
    watchTerminationSignals(&h.main(), [&] {
        ++closes;
        exitCode = close(h);
    });
    std::raise(SIGTERM);
    std::raise(SIGHUP); // a session's second signal must not start a second save
    EXPECT_TRUE(QTest::qWaitFor([&] { return closes != 0; }, 5000));
    std::raise(SIGINT);
    QTest::qWait(50); // the third signal's turn to arrive, and start nothing
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(h.readIni().contains("Count=2\r\n"));
}
