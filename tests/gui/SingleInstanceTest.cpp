// The lock and the hand-over of a second start, through a real lock file and local socket.
#include "platform/SingleInstance.h"

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace sora;

TEST(SingleInstance, ASecondStartAsksTheRunningOneToComeForward)
{
    QTemporaryDir folder;
    LockFileInstance running(folder.path());
    int activations = 0;
    running.onActivate = [&] { ++activations; };
    ASSERT_TRUE(running.acquire());

    for (int start = 1; start <= 2; ++start) {
        LockFileInstance second(folder.path());
        EXPECT_FALSE(second.acquire());
        EXPECT_TRUE(second.activateRunning());
        EXPECT_TRUE(QTest::qWaitFor([&] { return activations == start; }, 10000)) << start;
    }
    // A connection that sends nothing is no request.
    QLocalSocket probe;
    probe.connectToServer(running.socketPath());
    ASSERT_TRUE(probe.waitForConnected(10000));
    QSignalSpy gone(&probe, &QLocalSocket::disconnected);
    probe.disconnectFromServer();
    EXPECT_TRUE(gone.count() == 1 || gone.wait(10000));
    QTest::qWait(100); // time for the server to see the connection and its end, and count nothing
    EXPECT_EQ(activations, 2);
}

TEST(SingleInstance, ASocketLeftByAKilledProgramNeitherBlocksNorConfuses)
{
    QTemporaryDir folder;
    LockFileInstance killed(folder.path());
    {
        // What a killed program leaves: its socket file, no one listening, no lock held.
        QFile stale(killed.socketPath());
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    // A start that finds no running program does not hang on it either.
    EXPECT_FALSE(killed.activateRunning());

    LockFileInstance next(folder.path());
    int activations = 0;
    next.onActivate = [&] { ++activations; };
    ASSERT_TRUE(next.acquire());
    LockFileInstance second(folder.path());
    EXPECT_FALSE(second.acquire());
    EXPECT_TRUE(second.activateRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 1; }, 10000));
}

TEST(SingleInstance, TheSocketGoesWithTheProgramAndTheNextStartHoldsItAgain)
{
    QTemporaryDir folder;
    {
        LockFileInstance first(folder.path());
        ASSERT_TRUE(first.acquire());
        EXPECT_TRUE(QFile::exists(first.socketPath()));
    }
    LockFileInstance next(folder.path());
    EXPECT_FALSE(QFile::exists(next.socketPath()));
    EXPECT_TRUE(next.acquire());
}
