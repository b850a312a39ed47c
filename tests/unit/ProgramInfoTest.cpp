// Where the program keeps its files: beside a writable executable, else in the user's own folder.
#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/ProgramInfo.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sora;

namespace {

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// XDG_DATA_HOME and HOME for one test, restored afterwards.
class ProgramFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_savedData = qgetenv("XDG_DATA_HOME");
        m_savedHome = qgetenv("HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
        qputenv("HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
    }
    void TearDown() override
    {
        ::chmod(QFile::encodeName(exeFolder()).constData(), 0755);
        qputenv("XDG_DATA_HOME", m_savedData);
        qputenv("HOME", m_savedHome);
        resetGlobals();
    }
    QString exeFolder() const { return root.filePath(QStringLiteral("lib/sorawindowex")); }
    QString dataHome() const { return root.filePath(QStringLiteral("data")); }
    QString userFolder() const { return dataHome() + QStringLiteral("/sorawindowex"); }

    QTemporaryDir root;

private:
    QByteArray m_savedData, m_savedHome;
};

TEST_F(ProgramFolder, AWritableExecutableFolderStaysTheProgramFolderWithItsSettingsFile)
{
    ASSERT_TRUE(QDir().mkpath(exeFolder()));
    put(exeFolder() + QStringLiteral("/SoraWindowEX.ini"), "[MainForm]\r\n");
    EXPECT_EQ(ProgramInfo::programFolder(exeFolder()), exeFolder());
    EXPECT_FALSE(QFileInfo::exists(dataHome())); // nothing created or copied elsewhere
}

TEST_F(ProgramFolder, AFolderWithoutWriteBitsGivesTheUserFolderCreatedPrivately)
{
    ASSERT_TRUE(QDir().mkpath(exeFolder()));
    put(exeFolder() + QStringLiteral("/SoraWindowEX.ini"), "[MainForm]\r\nTop=1\r\n");
    ASSERT_EQ(::chmod(QFile::encodeName(exeFolder()).constData(), 0555), 0);

    // Read-only even for root, as a settings file without write bits is.
    EXPECT_FALSE(ProgramInfo::isWritableFolder(exeFolder()));
    EXPECT_EQ(ProgramInfo::programFolder(exeFolder()), userFolder());
    EXPECT_TRUE(QFileInfo(userFolder()).isDir());
    EXPECT_EQ(modeOf(dataHome()), 0700u);
    EXPECT_EQ(modeOf(userFolder()), 0700u);
    // The file beside the executable is neither moved nor copied.
    EXPECT_TRUE(QFileInfo::exists(exeFolder() + QStringLiteral("/SoraWindowEX.ini")));
    EXPECT_TRUE(QDir(userFolder()).isEmpty());

    // A second start finds the folder as it left it.
    put(userFolder() + QStringLiteral("/SoraWindowEX.ini"), "x");
    EXPECT_EQ(ProgramInfo::programFolder(exeFolder()), userFolder());
    EXPECT_TRUE(QFileInfo::exists(userFolder() + QStringLiteral("/SoraWindowEX.ini")));
}

TEST_F(ProgramFolder, MissingOrSystemFoldersAreNotWritable)
{
    EXPECT_FALSE(ProgramInfo::isWritableFolder(exeFolder())); // does not exist
    put(root.filePath(QStringLiteral("file")), "x");
    EXPECT_FALSE(ProgramInfo::isWritableFolder(root.filePath(QStringLiteral("file"))));
    // The package manager's tree is never written, whoever runs the program.
    EXPECT_FALSE(ProgramInfo::isWritableFolder(QStringLiteral("/usr/lib")));
    EXPECT_FALSE(ProgramInfo::isWritableFolder(QStringLiteral("/usr")));
    EXPECT_TRUE(ProgramInfo::isWritableFolder(root.path()));
}

TEST_F(ProgramFolder, TheUserFolderFollowsXdgDataHomeElseHome)
{
    EXPECT_EQ(ProgramInfo::userFolder(), userFolder());
    qputenv("XDG_DATA_HOME", "relative/data"); // ignored, as the base directory rules say
    EXPECT_EQ(ProgramInfo::userFolder(), root.filePath(QStringLiteral("home/.local/share/sorawindowex")));
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(ProgramInfo::userFolder(), root.filePath(QStringLiteral("home/.local/share/sorawindowex")));
}

TEST_F(ProgramFolder, AUserFolderThatCannotBeMadeFailsTheDefaultFileWithItsPath)
{
    put(dataHome(), "a file where the data folder should be");
    const QString folder = ProgramInfo::programFolder(QStringLiteral("/usr/lib/sorawindowex"));
    EXPECT_EQ(folder, userFolder());
    EXPECT_FALSE(QFileInfo::exists(folder));

    const ProgramInfo program(folder, QStringLiteral("SoraWindowEX"));
    SettingsFilePath(program);
    EXPECT_EQ(gIniPath, userFolder() + QStringLiteral("/SoraWindowEX.ini"));
    QString why;
    EXPECT_FALSE(WriteDefaultSettings(program, &why));
    EXPECT_FALSE(why.isEmpty());
}

// The same choice made by the real executable run as a user who is not root, from copies of it in
// a folder that user owns and in one it may only read.
class ProgramFolderAsAnotherUser : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to switch to the user nobody";
        const passwd* pw = ::getpwnam("nobody");
        const group* gr = ::getgrnam("nogroup");
        if (!pw || !gr)
            GTEST_SKIP() << "no user nobody or group nogroup";
        m_uid = pw->pw_uid;
        m_gid = gr->gr_gid;
        ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
        home = makeFolder(QStringLiteral("home"), true);
    }

    QString makeFolder(const QString& name, bool nobodysOwn) const
    {
        const QString path = root.filePath(name);
        EXPECT_TRUE(QDir().mkpath(path));
        ::chmod(QFile::encodeName(path).constData(), 0755);
        if (nobodysOwn) {
            EXPECT_EQ(::chown(QFile::encodeName(path).constData(), m_uid, m_gid), 0);
        }
        return path;
    }

    // The folder a copy of the probe in `folder` prints when nobody runs it.
    QString runProbe(const QString& folder, const QString& dataHome) const
    {
        const QString probe = folder + QStringLiteral("/SoraWindowEX");
        QFile::remove(probe);
        EXPECT_TRUE(QFile::copy(QStringLiteral(SORA_PROGRAM_FOLDER_PROBE), probe));
        ::chmod(QFile::encodeName(probe).constData(), 0755);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(QStringLiteral("/"));
        p.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                            QStringLiteral("--clear-groups"), probe});
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QFile::decodeName(p.readAllStandardOutput());
    }

    QTemporaryDir root;
    QString home;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
};

