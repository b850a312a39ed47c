// Which downloads are playlists for the desktop's player, and where other files are saved.
#include "windows/Downloads.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using sora::freeFileName;
using sora::playlistExtension;

TEST(Downloads, PlaylistsAreKnownByNameOrType)
{
    // The name's own extension, in any case, whatever the server calls the file.
    EXPECT_EQ(playlistExtension(QStringLiteral("application/octet-stream"), QStringLiteral("a.PLS")), ".pls");
    EXPECT_EQ(playlistExtension(QString(), QStringLiteral("live.m3u8")), ".m3u8");
    EXPECT_EQ(playlistExtension(QStringLiteral("audio/x-mpegurl"), QStringLiteral("x.xspf")), ".xspf");
    // A type with parameters and a name without a playlist extension: saved as the type says.
    EXPECT_EQ(playlistExtension(QStringLiteral("Audio/X-SCPLS; charset=utf-8"), QStringLiteral("listen.cgi")),
              ".pls");
    EXPECT_EQ(playlistExtension(QStringLiteral("application/vnd.apple.mpegurl"), QString()), ".m3u8");
    EXPECT_EQ(playlistExtension(QStringLiteral("video/x-ms-asf"), QStringLiteral("station")), ".asx");
    // The ASF type also comes with the media files themselves.
    EXPECT_EQ(playlistExtension(QStringLiteral("video/x-ms-asf"), QStringLiteral("show.wmv")), "");
    EXPECT_EQ(playlistExtension(QStringLiteral("audio/mpeg"), QStringLiteral("show.mp3")), "");
}

TEST(Downloads, ASavedFileNeverReplacesAnother)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto touch = [&](const QString& name) {
        QFile(QDir(dir.path()).filePath(name)).open(QIODevice::WriteOnly);
    };
    EXPECT_EQ(freeFileName(dir.path(), QStringLiteral("show.tar.gz")), "show.tar.gz");
    touch(QStringLiteral("show.tar.gz"));
    touch(QStringLiteral("show.tar (1).gz"));
    EXPECT_EQ(freeFileName(dir.path(), QStringLiteral("show.tar.gz")), "show.tar (2).gz");
    touch(QStringLiteral(".hidden"));
    EXPECT_EQ(freeFileName(dir.path(), QStringLiteral(".hidden")), ".hidden (1)");
}
