// The settings accessors on real files: creation, atomic replacement and every refused write.
#include "app/AtomicFile.h"
#include "app/Defaults.h"
#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace sora;

namespace {

class SettingsFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetGlobals();
        SettingsFilePath(ProgramInfo(dir.path(), QStringLiteral("SoraWindowEX")));
    }
    void TearDown() override
    {
        ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
        resetGlobals();
    }
    void put(const QByteArray& bytes) const
    {
        QFile f(gIniPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray get() const
    {
        QFile f(gIniPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
};

const QByteArray kDefaultFile =
    "[MainForm]\r\nTop=0\r\nLeft=0\r\nHeight=7320\r\nWidth=12720\r\nTimeInterval=1\r\n"
    "[SubForm]\r\nCount=2\r\n"
    "Form1Top=0\r\nForm1Left=0\r\nForm1Width=5460\r\nForm1Height=6300\r\nForm1WindowType=1\r\nForm1WindowState=0\r\n"
    "Form2Top=0\r\nForm2Left=5460\r\nForm2Width=7080\r\nForm2Height=6300\r\nForm2WindowType=2\r\nForm2WindowState=0\r\n"
    "[URL]\r\n";

// The built-in directory, or the directory server the build names.
QByteArray defaultStartPages()
{
    const QByteArray host = defaults::directoryHost().toLatin1();
    if (host.isEmpty())
        return "Url1=\"soramado://directory/stations\"\r\nUrl2=\"soramado://directory/ping\"\r\n";
    return "Url1=\"http://" + host + "/kiri-board/radio-deck/radioobx.cgi\"\r\nUrl2=\"http://" + host +
           "/kiri-board/ping-testobx.cgi\"\r\n";
}

} // namespace

TEST_F(SettingsFile, PathIsTheProgramFolderPlusTitleWithOneSeparator)
{
    EXPECT_EQ(gIniPath, dir.path() + "/SoraWindowEX.ini");
    SettingsFilePath(ProgramInfo(QStringLiteral("/"), QStringLiteral("x")));
    EXPECT_EQ(gIniPath, QStringLiteral("/SoraWindowEX.ini"));
}

TEST_F(SettingsFile, DefaultFileIsTheTwentyFiveLinesByteForByte)
{
    ASSERT_TRUE(WriteDefaultSettings(ProgramInfo(dir.path(), QStringLiteral("SoraWindowEX"))));
    EXPECT_EQ(get(), kDefaultFile + defaultStartPages() + "[Setting]\r\nRF=" + QFile::encodeName(dir.path()) + "/\r\n");
    EXPECT_EQ(get().count("\r\n"), 25);
    EXPECT_EQ(get().count('\n'), 25);
    // The start pages come back without their quotes.
    EXPECT_EQ(ReadSetting("URL", "Url1"), defaults::url1());
}

TEST_F(SettingsFile, DefaultRecordingFolderKeepsTheFolderAsReported)
{
    EXPECT_TRUE(DefaultSettingsBytes(QStringLiteral("/")).endsWith("RF=//\r\n"));
    EXPECT_TRUE(DefaultSettingsBytes(QStringLiteral("/opt/ソラマド")).endsWith("RF=/opt/\x83\x5C\x83\x89\x83}\x83h/\r\n"));
    // A folder name that code page 932 cannot hold leaves the line out rather than garbling it.
    EXPECT_TRUE(DefaultSettingsBytes(QStringLiteral("/home/jos\u00e9")).endsWith("[Setting]\r\n"));
}

TEST_F(SettingsFile, ReadsAndWritesRoundTripInCodePage932)
{
    EXPECT_FALSE(ReadSetting("Setting", "RF"));
    ASSERT_TRUE(WriteSetting("Setting", "RF", QStringLiteral("/録音 フォルダ/")));
    EXPECT_EQ(get(), QByteArray("[Setting]\r\nRF=/\x98\x5E\x89\xB9 \x83t\x83H\x83\x8B\x83_/\r\n"));
    EXPECT_EQ(ReadSetting("setting", "rf"), QStringLiteral("/録音 フォルダ/"));
}

TEST_F(SettingsFile, AFileChangedBehindTheProgramIsReadAfresh)
{
    put("[A]\r\nK=1\r\n");
    EXPECT_EQ(ReadSetting("A", "K"), QStringLiteral("1"));
    put("[A]\r\nK=22\r\n");
    EXPECT_EQ(ReadSetting("A", "K"), QStringLiteral("22"));
    ASSERT_TRUE(WriteSetting("A", "J", "3"));
    EXPECT_EQ(get(), QByteArray("[A]\r\nK=22\r\nJ=3\r\n"));
}

TEST_F(SettingsFile, RefusedWritesReportFalseAndChangeNothing)
{
    put("[A]\r\nK=1\r\n");
    EXPECT_FALSE(WriteSetting("A", "K", QStringLiteral("\U0001F4FB"))); // no code page 932 code
    EXPECT_FALSE(WriteSetting("A", "K", QStringLiteral("two\nlines")));
    EXPECT_EQ(get(), QByteArray("[A]\r\nK=1\r\n"));

    ::chmod(QFile::encodeName(gIniPath).constData(), 0444);
    EXPECT_FALSE(WriteSetting("A", "K", "2"));
    EXPECT_EQ(get(), QByteArray("[A]\r\nK=1\r\n"));
    ::chmod(QFile::encodeName(gIniPath).constData(), 0644);

    ::chmod(QFile::encodeName(dir.path()).constData(), 0555);
    EXPECT_FALSE(WriteSetting("A", "K", "2"));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    EXPECT_EQ(get(), QByteArray("[A]\r\nK=1\r\n"));
}

TEST_F(SettingsFile, AFolderOrAMissingFolderIsNeverWrittenOver)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("SoraWindowEX.ini"));
    EXPECT_FALSE(ReadSetting("A", "K"));
    EXPECT_FALSE(WriteSetting("A", "K", "1"));
    SettingsFilePath(ProgramInfo(dir.path() + "/gone", QStringLiteral("x")));
    EXPECT_FALSE(WriteSetting("A", "K", "1"));
}

