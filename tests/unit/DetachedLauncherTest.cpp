// The real launcher: the program starts in its own session from the working directory, each
// argument as one, output in the log, none of our descriptors; failures are reported.
#include "platform/DetachedProcessLauncher.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <pthread.h>
#include <unistd.h>

using namespace sora;

namespace {

void writeScript(const QString& path, const QByteArray& body)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

// The file once the detached program has written `last` into it.
QByteArray waitFor(const QString& path, const QByteArray& last)
{
    QElapsedTimer t;
    t.start();
    for (; t.elapsed() < 10000; QThread::msleep(20)) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            if (const QByteArray all = f.readAll(); all.contains(last))
                return all;
    }
    return {};
}

// Words after the label on the line that starts with it.
QList<QByteArray> lineAfter(const QByteArray& out, const QByteArray& label)
{
    const qsizetype at = out.indexOf(label) + label.size();
    return out.mid(at, out.indexOf('\n', at) - at).trimmed().split(' ');
}

} // namespace

TEST(DetachedLauncher, RunsInItsOwnSessionFromTheWorkingDirectoryWithItsOutputInTheLog)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("streamripper.log");
    writeScript(dir.filePath("rec.sh"),
                "for a in \"$@\"; do echo \"[$a]\"; done\n"
                "pwd\n"
                "echo err >&2\n"
                "echo \"fds $(ls /proc/$$/fd | tr '\\n' ' ')\"\n"
                "echo \"stat $$ $(sed 's/.*) //' /proc/$$/stat)\"\n"
                // Read by the shell itself: while it waits for a child it blocks signals.
                "while read -r l; do case $l in Sig[BI]*) echo \"$l\";; esac; done </proc/$$/status\n"
                "echo end\n");
    // A descriptor of ours without close-on-exec must not reach the program; it sits above the
    // few the shell opens for itself.
    const int opened = ::open("/dev/null", O_RDONLY);
    ASSERT_EQ(::dup2(opened, 57), 57);
    ::close(opened);
    // Signals we ignore or block must not stay so in the program.
    const auto oldXfsz = std::signal(SIGXFSZ, SIG_IGN);
    sigset_t term, oldMask;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &term, &oldMask);

    DetachedProcessLauncher launcher{QString()};
    QString error;
    const LaunchRequest request{
        "./rec.sh", {"http://h:1/live -E rm", "-a", "-d", "/r dir/"}, dir.path(), "Kiri", log};
    const bool started = launcher.startDetached(request, &error);
    ::close(57);
    ::pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    std::signal(SIGXFSZ, oldXfsz);
    ASSERT_TRUE(started) << error.toStdString();

    const QByteArray out = waitFor(log, "end\n");
    EXPECT_TRUE(out.contains("\n[http://h:1/live -E rm]\n[-a]\n[-d]\n[/r dir/]\n" +
                             QFile::encodeName(dir.path()) + "\nerr\n"))
        << out.toStdString();
    EXPECT_FALSE(lineAfter(out, "fds ").contains("57")) << out.toStdString();
    // Pid, state, parent, group, session: not our child, not in our session, not a session leader.
    const QList<QByteArray> stat = lineAfter(out, "stat ");
    ASSERT_GE(stat.size(), 5) << out.toStdString();
    EXPECT_NE(stat[2].toLong(), ::getpid());
    EXPECT_NE(stat[4].toLong(), ::getsid(0));
    EXPECT_NE(stat[4].toLong(), stat[0].toLong());
    EXPECT_EQ(lineAfter(out, "SigBlk:"), QList<QByteArray>{"0000000000000000"}) << out.toStdString();
    EXPECT_EQ(lineAfter(out, "SigIgn:"), QList<QByteArray>{"0000000000000000"}) << out.toStdString();
}

