// The stream tap's relay over the loopback interface, between a client standing in for the engine
// and a station of the test's own.
#include "station/StreamTap.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

using namespace sora;

namespace {

QByteArray block(const QByteArray& text)
{
    QByteArray b = text;
    b.resize((text.size() + 15) / 16 * 16, '\0');
    return char(b.size() / 16) + b;
}

// A station answering each request by its path; it keeps its connections open.
struct Station
{
    QTcpServer server;
    QHash<QByteArray, QByteArray> answers; // by path
    QList<QByteArray> requests;
    QList<QPointer<QTcpSocket>> listeners;

    Station()
    {
        server.listen(QHostAddress::LocalHost);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            QTcpSocket* socket = server.nextPendingConnection();
            listeners.append(socket);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request = socket->readAll();
                requests.append(request);
                socket->write(answers.value(request.split(' ').value(1)));
            });
        });
    }
    QUrl url(const QString& path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path));
    }
    int open() const
    {
        return int(std::count_if(listeners.begin(), listeners.end(), [](const QPointer<QTcpSocket>& s) {
            return s && s->state() == QAbstractSocket::ConnectedState;
        }));
    }
};

// The engine's request for `address`, and what came back.
struct Engine
{
    QTcpSocket socket;
    QByteArray received;

    explicit Engine(const QUrl& address, const QByteArray& path = QByteArray())
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(address.port()));
        socket.write("GET " + (path.isNull() ? address.path(QUrl::FullyEncoded).toLatin1() : path) +
                     " HTTP/1.1\r\nHost: 127.0.0.1\r\nRange: bytes=0-\r\n\r\n");
    }
    QByteArray body() const { return received.mid(received.indexOf("\r\n\r\n") + 4); }
};

} // namespace

TEST(StreamTap, RelayFollowsARedirectionHandsOnTheAudioAloneAndTellsEachTitle)
{
    Station station;
    station.answers["/old"] = "HTTP/1.0 302 Found\r\nLocation: /live\r\n\r\n";
    station.answers["/live"] = "ICY 200 OK\r\ncontent-type: audio/mpeg\r\nicy-metaint: 4\r\n\r\nabcd" +
                               block("StreamTitle='A - One';") + "efgh" + block("") + "ijkl" +
                               block("StreamTitle='B - Two';") + "mn";
    StreamTap tap;
    QSignalSpy serving(&tap, &StreamTap::Serving);
    QSignalSpy titles(&tap, &StreamTap::Title);
    const QUrl stream = station.url(QStringLiteral("/old"));
    const QUrl relay = tap.relayAddress(stream);
    ASSERT_EQ(relay.host(), "127.0.0.1");
    EXPECT_EQ(tap.relayAddress(stream), relay); // one token per stream
    EXPECT_FALSE(relay.path().contains(QStringLiteral("old")));

    {
        Engine engine(relay);
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.body() == "abcdefghijklmn"; })) << engine.received.data();
        EXPECT_TRUE(engine.received.startsWith("HTTP/1.1 200 OK\r\n"));
        EXPECT_TRUE(engine.received.contains("Content-Type: audio/mpeg\r\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return titles.size() == 2; }));
        EXPECT_EQ(titles[0], QVariantList({stream, QStringLiteral("A - One")}));
        EXPECT_EQ(titles[1], QVariantList({stream, QStringLiteral("B - Two")}));
        EXPECT_EQ(serving.value(0), QVariantList({stream, true}));
        ASSERT_EQ(station.requests.size(), 2);
        EXPECT_TRUE(station.requests[1].contains("Icy-MetaData: 1\r\n"));
        EXPECT_EQ(station.open(), 1);
    }
    // The engine went: so does the relay's one connection to the station.
    ASSERT_TRUE(QTest::qWaitFor([&] { return serving.size() == 2; }));
    EXPECT_EQ(serving[1], QVariantList({stream, false}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return station.open() == 0; }));
}

TEST(StreamTap, RequestsWithoutTheirTokenAreRefusedAndTheStationIsNotAsked)
{
    Station station;
    StreamTap tap;
    const QUrl relay = tap.relayAddress(station.url(QStringLiteral("/live")));
    for (const QByteArray& path : {QByteArray("/"), QByteArray("/0123456789abcdef"), QByteArray("/../live")}) {
        Engine engine(relay, path);
        EXPECT_TRUE(QTest::qWaitFor([&] { return engine.socket.state() == QAbstractSocket::UnconnectedState; }));
        EXPECT_TRUE(engine.received.startsWith("HTTP/1.1 403 ")) << engine.received.data();
    }
    EXPECT_TRUE(station.requests.isEmpty());
}

TEST(StreamTap, WhatIsNoStreamGoesBackToTheStationOnceForTheEngineToTry)
{
    Station station;
    station.answers["/page"] = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<html>";
    StreamTap tap;
    QSignalSpy passed(&tap, &StreamTap::Passed);
    const QUrl gone(QStringLiteral("http://127.0.0.1:1/live")); // nothing listens there
    for (const QUrl& stream : {station.url(QStringLiteral("/page")), gone}) {
        Engine engine(tap.relayAddress(stream));
        ASSERT_TRUE(QTest::qWaitFor([&] { return engine.socket.state() == QAbstractSocket::UnconnectedState; }));
        EXPECT_TRUE(engine.received.startsWith("HTTP/1.1 307 ")) << engine.received.data();
        EXPECT_TRUE(engine.received.contains("\r\nLocation: " + stream.toEncoded() + "\r\n"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !passed.isEmpty(); }));
        EXPECT_EQ(passed.takeFirst().value(0), stream);
        // The engine's own request goes to the station; the next one of a reload to the tap again.
        EXPECT_TRUE(tap.relayAddress(stream).isEmpty());
        EXPECT_FALSE(tap.relayAddress(stream).isEmpty());
    }
}
