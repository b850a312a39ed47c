// The record button on fakes: the question, the recorder request, and what is said when it
// cannot start.
#include "Harness.h"
#include "frame/RecordingsWindow.h"
#include "platform/Recordings.h"
#include "windows/Form1.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace sora;
using namespace sora::fakes;

namespace {

// Stands in for the desktop's opener.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
    Q_INVOKABLE void open(const QUrl& url) { urls << url; }
};

class RecordingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        h.enableRecording();
        QFile recorder(QDir(h.folder()).filePath("streamripper.exe"));
        recorder.setPermissions(recorder.permissions() | QFile::ExeOwner);
        ASSERT_TRUE(h.load());
        player = qobject_cast<Form1*>(h.main().childAt(1));
        ASSERT_NE(player, nullptr);
        recFolder = QDir(h.folder()).filePath("my rec") + "/";
        ASSERT_TRUE(QDir().mkpath(recFolder));
        gRecFolder = recFolder;
        h.browser(1)->userOpens(
            "http://d/radioobx.cgi?x=1&title=Kiri%20FM&serv=127.0.0.1&port=8001&mount=/kiri&z=");
        h.browser(1)->finishLoad();
        ASSERT_TRUE(player->cmdRec->isEnabled());
    }
    void record(MsgResult answer)
    {
        h.messages.answers = {answer};
        player->cmdRec_Click();
    }

    Harness h;
    Form1* player = nullptr;
    QString recFolder;
};

} // namespace

