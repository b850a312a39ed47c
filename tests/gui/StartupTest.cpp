// Start-up from settings files the test writes: geometry, caption, recording mode, restored windows.
#include "Harness.h"
#include "app/Defaults.h"
#include "app/Settings.h"
#include "platform/Twips.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"
#include "windows/Form2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    EXPECT_EQ(h.instance.activationsSent, 1); // the running one was asked to come forward
    EXPECT_FALSE(QFileInfo::exists(h.iniPath()));
    EXPECT_FALSE(h.main().isVisible());
    EXPECT_EQ(h.main().windowCount(), 1);
}

TEST(Startup, AFrameSavedOnALargerScreenIsMovedOnScreenAndTheFileKeepsItsValues)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Wider than the screen and placed so the close box is off it.
    const int width = screen.width() + 200, height = screen.height() + 100;
    const QByteArray saved =
        layout("Top=" + QByteArray::number(twips::fromPixelsY(screen.y() - 40)) +
                   "\r\nLeft=" + QByteArray::number(twips::fromPixelsX(screen.x() + 30)) +
                   "\r\nHeight=" + QByteArray::number(twips::fromPixelsY(height)) +
                   "\r\nWidth=" + QByteArray::number(twips::fromPixelsX(width)) + "\r\n",
               "Count=0\r\n");
    Harness h;
    h.writeIni(saved);
    ASSERT_TRUE(h.load());
    const QRect frame(h.main().frameGeometry().topLeft(),
                      QSize(twips::toSizePixelsX(h.main().Width()), twips::toSizePixelsY(h.main().Height())));
    EXPECT_TRUE(screen.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_EQ(h.readIni(), saved);
}

TEST(Startup, AFrameWhoseTitleBarIsOnScreenStaysWhereItWasSaved)
{
    // Partly off the right and bottom edges, but its whole title bar on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int left = screen.x() + 20, top = screen.bottom() - 100;
    Harness h;
    h.writeIni(layout("Top=" + QByteArray::number(twips::fromPixelsY(top)) + "\r\nLeft=" +
                          QByteArray::number(twips::fromPixelsX(left)) + "\r\nHeight=6000\r\nWidth=9000\r\n",
                      "Count=0\r\n"));
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.main().frameGeometry().topLeft(), QPoint(left, top));
    EXPECT_EQ(h.main().Height(), 6000);
}

TEST(Startup, RecordingModeNeedsBothRecorderFiles)
{
    for (const char* present : {"streamripper.exe", "tre.dll"}) {
        Harness h;
        h.writeIni(layout("", "Count=0\r\n", "[Setting]\r\nRF=/rec/\r\n"));
        h.touch(QString::fromLatin1(present));
        ASSERT_TRUE(h.load());
        EXPECT_EQ(h.main().windowTitle(), QStringLiteral("ソラマドORBX")) << present;
        EXPECT_FALSE(gPremium);
        EXPECT_TRUE(gRecFolder.isEmpty());
    }
    Harness h;
    h.writeIni(layout("", "Count=0\r\n", "[Setting]\r\nRF=/rec/\r\n"));
    h.enableRecording();
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.main().windowTitle(), QStringLiteral("ソラマドORBX Premium"));
    EXPECT_TRUE(gPremium);
    EXPECT_EQ(gRecFolder, QStringLiteral("/rec/"));
}

TEST(Startup, AMissingRecordingFolderIsTheProgramFolderNotTheSettingsFile)
{
    Harness h;
    h.writeIni(layout("", "Count=0\r\n"));
    h.enableRecording();
    ASSERT_TRUE(h.load());
    EXPECT_EQ(gRecFolder, h.folder() + QStringLiteral("/"));
}

TEST(Startup, MainGeometryIntervalAndStartPagesComeFromTheFile)
{
    Harness h;
    h.writeIni(layout("Top=150\r\nLeft=300\r\nHeight=6000\r\nWidth=9000\r\nTimeInterval=2.5\r\n", "Count=0\r\n"));
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.main().Top(), 150);
    EXPECT_EQ(h.main().Left(), 300);
    EXPECT_EQ(h.main().Height(), 6000);
    EXPECT_EQ(h.main().Width(), 9000);
    EXPECT_EQ(gTimeInterval, 2);
    EXPECT_EQ(gUrl1, QStringLiteral("http://d/list.cgi"));
    EXPECT_EQ(gUrl2, QStringLiteral("http://d/ping.cgi"));
    EXPECT_EQ(h.main().windowCount(), 1);
}

