// Start-up from settings files the test writes: geometry, caption, recording mode, restored windows.
#include "Harness.h"
#include "app/Defaults.h"
#include "app/Settings.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"
#include "windows/Form2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

QByteArray layout(const QByteArray& mainForm, const QByteArray& subForm, const QByteArray& rest = {})
{
    return "[MainForm]\r\n" + mainForm + "[SubForm]\r\n" + subForm +
           "[URL]\r\nUrl1=\"http://d/list.cgi\"\r\nUrl2=\"http://d/ping.cgi\"\r\n" + rest;
}

QByteArray window(int i, const QByteArray& type, const QByteArray& state, int top = 150, int left = 300,
                  int width = 3000, int height = 4500)
{
    const QByteArray f = "Form" + QByteArray::number(i);
    return f + "Top=" + QByteArray::number(top) + "\r\n" + f + "Left=" + QByteArray::number(left) + "\r\n" + f +
           "Width=" + QByteArray::number(width) + "\r\n" + f + "Height=" + QByteArray::number(height) + "\r\n" + f +
           "WindowType=" + type + "\r\n" + f + "WindowState=" + state + "\r\n";
}

QStringList captions(MDIForm1& main)
{
    QStringList c;
    for (int i = 1; i < main.windowCount(); ++i)
        c << main.childAt(i)->Caption();
    return c;
}

} // namespace

TEST(Startup, FirstStartWritesTheDefaultFileAndOpensTheDefaultLayout)
{
    Harness h;
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.readIni(), DefaultSettingsBytes(h.folder()));
    MDIForm1& m = h.main();
    EXPECT_EQ(m.windowTitle(), QStringLiteral("ソラマドORBX"));
    EXPECT_EQ(m.Width(), 12720);
    EXPECT_EQ(m.Height(), 7320);
    EXPECT_EQ(m.Top(), 0);
    EXPECT_EQ(m.Left(), 0);
    ASSERT_EQ(m.windowCount(), 3);
    EXPECT_EQ(captions(m), (QStringList{QStringLiteral("ソラマド"), QStringLiteral("霧里庵生存確認所")}));
    const ChildWindow* player = m.childAt(1);
    const ChildWindow* ping = m.childAt(2);
    EXPECT_EQ(QList<double>({player->Top(), player->Left(), player->Width(), player->Height()}),
              QList<double>({0, 0, 5460, 6300}));
    EXPECT_EQ(QList<double>({ping->Top(), ping->Left(), ping->Width(), ping->Height()}),
              QList<double>({0, 5460, 7080, 6300}));
    EXPECT_EQ(h.browser(1)->navigations, QStringList{defaults::url1()});
    EXPECT_EQ(h.browser(2)->navigations, QStringList{defaults::url2()});
    EXPECT_EQ(gTimeInterval, 1);
    EXPECT_FALSE(gPremium);
    EXPECT_TRUE(h.messages.shown.isEmpty());
}

TEST(Startup, ASecondInstanceEndsAtOnceAndTouchesNothing)
{
    Harness h;
    h.instance.otherInstanceRuns = true;
    EXPECT_FALSE(h.load());
    EXPECT_EQ(h.end.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(h.iniPath()));
    EXPECT_FALSE(h.main().isVisible());
    EXPECT_EQ(h.main().windowCount(), 1);
}