TEST(DetachedLauncher, TheRequestsEnvironmentIsSetOverOursForTheProgramAndItsTerminal)
{
    QTemporaryDir dir;
    const std::optional<QByteArray> ourLcAll =
        qEnvironmentVariableIsSet("LC_ALL") ? std::optional(qgetenv("LC_ALL")) : std::nullopt;
    qputenv("SORA_LAUNCH_KEPT", "kept");
    qputenv("LC_ALL", "C");
    writeScript(dir.filePath("rec.sh"), "echo \"[$LC_ALL] [$SORA_LAUNCH_EXTRA] [$SORA_LAUNCH_KEPT] end\"\n");
    LaunchRequest request{"./rec.sh", {}, dir.path(), "t", dir.filePath("log")};
    request.environment = {"LC_ALL=C.UTF-8", "SORA_LAUNCH_EXTRA=a=b c"};
    QString error;
    ASSERT_TRUE(DetachedProcessLauncher{QString()}.startDetached(request, &error)) << error.toStdString();
    EXPECT_TRUE(waitFor(dir.filePath("log"), "end\n").endsWith("\n[C.UTF-8] [a=b c] [kept] end\n"));

    const QByteArray record = QFile::encodeName(dir.filePath("terminal.txt"));
    writeScript(dir.filePath("term.sh"), "echo \"[$LC_ALL]\" > '" + record + "'\n");
    ASSERT_TRUE(DetachedProcessLauncher{dir.filePath("term.sh")}.startDetached(request, &error))
        << error.toStdString();
    EXPECT_EQ(waitFor(record, "]\n"), "[C.UTF-8]\n");
    qunsetenv("SORA_LAUNCH_KEPT");
    if (ourLcAll)
        qputenv("LC_ALL", *ourLcAll);
    else
        qunsetenv("LC_ALL");
}

TEST(DetachedLauncher, ATerminalGetsTheProgramAndItsArgumentsAsSeparateWords)
{
    QTemporaryDir dir;
    const QByteArray record = QFile::encodeName(dir.filePath("terminal.txt"));
    writeScript(dir.filePath("term.sh"),
                "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + record + "'\n");
    writeScript(dir.filePath("rec.sh"), "exit 0\n");
    DetachedProcessLauncher launcher{dir.filePath("term.sh")};
    QString error;
    ASSERT_TRUE(launcher.startDetached(
        {"./rec.sh", {"http://h:1/m", "-d", "/r dir/"}, dir.path(), "Kiri", "x.log"}, &error))
        << error.toStdString();
    EXPECT_EQ(waitFor(record, "dir/]\n"),
              "[-iconic]\n[-xrm]\n[*utf8Title: true]\n[-T]\n[Kiri]\n[-n]\n[Kiri]\n[-e]\n[/bin/sh]\n[-c]\n"
              "[printf '\\033]0;%s\\007' \"$0\"; exec \"$@\"]\n[Kiri]\n"
              "[./rec.sh]\n[http://h:1/m]\n[-d]\n[/r dir/]\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("x.log"))); // the terminal shows the output
}

TEST(DetachedLauncher, WhatCannotStartIsReportedInJapanese)
{
    QTemporaryDir dir;
    DetachedProcessLauncher launcher{QString()};
    const auto failure = [&](LaunchRequest r) {
        QString error;
        return launcher.startDetached(r, &error) ? QString() : error;
    };
    const LaunchRequest ok{"./rec.sh", {}, dir.path(), "t", dir.filePath("log")};
    EXPECT_TRUE(failure(ok).contains("プログラムが見つからないか"));

    writeScript(dir.filePath("rec.sh"), "exit 0\n");
    LaunchRequest r = ok;
    r.workingDirectory = dir.filePath("gone");
    EXPECT_TRUE(failure(r).contains("作業フォルダがありません"));
    r = ok;
    r.logFile = dir.filePath("gone/x.log");
    EXPECT_TRUE(failure(r).contains("ログファイルを開けません"));
    r = ok;
    r.arguments = {QStringLiteral("a") + QChar(u'\0') + "b"};
    EXPECT_FALSE(failure(r).isEmpty());
    r = ok;
    r.environment = {"=x"};
    EXPECT_TRUE(failure(r).contains("環境変数"));

    // Found and executable, yet exec refuses it: the report comes back from the child.
    QFile bad(dir.filePath("rec.sh"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("\x7f"
              "ELF not really");
    bad.close();
    EXPECT_TRUE(failure(ok).contains("プログラムを起動できません"));
}
