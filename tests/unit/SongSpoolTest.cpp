// The spool of the last songs: cut where the title changes, bounded, gone with the program.
#include "station/SongSpool.h"
#include "station/RecorderFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sora;

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

} // namespace

TEST(SongSpool, SongsAreCutWhereTheTitleChangesAndOnlyThoseHeardFromTheirStartAreWhole)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("spool"));
    const QUrl stream(QStringLiteral("http://h:8000/live"));
    {
        SongSpool spool(folder);
        ASSERT_TRUE(spool.usable());
        EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
        const int c = spool.begin(stream, "audio/mpeg", QStringLiteral("氷河放送"));
        spool.audio(c, "burst");
        spool.title(c, QStringLiteral("A - One")); // names the song under way
        spool.audio(c, "-one");
        spool.title(c, QStringLiteral("B - Two"));
        spool.audio(c, "two");
        spool.title(c, QStringLiteral("C - Three"));
        spool.audio(c, "thr");
        spool.end(c);

        const QList<SongSpool::Song> songs = spool.songs();
        ASSERT_EQ(songs.size(), 3);
        EXPECT_EQ(songs[0].title, "A - One");
        EXPECT_FALSE(songs[0].fromStart);
        EXPECT_TRUE(songs[1].fromStart && songs[1].toEnd); // the one song heard whole
        EXPECT_TRUE(songs[2].fromStart && songs[2].ended && !songs[2].toEnd);
        EXPECT_EQ(songs[1].station, QStringLiteral("氷河放送"));
        EXPECT_EQ(contents(spool.file(songs[0].id)), "burst-one");
        EXPECT_EQ(contents(spool.file(songs[1].id)), "two");

        const QString target = dir.filePath(QStringLiteral("氷河放送/") + TrackFileName(songs[1].title, "mp3"));
        EXPECT_FALSE(spool.save(songs[1].id, target));
        EXPECT_EQ(contents(target), "two");
        EXPECT_TRUE(spool.save(songs[1].id, target)); // nothing is written over
        EXPECT_TRUE(spool.save(999, dir.filePath(QStringLiteral("x.mp3"))));
    }
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST(SongSpool, OnlyTheLastSongsAreKept)
{
    QTemporaryDir dir;
    SongSpool spool(dir.filePath(QStringLiteral("spool")), 3);
    const int c = spool.begin(QUrl(QStringLiteral("http://h/live")), "audio/aacp", QString());
    for (int i = 0; i < 6; ++i) {
        spool.title(c, QString::number(i));
        spool.audio(c, QByteArray::number(i));
    }
    const QList<SongSpool::Song> songs = spool.songs();
    ASSERT_EQ(songs.size(), 3);
    EXPECT_EQ(songs.last().title, "5");
    EXPECT_EQ(songs.first().extension, "aac");
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("spool"))).entryList(QDir::Files).size(), 3);

    // Nothing lasting is kept in a folder that is not the user's alone.
    EXPECT_FALSE(SongSpool(QString()).usable());
}

TEST(TrackFileName, WhatAFileNameCannotHoldIsReplaced)
{
    EXPECT_EQ(TrackFileName(QStringLiteral("AC/DC - Back: In Black?"), "mp3"), "AC-DC - Back- In Black-.mp3");
    EXPECT_EQ(TrackFileName(QStringLiteral("../x"), "ogg"), "-x.ogg");
    EXPECT_EQ(TrackFileName(QString(), "mp3"), QStringLiteral("（曲名なし）.mp3"));
    // A long Japanese title fits a file name's 255 bytes, whole characters only.
    const QString longName = TrackFileName(QString(150, QChar(0x6F22)) + QString::fromUcs4(U"\U0001F3B5"), "mp3");
    EXPECT_LE(longName.toUtf8().size(), 255);
    EXPECT_TRUE(longName.endsWith(QStringLiteral("漢.mp3")));
}