TEST_F(SettingsFile, ReplacementKeepsPermissionsAndLinks)
{
    put("[A]\r\nK=1\r\n");
    ::chmod(QFile::encodeName(gIniPath).constData(), 0640);
    ASSERT_TRUE(WriteSetting("A", "K", "2"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(gIniPath).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    const QString real = dir.path() + "/real.ini";
    ASSERT_TRUE(QFile::rename(gIniPath, real));
    ASSERT_TRUE(QFile::link(real, gIniPath));
    ASSERT_TRUE(WriteSetting("A", "K", "3"));
    EXPECT_TRUE(QFileInfo(gIniPath).isSymLink());
    QFile f(real);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[A]\r\nK=3\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary left
}

TEST_F(SettingsFile, AFullDiskFailsTheWriteAndKeepsTheOldFile)
{
    put("[A]\r\nK=1\r\n");
    // In a child, so the file-size limit stays there.
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool ok = WriteSetting("A", "K", QString(200, u'x'));
        ::_exit(ok ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a write past the size limit reported success";
    EXPECT_EQ(get(), QByteArray("[A]\r\nK=1\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(SettingsFile, ABatchReachesTheFileOnlyWhenCommitted)
{
    put("[MainForm]\r\nTop=0\r\n");
    {
        SettingsBatch batch;
        ASSERT_TRUE(WriteSetting("MainForm", "Top", "15"));
        ASSERT_TRUE(WriteSetting("SubForm", "Count", "0"));
        EXPECT_EQ(get(), QByteArray("[MainForm]\r\nTop=0\r\n"));
        ASSERT_TRUE(batch.commit());
    }
    EXPECT_EQ(get(), QByteArray("[MainForm]\r\nTop=15\r\n[SubForm]\r\nCount=0\r\n"));
    {
        SettingsBatch dropped;
        ASSERT_TRUE(WriteSetting("MainForm", "Top", "30"));
    }
    EXPECT_EQ(get(), QByteArray("[MainForm]\r\nTop=15\r\n[SubForm]\r\nCount=0\r\n"));
    EXPECT_EQ(ReadSetting("MainForm", "Top"), QStringLiteral("15"));
}

TEST_F(SettingsFile, ABatchOnAReadOnlyFileFailsWhenCommitted)
{
    put("[MainForm]\r\nTop=0\r\n");
    ::chmod(QFile::encodeName(gIniPath).constData(), 0444);
    SettingsBatch batch;
    EXPECT_TRUE(WriteSetting("MainForm", "Top", "15")); // gathered in memory
    EXPECT_FALSE(batch.commit());
    EXPECT_EQ(get(), QByteArray("[MainForm]\r\nTop=0\r\n"));
}