TEST_F(ProgramFolderAsAnotherUser, OwnFolderIsKeptAndAReadOnlyOneGivesTheUserFolder)
{
    const QString own = makeFolder(QStringLiteral("own"), true);
    const QString data = home + QStringLiteral("/data");
    EXPECT_EQ(runProbe(own, data), own);
    EXPECT_FALSE(QFileInfo::exists(data));

    const QString system = makeFolder(QStringLiteral("system"), false);
    EXPECT_EQ(runProbe(system, data), data + QStringLiteral("/sorawindowex"));
    const QFileInfo made(data + QStringLiteral("/sorawindowex"));
    EXPECT_TRUE(made.isDir());
    EXPECT_EQ(made.ownerId(), m_uid);
    EXPECT_EQ(modeOf(made.filePath()), 0700u);
}

TEST_F(ProgramFolderAsAnotherUser, AReadOnlyHomeLeavesTheUserFolderUnmade)
{
    const QString system = makeFolder(QStringLiteral("system"), false);
    const QString readOnlyHome = makeFolder(QStringLiteral("readonly-home"), false);
    const QString data = readOnlyHome + QStringLiteral("/.local/share");
    EXPECT_EQ(runProbe(system, data), data + QStringLiteral("/sorawindowex"));
    EXPECT_FALSE(QFileInfo::exists(readOnlyHome + QStringLiteral("/.local")));
}

} // namespace
