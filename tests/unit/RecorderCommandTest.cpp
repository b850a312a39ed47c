// The recorder command cut out of a station page's address, and the checks made before starting it.
#include "windows/Recorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sora;

namespace {

QString stream(const QString& page)
{
    return BuildRecorderCommand(page, "/p", "/r/").arguments.value(0);
}

} // namespace

TEST(RecorderCommand, RunsTheRecorderInTheProgramFolderWithEachPieceAsOneArgument)
{
    const RecorderCommand c = BuildRecorderCommand(
        "http://d/radioobx.cgi?a=1&title=Kiri&serv=s.example&port=8000&mount=/live&x=", "/opt/my sora",
        "/home/u/my rec dir/");
    EXPECT_EQ(c.program, "./streamripper.exe");
    EXPECT_EQ(c.workingDirectory, "/opt/my sora");
    EXPECT_EQ(c.arguments, (QStringList{"http://s.example:8000/live", "-a", "-d", "/home/u/my rec dir/"}));
    EXPECT_EQ(c.text(), "./streamripper.exe http://s.example:8000/live -a -d /home/u/my rec dir/");
}

TEST(RecorderCommand, KeysMissingOrAtTheEnd)
{
    EXPECT_EQ(stream("http://d/p.cgi?&serv=h&port=1&z"), "http://h:1");
    EXPECT_EQ(stream("http://d/p.cgi?title=x"), "http://:");
    EXPECT_EQ(stream("http://d/?&serv=h&port=1&mount=/m"), "http://h:1/m");
    // Nothing goes between port and mount: the mount is appended as the page spells it.
    EXPECT_EQ(stream("http://d/?&serv=h&port=1&mount=live&"), "http://h:1live");
}

TEST(RecorderCommand, ReadsTheAddressOncePerKeyInTheOrderServPortMount)
{
    const QStringList reads = {"http://d/?&serv=first&", "http://d/?&port=2&", "http://d/?&mount=/third&"};
    int n = 0;
    EXPECT_EQ(BuildRecorderCommand([&] { return reads.value(n++); }, "/p", "/r/").arguments.value(0),
              "http://first:2/third");
    EXPECT_EQ(n, 3);
}

TEST(RecorderCommand, NoPageValueCanAddAnArgumentOrOption)
{
    const QStringList hostile = {
        "http://d/?&serv=h&port=1&mount=/live -E rm -rf ~&",
        "http://d/?&serv=-E evil&port=--xs-offset=1&mount= -d /etc&",
        "http://d/?&serv=h;touch x&port=$(id)&mount=`id`\n-E\rx&",
    };
    for (const QString& page : hostile) {
        // A folder that looks like an option is still only the value of -d.
        const RecorderCommand c = BuildRecorderCommand(page, "/p", "-d");
        ASSERT_EQ(c.arguments.size(), 4) << page.toStdString();
        EXPECT_TRUE(c.arguments[0].startsWith("http://")) << page.toStdString();
        EXPECT_EQ(c.arguments.mid(1), (QStringList{"-a", "-d", "-d"})) << page.toStdString();
    }
    EXPECT_EQ(stream(hostile[0]), "http://h:1/live -E rm -rf ~");
}

TEST(RecorderProblem, NamesAMissingRecorderOrFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("rec dir"));
    QFile recorder(dir.filePath("streamripper.exe"));
    ASSERT_TRUE(recorder.open(QIODevice::WriteOnly));
    recorder.close();
    const auto problem = [&](const QString& folder) {
        return RecorderProblem(BuildRecorderCommand("http://d/", dir.path(), folder)).value_or(QString());
    };

    EXPECT_TRUE(
        problem(dir.filePath("rec dir")).contains(dir.filePath("streamripper.exe"))); // not executable
    recorder.setPermissions(recorder.permissions() | QFile::ExeOwner);
    EXPECT_EQ(problem(dir.filePath("rec dir") + "/"), "");
    // A relative folder is taken from the program folder, the recorder's working directory.
    EXPECT_EQ(problem("rec dir/"), "");
    EXPECT_TRUE(problem(dir.filePath("gone") + "/").contains(dir.filePath("gone")));
    EXPECT_FALSE(problem("").isEmpty());
    recorder.remove();
    EXPECT_TRUE(problem(dir.filePath("rec dir")).contains(dir.filePath("streamripper.exe")));
}
