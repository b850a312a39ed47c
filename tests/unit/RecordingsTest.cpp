// Where a recording's files are found, and who may be signalled: the recorder's folder layout on
// made-up open files, and the real recordings on real processes.
#include "platform/ProcessIdentity.h"
#include "station/StateFileRecordings.h"
#include "station/RecorderFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace sora;

namespace {

void mkdirs(const QDir& root, const QStringList& names)
{
    for (const QString& n : names)
        ASSERT_TRUE(root.mkpath(n)) << n.toStdString();
}

} // namespace

TEST(RecorderFolder, TheStationFolderIsTheDirectSubfolderInWhichTheRecorderHoldsAFile)
{
    QTemporaryDir tmp;
    const QDir root(QFileInfo(tmp.path()).canonicalFilePath());
    mkdirs(root,
           {"rec/Jazz-Blues- Radio- -1-/incomplete", "rec/-/incomplete", "rec/A/deep", "rec/B", "outside"});
    ASSERT_TRUE(QFile::link(root.path(), root.filePath("rec/L")));
    ASSERT_TRUE(QFile::link(root.filePath("rec"), root.filePath("rec link")));
    const QString rec = root.filePath("rec");
    const RecorderFolder folder(rec + "/");
    EXPECT_EQ(folder.logFile(), rec + "/streamripper.log");

    // The name the recorder cleaned, found from its track; its log, a library, the console are none.
    EXPECT_EQ(folder.stationFolderOf({"/dev/pts/3", "/usr/lib/libtre.so.5", rec + "/streamripper.log",
                                      rec + "/Jazz-Blues- Radio- -1-/incomplete/局 - 曲.mp3"}),
              rec + "/Jazz-Blues- Radio- -1-");
    // A station named "/" is a folder "-" to the recorder, never the root.
    EXPECT_EQ(folder.stationFolderOf({rec + "/-/incomplete/x.mp3"}), rec + "/-");
    // Nothing leads out of the recording folder or deeper than the recorder writes.
    for (const QString& file :
         {QString("/"), QString("/etc/passwd"), rec + "/../outside/x", rec + "/../../x", rec + "/./x",
          rec + "//x", rec + "/L/outside/x", rec + "/A/deep/x", rec + "/B", root.filePath("outside/x")})
        EXPECT_EQ(folder.stationFolderOf({file}), "") << file.toStdString();
    // Two recordings in one folder each find their own; a folder reached through a link too.
    EXPECT_EQ(folder.stationFolderOf({rec + "/A/incomplete/a.mp3"}), rec + "/A");
    EXPECT_EQ(RecorderFolder(root.filePath("rec link")).stationFolderOf({rec + "/B/sr_program_1.cue"}),
              rec + "/B");
}

class StateFileRecordingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!QCoreApplication::instance()) {
            static int argc = 1;
            static char name[] = "unit_tests";
            static char* argv[] = {name, nullptr};
            static QCoreApplication app(argc, argv);
        }
        program = QFileInfo(tmp.path()).canonicalFilePath() + "/program";
        state = tmp.filePath("state/recordings");
        rec = QFileInfo(tmp.path()).canonicalFilePath() + "/rec";
        ASSERT_TRUE(QDir().mkpath(program));
        ASSERT_TRUE(QDir().mkpath(rec + "/Station/incomplete"));
        // Stands in for the recorder: a program that keeps a track open until interrupted.
        ASSERT_TRUE(QFile::link("/usr/bin/python3", program + "/streamripper.exe"));
    }
    void TearDown() override
    {
        for (QProcess* p : {&recorder, &other})
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished();
            }
    }
    void startRecorder(const QString& track)
    {
        recorder.setWorkingDirectory(program);
        recorder.start("./streamripper.exe",
                       {"-c",
                        "import sys, time\nf = open(sys.argv[1], 'w')\nprint('open', flush=True)\n"
                        "time.sleep(60)",
                        track});
        ASSERT_TRUE(recorder.waitForReadyRead(10000)) << recorder.errorString().toStdString();
    }
    Recording recording(qint64 pid) const
    {
        Recording r;
        r.pid = pid;
        r.station = "S";
        r.started = QDateTime::currentDateTime();
        r.folder = rec;
        return r;
    }

    QTemporaryDir tmp;
    QString program, state, rec;
    QProcess recorder, other;
};

