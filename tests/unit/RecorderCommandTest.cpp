// The recorder command cut out of a station page's address, and the checks made before starting it.
#include "station/RecorderCommand.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sora;

namespace {

QString stream(const QString& page)
{
    return BuildRecorderCommand(page, "/p", "/r/").address;
}

} // namespace

TEST(RecorderCommand, RunsTheRecorderInTheProgramFolderWithEachPieceAsOneArgument)
{
    const RecorderCommand c = BuildRecorderCommand(
        "http://d/radioobx.cgi?a=1&title=Kiri&serv=s.example&port=8000&mount=/live&x=", "/opt/my sora",
        "/home/u/my rec dir/");
    EXPECT_EQ(c.program, "./streamripper.exe");
    EXPECT_EQ(c.workingDirectory, "/opt/my sora");
    EXPECT_EQ(c.arguments(), (QStringList{"http://s.example:8000/live", "-a", "-d", "/home/u/my rec dir/",
                                        "--codeset-filesys=UTF-8", "--codeset-metadata=UTF-8"}));
    EXPECT_EQ(c.text(), "./streamripper.exe http://s.example:8000/live -a -d /home/u/my rec dir/ "
                        "--codeset-filesys=UTF-8 --codeset-metadata=UTF-8");
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
    EXPECT_EQ(BuildRecorderCommand([&] { return reads.value(n++); }, "/p", "/r/").address,
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
        ASSERT_EQ(c.arguments().size(), 6) << page.toStdString();
        EXPECT_TRUE(c.arguments()[0].startsWith("http://")) << page.toStdString();
        EXPECT_EQ(c.arguments().mid(1, 3), (QStringList{"-a", "-d", "-d"})) << page.toStdString();
    }
    EXPECT_EQ(stream(hostile[0]), "http://h:1/live -E rm -rf ~");
}

TEST(RecorderCommand, JapaneseInTheAddressReachesTheRecorderAsUtf8EscapesAndNothingElseChanges)
{
    EXPECT_EQ(stream("http://d/?&serv=127.0.0.1&port=8000&mount=/ラ&"), "http://127.0.0.1:8000/%E3%83%A9");
    EXPECT_EQ(stream("http://d/?&serv=127.0.0.1&port=8000&mount=/a%20b&"), "http://127.0.0.1:8000/a%20b");
    EXPECT_EQ(stream("http://d/?&serv=霧.example&port=8000&mount=/深夜 の+%e3&"),
              "http://%E9%9C%A7.example:8000/%E6%B7%B1%E5%A4%9C %E3%81%AE+%e3");
}

TEST(RecorderProblem, NamesAMissingRecorderAndCreatesAMissingFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("rec dir"));
    QFile recorder(dir.filePath("streamripper.exe"));
    ASSERT_TRUE(recorder.open(QIODevice::WriteOnly));
    recorder.close();
    const auto problem = [&](const QString& folder) {
        return RecorderProblem(BuildRecorderCommand("http://d/", dir.path(), folder)).value_or(QString());
    };

    // Not executable: refused before any folder is made.
    EXPECT_TRUE(problem(dir.filePath("new")).contains(dir.filePath("streamripper.exe")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("new")));
    recorder.setPermissions(recorder.permissions() | QFile::ExeOwner);
    EXPECT_EQ(problem(dir.filePath("rec dir") + "/"), "");
    // A relative folder is taken from the program folder, the recorder's working directory.
    EXPECT_EQ(problem("rec dir/"), "");
    EXPECT_EQ(problem(dir.filePath("gone/深夜/") + "/"), "");
    EXPECT_TRUE(QFileInfo(dir.filePath("gone/深夜")).isDir());
    EXPECT_EQ(problem("made here/too"), "");
    EXPECT_TRUE(QFileInfo(dir.filePath("made here/too")).isDir());
    EXPECT_FALSE(problem("").isEmpty());
    recorder.remove();
    EXPECT_TRUE(problem(dir.filePath("rec dir")).contains(dir.filePath("streamripper.exe")));
}

TEST(RecorderProblem, AFolderThatCannotBeMadeIsRefusedWithTheReason)
{
    QTemporaryDir dir;
    QFile recorder(dir.filePath("streamripper.exe"));
    ASSERT_TRUE(recorder.open(QIODevice::WriteOnly));
    recorder.close();
    recorder.setPermissions(recorder.permissions() | QFile::ExeOwner);
    QFile file(dir.filePath("a file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const auto problem = [&](const QString& folder) {
        return RecorderProblem(BuildRecorderCommand("http://d/", dir.path(), folder)).value_or(QString());
    };

    for (const QString& folder : {dir.filePath("a file"), dir.filePath("a file/below/")}) {
        const QString why = problem(folder);
        EXPECT_TRUE(why.startsWith("録音フォルダを作成できません。\r\n" + folder + "（")) << why.toStdString();
    }
}

TEST(RecorderEnvironment, ALocaleThatIsNotUtf8IsReplacedForTheRecorder)
{
    const QStringList utf8 = {"LC_ALL=C.UTF-8"};
    // Nothing set, or a character set other than UTF-8, as the first one set decides.
    EXPECT_EQ(RecorderEnvironment("", "", ""), utf8);
    EXPECT_EQ(RecorderEnvironment("", "", "C"), utf8);
    EXPECT_EQ(RecorderEnvironment("", "", "POSIX"), utf8);
    EXPECT_EQ(RecorderEnvironment("", "", "ja_JP"), utf8); // EUC-JP by default
    EXPECT_EQ(RecorderEnvironment("", "", "ja_JP.eucJP"), utf8);
    EXPECT_EQ(RecorderEnvironment("C", "", "ja_JP.UTF-8"), utf8);
    EXPECT_EQ(RecorderEnvironment("", "en_US.ISO-8859-1", "ja_JP.UTF-8"), utf8);
    EXPECT_EQ(RecorderEnvironment("", "", "en_US.UTF-16"), utf8);

    // UTF-8 however spelled, from whichever variable decides: passed on unchanged.
    EXPECT_EQ(RecorderEnvironment("", "", "ja_JP.UTF-8"), QStringList());
    EXPECT_EQ(RecorderEnvironment("", "", "de_DE.utf8@euro"), QStringList());
    EXPECT_EQ(RecorderEnvironment("", "C.UTF8", "C"), QStringList());
    EXPECT_EQ(RecorderEnvironment("en_US.Utf-8", "C", "C"), QStringList());
}