TEST_F(RecordingTest, NoStartsNothing)
{
    record(MsgResult::No);
    ASSERT_EQ(h.messages.shown.size(), 1);
    EXPECT_EQ(h.messages.shown[0].text, "この放送を録音しますか？");
    EXPECT_EQ(h.messages.shown[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(h.messages.shown[0].icon, MsgIcon::Question);
    EXPECT_TRUE(h.launcher.started.isEmpty());
}

TEST_F(RecordingTest, EachYesStartsOneRecorderOnTheAddressShownAtTheClick)
{
    record(MsgResult::Yes);
    EXPECT_EQ(h.messages.texts(), QStringList{"この放送を録音しますか？"});
    ASSERT_EQ(h.launcher.started.size(), 1);
    const LaunchRequest& r = h.launcher.started[0];
    EXPECT_EQ(r.program, "./streamripper.exe");
    EXPECT_EQ(r.arguments, (QStringList{"http://127.0.0.1:8001/kiri", "-a", "-d", recFolder,
                                        "--codeset-filesys=UTF-8", "--codeset-metadata=UTF-8"}));
    EXPECT_EQ(r.workingDirectory, h.folder());
    EXPECT_EQ(r.title, "録音: Kiri%20FM");
    EXPECT_EQ(r.logFile, recFolder + "streamripper.log");

    // The page moved on without a completed load: the click still reads the address as it is now.
    h.browser(1)->userOpens("http://d/radioobx.cgi?x=1&serv=s2&port=9&mount=/o&");
    record(MsgResult::Yes);
    ASSERT_EQ(h.launcher.started.size(), 2);
    EXPECT_EQ(h.launcher.started[1].arguments.value(0), "http://s2:9/o");
}

TEST_F(RecordingTest, TheStreamAddressIsAsciiAndTheTitleAsSpelled)
{
    h.browser(1)->userOpens(
        "http://d/radioobx.cgi?x=1&title=Kiri%20FMラ+1&serv=127.0.0.1&port=8001&mount=/ラ%20b&z=");
    h.browser(1)->finishLoad();
    EXPECT_EQ(player->lbl_title->text(), "Kiri%20FMラ+1");
    record(MsgResult::Yes);
    ASSERT_EQ(h.launcher.started.size(), 1);
    EXPECT_EQ(h.launcher.started[0].arguments.value(0), "http://127.0.0.1:8001/%E3%83%A9%20b");
    EXPECT_EQ(h.launcher.started[0].title, "録音: Kiri%20FMラ+1");
}

TEST_F(RecordingTest, AMissingFolderIsCreatedWithItsParentsAndRecordedInto)
{
    gRecFolder = QDir(h.folder()).filePath("new/深夜の灯台") + "/";
    record(MsgResult::Yes);
    EXPECT_EQ(h.messages.texts(), QStringList{"この放送を録音しますか？"});
    EXPECT_TRUE(QFileInfo(gRecFolder).isDir());
    ASSERT_EQ(h.launcher.started.size(), 1);
    EXPECT_EQ(h.launcher.started[0].arguments.value(3), gRecFolder);
    EXPECT_EQ(h.launcher.started[0].logFile, gRecFolder + "streamripper.log");
}

TEST_F(RecordingTest, WhatCannotStartIsSaidAndNothingStarts)
{
    const auto failureShown = [this](const QString& part) {
        ASSERT_EQ(h.messages.shown.size(), 2);
        const FakeMessageBoxes::Shown& m = h.messages.shown[1];
        EXPECT_TRUE(m.text.startsWith("録音を開始できません。\r\n") && m.text.contains(part))
            << m.text.toStdString();
        EXPECT_EQ(m.icon, MsgIcon::Exclamation);
        h.messages.shown.clear();
    };
    // Below a plain file no folder can be made, whoever runs the program.
    QFile blocker(QDir(h.folder()).filePath("not a folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    gRecFolder = blocker.fileName() + "/rec/";
    record(MsgResult::Yes);
    failureShown("録音フォルダを作成できません。\r\n" + gRecFolder);

    // Below a read-only folder, unless this runs as a user whom permissions do not stop.
    const QString readOnly = QDir(h.folder()).filePath("read-only");
    ASSERT_TRUE(QDir().mkpath(readOnly));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    if (::access(QFile::encodeName(readOnly).constData(), W_OK) != 0) {
        gRecFolder = readOnly + "/rec/";
        record(MsgResult::Yes);
        failureShown(gRecFolder);
        EXPECT_FALSE(QFileInfo::exists(gRecFolder));
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    gRecFolder = recFolder;
    h.launcher.fails = true;
    record(MsgResult::Yes);
    failureShown(h.launcher.failure);

    h.launcher.fails = false;
    QFile::remove(QDir(h.folder()).filePath("streamripper.exe"));
    gRecFolder = QDir(h.folder()).filePath("never made") + "/";
    record(MsgResult::Yes);
    failureShown("streamripper.exe");
    EXPECT_FALSE(QFileInfo::exists(gRecFolder));
    EXPECT_TRUE(h.launcher.started.isEmpty());
}

TEST_F(RecordingTest, TheRecorderRunsInAUtf8Locale)
{
    const QByteArray saved = qgetenv("LC_ALL");
    const bool wasSet = qEnvironmentVariableIsSet("LC_ALL");
    qputenv("LC_ALL", "C");
    record(MsgResult::Yes);
    qputenv("LC_ALL", "ja_JP.UTF-8");
    record(MsgResult::Yes);
    if (wasSet)
        qputenv("LC_ALL", saved);
    else
        qunsetenv("LC_ALL");

    ASSERT_EQ(h.launcher.started.size(), 2);
    EXPECT_EQ(h.launcher.started[0].environment, QStringList{"LC_ALL=C.UTF-8"});
    EXPECT_EQ(h.launcher.started[1].environment, QStringList());
    // The command line stays as it was.
    EXPECT_EQ(h.launcher.started[0].arguments, h.launcher.started[1].arguments);
}

TEST_F(RecordingTest, BadValuesAndStreamsTheRecorderCannotTakeAreSaidWhileTheButtonWaitsForTheProbe)
{
    const auto refusal = [this](const QString& part) {
        EXPECT_TRUE(h.launcher.started.isEmpty());
        ASSERT_EQ(h.messages.shown.size(), 2);
        const FakeMessageBoxes::Shown& m = h.messages.shown[1];
        EXPECT_TRUE(m.text.startsWith("録音を開始できません。\r\n") && m.text.contains(part))
            << m.text.toStdString();
        EXPECT_EQ(m.icon, MsgIcon::Information);
        h.messages.shown.clear();
    };
    h.browser(1)->userOpens("http://d/radioobx.cgi?x=1&title=K&serv=127.0.0.1&mount=/kiri&z=");
    record(MsgResult::Yes);
    refusal("（port）がありません");
    EXPECT_TRUE(h.probe.probed.isEmpty());

    h.browser(1)->userOpens("http://d/radioobx.cgi?x=1&title=K&serv=127.0.0.1&port=8001&mount=/kiri&z=");
    h.probe.holds = true;
    h.probe.reply.contentType = "application/ogg";
    h.probe.reply.audio = QByteArray("OggS\0\2", 6) + QByteArray(20, '\0') + "\1\x08OpusHead";
    record(MsgResult::Yes);
    EXPECT_EQ(h.probe.probed, QList<QUrl>{QUrl("http://127.0.0.1:8001/kiri")});
    EXPECT_FALSE(player->cmdRec->isEnabled());
    h.probe.answer();
    EXPECT_TRUE(player->cmdRec->isEnabled());
    refusal("Ogg Opus");

    // A redirection to a plain address that redirects to https://: each one is followed.
    h.probe.holds = false;
    h.probe.probed.clear();
    ProbeReply moved = h.probe.reply;
    moved.status = 302;
    moved.location = "/elsewhere";
    h.probe.queue = {moved, moved};
    h.probe.queue[1].location = "https://secure.example/kiri";
    record(MsgResult::Yes);
    EXPECT_EQ(h.probe.probed, (QList<QUrl>{QUrl("http://127.0.0.1:8001/kiri"), QUrl("http://127.0.0.1:8001/elsewhere")}));
    refusal("https://secure.example/kiri");

    // Titles in Shift_JIS: the recorder is told so.
    h.probe.reply.contentType = "audio/mpeg";
    h.probe.reply.audio.clear();
    h.probe.reply.icyName = QByteArray("\x89\xf5\x83\x81\x83\x8d\x8b\xc7"); // 懐メロ局
    record(MsgResult::Yes);
    ASSERT_EQ(h.launcher.started.size(), 1);
    EXPECT_EQ(h.launcher.started[0].arguments.value(5), "--codeset-metadata=CP932");
}

TEST_F(RecordingTest, ARunningRecordingIsListedHoldsOffSleepAndItsEndIsSaid)
{
    ASSERT_NE(h.main().M_Recordings, nullptr);
    EXPECT_EQ(h.main().M_Recordings->text(), "録音一覧");
    EXPECT_FALSE(h.main().recIndicator->isVisibleTo(&h.main()));

    record(MsgResult::Yes);
    EXPECT_EQ(h.main().recIndicator->text(), "● 録音中 1");
    EXPECT_TRUE(h.main().recIndicator->isVisibleTo(&h.main()));
    EXPECT_EQ(h.sleep.held.value(SleepInhibitor::Hold::Recording), "録音中: Kiri%20FM");
    ASSERT_EQ(h.recordings.list.size(), 1);
    const Recording running = h.recordings.list[0];
    EXPECT_EQ(running.station, "Kiri%20FM");
    EXPECT_EQ(running.address, "http://127.0.0.1:8001/kiri");
    EXPECT_EQ(running.folder, QDir::cleanPath(recFolder));

    h.main().recIndicator->click();
    RecordingsWindow* window = h.main().recordingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "録音一覧");
    EXPECT_EQ(window->findChildren<QPushButton*>().size(), 3); // 停止, フォルダを開く and 予約録音…

    h.main().mInTray = 1;
    h.recordings.end(running.id);
    h.main().WatchRecordings();
    EXPECT_EQ(h.main().statusText(), "録音が終了しました: Kiri%20FM");
    EXPECT_EQ(h.tray.messages, QStringList{"SoraWindowEX: 録音が終了しました: Kiri%20FM"});
    EXPECT_FALSE(h.main().recIndicator->isVisibleTo(&h.main()));
    EXPECT_FALSE(h.sleep.held.contains(SleepInhibitor::Hold::Recording));
    h.main().mInTray = 0;
}

TEST_F(RecordingTest, AConfirmedRecordingOutlivesItsWindowAndTheProgram)
{
    h.probe.holds = true;
    record(MsgResult::Yes);
    EXPECT_EQ(player->cursor().shape(), Qt::BusyCursor);
    // Closed during the check: the main window waits in its place, and the recorder starts.
    player->close();
    EXPECT_EQ(h.main().cursor().shape(), Qt::BusyCursor);
    h.probe.answer();
    EXPECT_EQ(h.main().cursor().shape(), Qt::ArrowCursor);
    ASSERT_EQ(h.launcher.started.size(), 1);
    EXPECT_EQ(h.recordings.list.size(), 1);

    // A refusal whose window is gone is said on the main window.
    h.main().M_NewPlayerWindow_Click();
    auto* second = qobject_cast<Form1*>(h.main().childAt(h.main().windowCount() - 1));
    ASSERT_NE(second, nullptr);
    h.browser(h.main().windowCount() - 1)
        ->userOpens("http://d/radioobx.cgi?x=1&title=K&serv=127.0.0.1&port=8001&mount=/kiri&z=");
    h.messages.shown.clear();
    h.messages.answers = {MsgResult::Yes};
    second->cmdRec_Click();
    delete second;
    h.probe.reply.contentType = "text/html";
    h.probe.answer();
    ASSERT_EQ(h.messages.shown.size(), 2);
    EXPECT_TRUE(h.messages.shown[1].text.contains("text/html"));
    EXPECT_EQ(h.messages.shown[1].parent, &h.main());

    // The program ends during a check: the recorder starts without waiting for the answer.
    h.probe.reply.contentType = "audio/mpeg";
    h.main().M_NewPlayerWindow_Click();
    auto* third = qobject_cast<Form1*>(h.main().childAt(h.main().windowCount() - 1));
    h.browser(h.main().windowCount() - 1)
        ->userOpens("http://d/radioobx.cgi?x=1&title=K3&serv=127.0.0.1&port=8003&mount=/k&z=");
    h.browser(h.main().windowCount() - 1)->finishLoad();
    h.messages.answers = {MsgResult::Yes};
    third->cmdRec_Click();
    EXPECT_EQ(endsProcess([this] { h.main().MDIForm_QueryUnload(); }), 0);
    ASSERT_EQ(h.launcher.started.size(), 2);
    EXPECT_EQ(h.launcher.started[1].arguments.value(0), "http://127.0.0.1:8003/k");
    EXPECT_EQ(h.launcher.started[1].title, "録音: K3");
}

TEST_F(RecordingTest, AfterTheCheckTheButtonAndTheLayoutFollowThePageLoadedMeanwhile)
{
    h.probe.holds = true;
    record(MsgResult::Yes);
    EXPECT_FALSE(player->cmdRec->isEnabled());
    h.browser(1)->userOpens(gUrl1);
    h.browser(1)->finishLoad();
    player->Form_Resize();
    EXPECT_EQ(player->WebBrowser1->Height(), player->Height() - 400);
    h.probe.answer();
    EXPECT_FALSE(player->cmdRec->isEnabled());
    player->Form_Resize();
    EXPECT_EQ(player->WebBrowser1->Height(), player->Height() - 400);

    // A titled station page loaded during the check enables it once the check is over.
    h.browser(1)->userOpens("http://d/radioobx.cgi?x=1&title=K&serv=127.0.0.1&port=8001&mount=/kiri&z=");
    h.browser(1)->finishLoad();
    record(MsgResult::Yes);
    h.browser(1)->userOpens("http://d/radioobx.cgi?x=1&title=L&serv=127.0.0.1&port=8002&mount=/l&z=");
    h.browser(1)->finishLoad();
    EXPECT_FALSE(player->cmdRec->isEnabled());
    player->Form_Resize();
    EXPECT_EQ(player->WebBrowser1->Height(), player->Height() - 950);
    h.probe.answer();
    EXPECT_TRUE(player->cmdRec->isEnabled());
    EXPECT_EQ(h.launcher.started.size(), 2);
}

TEST_F(RecordingTest, ARecordingWhoseStateCannotBeKeptRunsAndSaysSo)
{
    h.recordings.refusal = QStringLiteral("保存できません"); // its state cannot be written
    record(MsgResult::Yes);
    ASSERT_EQ(h.launcher.started.size(), 1);
    ASSERT_EQ(h.messages.shown.size(), 2);
    EXPECT_EQ(h.messages.shown[1].text, "録音を開始しましたが、録音の状態を保存できないため、録音一覧には表示"
                                        "されません。\r\n録音: Kiri%20FM");
    EXPECT_EQ(h.messages.shown[1].icon, MsgIcon::Information);
}

TEST_F(RecordingTest, RecordingsWindowReadsItsFolderAwayFromTheWindowOpensOnlyItAndSaysAFailedStopOnce)
{
    h.recordings.announces = true;
    record(MsgResult::Yes);
    record(MsgResult::Yes);
    ASSERT_EQ(h.recordings.list.size(), 2);
    QTimer* watch = h.main().findChild<QTimer*>("recordingsWatch");
    ASSERT_NE(watch, nullptr);
    // The recorders tell their end: nobody needs to look again while 録音一覧 is closed.
    EXPECT_FALSE(watch->isActive());

    // Two recordings in one folder: each its own station folder, from its recorder's files only.
    const QDir rec(QFileInfo(recFolder).canonicalFilePath());
    ASSERT_TRUE(rec.mkpath("A/incomplete") && rec.mkpath("B"));
    QFile track(rec.filePath("A/incomplete/曲 1.mp3"));
    ASSERT_TRUE(track.open(QIODevice::WriteOnly));
    track.write(QByteArray(2048, 'x'));
    track.close();
    const Recording first = h.recordings.list[0], second = h.recordings.list[1];
    h.recordings.open[first.id] = {rec.filePath("A/incomplete/曲 1.mp3")};
    h.recordings.open[second.id] = {"/", rec.filePath("../x")};

    h.main().M_Recordings_Click();
    RecordingsWindow* window = h.main().recordingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(watch->isActive());
    QSignalSpy shown(window, &RecordingsWindow::progressShown);
    ASSERT_TRUE(shown.wait(5000));
    QStringList texts;
    for (QLabel* l : window->findChildren<QLabel*>())
        texts << l->text();
    const QString all = texts.join("\n");
    EXPECT_TRUE(all.contains("書き込み済み: 2.00 KiB") || all.contains("書き込み済み: 2 KiB"))
        << all.toStdString();
    EXPECT_TRUE(all.contains("現在の曲: 曲 1")) << all.toStdString();

    OpenedUrls opened;
    QDesktopServices::setUrlHandler("file", &opened, "open");
    QList<QPushButton*> opens, stops;
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() != "予約録音…")
            (b->text() == "停止" ? stops : opens) << b;
    ASSERT_EQ(opens.size(), 2);
    ASSERT_EQ(stops.size(), 2);
    opens[0]->click();
    opens[1]->click();
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(opened.urls,
              (QList<QUrl>{QUrl::fromLocalFile(rec.filePath("A")), QUrl::fromLocalFile(first.folder)}));

    h.recordings.stopFailure = "録音プログラムに停止を伝えられません（許可がありません）。";
    h.messages.shown.clear();
    stops[1]->click();
    EXPECT_EQ(
        h.messages.texts(),
        QStringList{"録音を停止できません。\r\n録音プログラムに停止を伝えられません（許可がありません）。"});
    EXPECT_TRUE(stops[1]->isEnabled());

    h.recordings.stopFailure.clear();
    stops[1]->click();
    EXPECT_EQ(h.recordings.list.size(), 1);
    EXPECT_EQ(h.main().recIndicator->text(), "● 録音中 1");
    EXPECT_EQ(h.main().statusText(), ""); // stopped by the user: no word of a surprise end
    window->close();
}

TEST_F(RecordingTest, RecordingsWindowSaysWhyItCannotKeepRecordings)
{
    h.recordings.refusal = "録音を記録するフォルダをほかのユーザーも使えるため、録音を記録・表示しません。";
    h.main().M_Recordings_Click();
    ASSERT_NE(h.main().recordingsWindow(), nullptr);
    QStringList texts;
    for (QLabel* l : h.main().recordingsWindow()->findChildren<QLabel*>())
        if (l->isVisibleTo(h.main().recordingsWindow()))
            texts << l->text();
    EXPECT_EQ(texts, QStringList{h.recordings.refusal});
    h.main().recordingsWindow()->close();
}

#include "RecordingTest.moc"