TEST(Startup, IntervalHalvesRoundToEven)
{
    for (const auto& [text, expected] : {std::pair{"3.5", 4}, std::pair{"2.5", 2}, std::pair{"-1", -1}}) {
        Harness h;
        h.writeIni(layout(QByteArray("TimeInterval=") + text + "\r\n", "Count=0\r\n"));
        ASSERT_TRUE(h.load());
        EXPECT_EQ(gTimeInterval, expected) << text;
    }
}

TEST(Startup, AnExistingEmptyFileStaysEmptyAndEveryValueIsADefault)
{
    Harness h;
    h.writeIni("");
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.readIni(), QByteArray());
    EXPECT_EQ(h.main().Width(), 12720);
    EXPECT_EQ(gTimeInterval, 1);
    EXPECT_EQ(gUrl1, defaults::url1()); // never the settings file's own path
    EXPECT_EQ(captions(h.main()), (QStringList{Form1::caption(), Form2::caption()}));
}

TEST(Startup, RestoresEachWindowsKindStateAndNormalGeometryInOrder)
{
    Harness h;
    h.writeIni(layout("", "Count=6\r\n" + window(1, "1", "0", 150, 300, 3000, 4500) + window(2, "1.0", "2") +
                              window(3, "2", "1") + window(4, "0", "0", 600, 900, 4000, 3000) + window(5, "3", "0") +
                              window(6, " 1 ", "0")));
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    ASSERT_EQ(m.windowCount(), 7);
    EXPECT_EQ(captions(m), (QStringList{Form1::caption(), Form1::caption(), Form2::caption(), Form2::caption(),
                                        Form2::caption(), Form1::caption()}));
    EXPECT_EQ(m.childAt(1)->WindowState(), StateNormal);
    EXPECT_EQ(QList<double>({m.childAt(1)->Top(), m.childAt(1)->Left(), m.childAt(1)->Width(), m.childAt(1)->Height()}),
              QList<double>({150, 300, 3000, 4500}));
    EXPECT_EQ(m.childAt(2)->WindowState(), StateMaximized);
    EXPECT_EQ(m.childAt(3)->WindowState(), StateMinimized);
    EXPECT_EQ(QList<double>({m.childAt(4)->Top(), m.childAt(4)->Left()}), QList<double>({600, 900}));
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(h.browser(i)->navigations.size(), 1) << i;
    EXPECT_EQ(h.browser(2)->navigations.front(), QStringLiteral("http://d/list.cgi"));
    EXPECT_EQ(h.browser(3)->navigations.front(), QStringLiteral("http://d/ping.cgi"));
}

TEST(Startup, NoWindowsForAZeroOrNegativeCount)
{
    for (const char* count : {"Count=0\r\n", "Count=-3\r\n"}) {
        Harness h;
        h.writeIni(layout("", count + window(1, "1", "0")));
        ASSERT_TRUE(h.load());
        EXPECT_EQ(h.main().windowCount(), 1) << count;
    }
}

TEST(Startup, UnusableWindowKeysFallBackKeyByKey)
{
    Harness h;
    // Window 1: Width unusable, falls back to the default file's Form1Width. Window 2: state 7 is no
    // state, so it opens normal. Window 3: no kind at all, left out; window 4 still opens after it.
    h.writeIni(layout("", "Count=4\r\n" + window(1, "1", "0", 150, 300, 3000, 4500).replace("Width=3000", "Width=wide") +
                              window(2, "2", "7", 30, 45, 3000, 3000) + window(3, "x", "0") +
                              window(4, "2", "0", 0, 0, 3300, 3300).replace("Form4Top=0\r\n", "")));
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    ASSERT_EQ(m.windowCount(), 4);
    EXPECT_EQ(m.childAt(1)->Width(), 5460);
    EXPECT_EQ(m.childAt(1)->Height(), 4500);
    EXPECT_EQ(m.childAt(2)->WindowState(), StateNormal);
    EXPECT_EQ(m.childAt(2)->Top(), 30);
    EXPECT_EQ(m.childAt(3)->Caption(), Form2::caption());
    EXPECT_EQ(m.childAt(3)->Top(), 0);
    EXPECT_EQ(m.childAt(3)->Width(), 3300);
}

TEST(Startup, ADamagedCountIsCapped)
{
    Harness h;
    QByteArray windows;
    for (int i = 1; i <= defaults::MaxRestoredWindows + 20; ++i)
        windows += "Form" + QByteArray::number(i) + "WindowType=2\r\n";
    h.writeIni(layout("", "Count=2147483647\r\n" + windows));
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.main().windowCount(), 1 + defaults::MaxRestoredWindows);
}