TEST_F(StateFileRecordingsTest, TheRecorderIsListedFoundInItsFolderAndStoppedAndAPlantedEntryIsNeither)
{
    StateFileRecordings recordings(state, program);
    startRecorder(rec + "/Station/incomplete/track.mp3");
    ASSERT_TRUE(recordings.add(recording(recorder.processId())));

    // The state stays the user's alone.
    struct stat st = {};
    ASSERT_EQ(::stat(QFile::encodeName(state).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    const QStringList files = QDir(state).entryList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    ASSERT_EQ(::stat(QFile::encodeName(QDir(state).filePath(files[0])).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A process of the user's that only a file names: same program folder, not the recorder.
    other.setWorkingDirectory(program);
    other.start("sleep", {"60"});
    ASSERT_TRUE(other.waitForStarted());
    QJsonObject planted = QJsonDocument::fromJson([&] {
                              QFile f(QDir(state).filePath(files[0]));
                              return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
                          }())
                              .object();
    planted["pid"] = other.processId();
    planted["startTicks"] = QString::number(process::startTicks(other.processId()));
    planted["started"] = QDateTime::currentDateTime().addSecs(-100).toString(Qt::ISODateWithMs);
    QFile plant(QDir(state).filePath("planted.json"));
    ASSERT_TRUE(plant.open(QIODevice::WriteOnly));
    plant.write(QJsonDocument(planted).toJson());
    plant.close();

    const QList<Recording> running = recordings.running();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(running[0].pid, recorder.processId());
    EXPECT_FALSE(plant.exists());
    EXPECT_EQ(RecorderFolder(running[0].folder).stationFolderOf(recordings.openFiles(running[0])),
              rec + "/Station");

    Recording forged = running[0];
    forged.pid = other.processId();
    forged.startTicks = process::startTicks(other.processId());
    QString error;
    EXPECT_FALSE(recordings.stop(forged, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(recordings.openFiles(forged).isEmpty());
    EXPECT_EQ(other.state(), QProcess::Running);

    // Stopped with the interrupt; its end is told without anyone asking.
    bool told = false;
    QObject::connect(&recordings, &Recordings::changed, [&told] { told = true; });
    ASSERT_TRUE(recordings.stop(running[0], &error)) << error.toStdString();
    ASSERT_TRUE(recorder.waitForFinished(10000));
    if (recordings.announcesEnds()) {
        for (int i = 0; i < 100 && !told; ++i)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
        EXPECT_TRUE(told);
    }
    EXPECT_TRUE(recordings.running().isEmpty());
    EXPECT_TRUE(QDir(state).entryList(QDir::Files).isEmpty());
}

TEST_F(StateFileRecordingsTest, ARecorderInATerminalIsFoundWhicheverThreadStartedItAndNoLookalikeIs)
{
    StateFileRecordings recordings(state, program);
    // A process of the user's in the program folder that names the recorder is no terminal showing it.
    other.setWorkingDirectory(program);
    other.start("python3", {"-c", "import time; time.sleep(60)", "./streamripper.exe"});
    ASSERT_TRUE(other.waitForStarted());
    ASSERT_TRUE(recordings.add(recording(other.processId())));
    EXPECT_TRUE(recordings.running().isEmpty());

    // A terminal stands in that starts the recorder from a thread of its own, which a kernel's
    // list of a process's children leaves out (and some kernels have no such list).
    const QString track = rec + "/Station/incomplete/track.mp3";
    recorder.setWorkingDirectory(program);
    recorder.start("python3", {"-c",
                               "import subprocess, sys, threading\n"
                               "body = \"import sys, time\\nf = open(sys.argv[1], 'w')\\n"
                               "print('open', flush=True)\\ntime.sleep(60)\"\n"
                               "t = threading.Thread(target=lambda: subprocess.run(['./streamripper.exe', '-c', "
                               "body, sys.argv[1]]))\nt.start()\nt.join()",
                               track});
    ASSERT_TRUE(recorder.waitForReadyRead(10000));
    ASSERT_TRUE(recordings.add(recording(recorder.processId())));
    const QList<Recording> running = recordings.running();
    ASSERT_EQ(running.size(), 1);
    EXPECT_EQ(RecorderFolder(rec).stationFolderOf(recordings.openFiles(running[0])), rec + "/Station");
    QString error;
    ASSERT_TRUE(recordings.stop(running[0], &error)) << error.toStdString();
    EXPECT_TRUE(recorder.waitForFinished(10000));
}

TEST_F(StateFileRecordingsTest, AnEndRightAfterTheCheckIsToldAndOnlyTheProcessCheckedIsSignalled)
{
    StateFileRecordings recordings(state, program);
    if (!recordings.announcesEnds())
        GTEST_SKIP() << "no process descriptors";
    const QString track = rec + "/Station/incomplete/track.mp3";
    startRecorder(track);
    ASSERT_TRUE(recordings.add(recording(recorder.processId())));
    bool told = false;
    QObject::connect(&recordings, &Recordings::changed, [&told] { told = true; });
    // Ends between the check that lists it and the watch over its end.
    recordings.setAfterCheck([this](qint64) {
        recorder.kill();
        recorder.waitForFinished();
    });
    EXPECT_EQ(recordings.running().size(), 1);
    for (int i = 0; i < 50 && !told; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    EXPECT_TRUE(told);
    recordings.setAfterCheck({});
    EXPECT_TRUE(recordings.running().isEmpty());

    // Between 停止's check and its signal, the recorder ends and its id goes to another process.
    startRecorder(track);
    ASSERT_TRUE(recordings.add(recording(recorder.processId())));
    const QList<Recording> running = recordings.running();
    ASSERT_EQ(running.size(), 1);
    const qint64 checked = recorder.processId();
    QFile lastPid("/proc/sys/kernel/ns_last_pid");
    recordings.setAfterCheck([&](qint64) {
        recorder.kill();
        recorder.waitForFinished();
        if (lastPid.open(QIODevice::WriteOnly)) {
            lastPid.write(QByteArray::number(checked - 1));
            lastPid.close();
        }
        other.setWorkingDirectory(program);
        other.start("./streamripper.exe", {"-c", "import time; time.sleep(60)"});
        other.waitForStarted();
    });
    QString error;
    EXPECT_FALSE(recordings.stop(running[0], &error));
    if (other.processId() != checked)
        GTEST_SKIP() << "the id could not be handed on here";
    EXPECT_EQ(other.state(), QProcess::Running);
}

TEST_F(StateFileRecordingsTest, AStateFolderOthersCanReachIsRefusedWithItsReason)
{
    StateFileRecordings recordings(state, program);
    EXPECT_EQ(recordings.problem(), ""); // not made yet: nothing to refuse
    startRecorder(rec + "/Station/incomplete/track.mp3");
    ASSERT_TRUE(recordings.add(recording(recorder.processId())));
    ASSERT_EQ(recordings.running().size(), 1);

    QFile::setPermissions(state, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                     QFile::ExeOther | QFile::WriteOther);
    EXPECT_TRUE(recordings.problem().contains("ほかのユーザーも使える"))
        << recordings.problem().toStdString();
    EXPECT_TRUE(recordings.running().isEmpty());
    EXPECT_FALSE(recordings.add(recording(recorder.processId())));

    // A link in its place, even to a folder of the user's own, is no folder of the program's.
    ASSERT_TRUE(QDir(state).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(tmp.filePath("elsewhere")));
    ASSERT_EQ(::chmod(QFile::encodeName(tmp.filePath("elsewhere")).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(tmp.filePath("elsewhere"), state));
    EXPECT_TRUE(recordings.problem().contains("このユーザーのものではない"))
        << recordings.problem().toStdString();
    EXPECT_FALSE(recordings.add(recording(recorder.processId())));

    // Another user's folder, where this runs as root and can make one.
    if (::geteuid() == 0) {
        QFile::remove(state);
        ASSERT_TRUE(QDir().mkdir(state));
        ASSERT_EQ(::chmod(QFile::encodeName(state).constData(), 0700), 0);
        ASSERT_EQ(::chown(QFile::encodeName(state).constData(), 65534, 65534), 0);
        EXPECT_TRUE(recordings.problem().contains("このユーザーのものではない"));
        EXPECT_TRUE(recordings.running().isEmpty());
    }
}

TEST(StateFolder, IsTheRuntimeFolderElseTheDataHomeNeverATemporaryFolder)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_RUNTIME_DIR", "/run/user/1234");
    EXPECT_EQ(StateFileRecordings::defaultStateFolder(), "/run/user/1234/SoraWindowEX-recordings");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_DATA_HOME", "/home/u/.data");
    EXPECT_EQ(StateFileRecordings::defaultStateFolder(), "/home/u/.data/sorawindowex/recordings");
    if (!runtime.isNull())
        qputenv("XDG_RUNTIME_DIR", runtime);
    if (data.isNull())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", data);
}