TEST(Startup, BadFilesStillGiveAWorkingProgramWithDefaults)
{
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>((i * 37) & 0xFF);
    const QByteArray big = "[MainForm]\r\nWidth=9000\r\n" + QByteArray(10 * 1024 * 1024, 'x') + "\r\n";
    const QList<QByteArray> files = {
        "[MainForm]\r\nTop=1e309\r\nLeft=NaN\r\nHeight=\r\nWidth=-5\r\nTimeInterval=99999\r\n[SubForm]\r\nCount=abc\r\n",
        "[MainForm]\r\nTop=" + QByteArray(300, '9') + "\r\n[SubForm]\r\nCount=1\r\nForm1WindowType=1\r\n",
        "[MainForm]\r\nTop=\x83\r\nLeft=\xFF\xFE\r\n[\x81]\r\n[URL]\r\nUrl1=\x80\x81\x82\r\n",
        binary,
        big,
        "[MainForm]\rTop=30\rWidth=9000\r[SubForm]\rCount=1\r",
        "[MainForm]\nTop=30\nWidth=9000\n[SubForm]\nCount=1\n",
        "\xEF\xBB\xBF[MainForm]\r\nWidth=9000\r\n[SubForm]\r\nCount=1\r\n",
        "[MainForm]\r\nWidth=9000\r\n[MainForm]\r\nWidth=6000\r\nWidth=3000\r\n[SubForm]\r\nCount\r\nCount=1\r\n",
    };
    for (const QByteArray& file : files) {
        Harness h;
        h.writeIni(file);
        ASSERT_TRUE(h.load()) << file.left(60).toStdString();
        EXPECT_TRUE(h.main().isVisible());
        EXPECT_TRUE(h.messages.shown.isEmpty());
        EXPECT_LE(h.main().windowCount(), 3);
        EXPECT_EQ(h.readIni(), file) << "start-up changed the file";
        EXPECT_GE(gTimeInterval, -32768);
    }
}

TEST(Startup, KnownShapesOfBadFilesReadAsExpected)
{
    Harness h;
    h.writeIni("[MainForm]\r\nTop=1e309\r\nWidth=-5\r\nHeight=7.5e3\r\nTimeInterval=99999\r\n[SubForm]\r\nCount=x\r\n");
    ASSERT_TRUE(h.load());
    EXPECT_EQ(h.main().Top(), 0);
    EXPECT_EQ(h.main().Width(), 12720);
    EXPECT_EQ(h.main().Height(), 7500);
    EXPECT_EQ(gTimeInterval, 1);
    EXPECT_EQ(h.main().windowCount(), 3);
}

TEST(Startup, AProgramFolderThatCannotTakeTheDefaultFileEndsWithAMessage)
{
    Harness h;
    ::chmod(QFile::encodeName(h.folder()).constData(), 0555);
    EXPECT_FALSE(h.load());
    ::chmod(QFile::encodeName(h.folder()).constData(), 0755);
    EXPECT_EQ(h.end.exitCode, 1);
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_TRUE(h.messages.shown.front().text.startsWith(QStringLiteral("設定ファイルを作成できません。")));
    EXPECT_EQ(h.messages.shown.front().icon, MsgIcon::Critical);
    EXPECT_FALSE(QFileInfo::exists(h.iniPath()));
}

TEST(MainWindow, HasItsMenuStatusBarAndMinuteTimer)
{
    Harness h;
    MDIForm1& m = h.main();
    QStringList entries;
    for (QAction* a : m.menuBar()->actions()) {
        entries << a->text();
        EXPECT_EQ(a->menu(), nullptr);
        EXPECT_TRUE(a->isEnabled());
    }
    EXPECT_EQ(entries, (QStringList{"新規プレイヤ", "新規観測所", "再接続", "設定", "バージョン"}));
    EXPECT_EQ(m.TimTimeInterval->interval(), 60000);
    EXPECT_TRUE(m.TimTimeInterval->isActive());
    EXPECT_EQ(m.statusBar(), m.sbURLBar);
    EXPECT_TRUE(m.statusText().isEmpty());
    EXPECT_FALSE(m.windowIcon().isNull());
    EXPECT_EQ(m.windowIcon().availableSizes().value(0), QSize(32, 32));
    // A global-menu registrar on the desktop must not take the commands out of the window.
    EXPECT_FALSE(m.menuBar()->isNativeMenuBar());
}
