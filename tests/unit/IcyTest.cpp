// A stream's body split into audio and metadata blocks, however the reads cut it, and the titles
// of those blocks.
#include "station/Icy.h"
#include "app/Cp932.h"

#include <gtest/gtest.h>

using namespace sora;

namespace {

QByteArray block(const QByteArray& text)
{
    QByteArray b = text;
    b.resize((text.size() + 15) / 16 * 16, '\0');
    return char(b.size() / 16) + b;
}

// A stream of `metaInt` audio bytes between blocks, `blocks` in turn ("" for none), and the audio
// and blocks it must come out as.
struct Stream
{
    QByteArray wire;
    QByteArray audio;
    QList<IcyBlocks::Block> blocks;
};
Stream stream(int metaInt, const QList<QByteArray>& blocks)
{
    Stream s;
    for (const QByteArray& text : blocks) {
        QByteArray audio(metaInt, '\0');
        for (int i = 0; i < metaInt; ++i)
            audio[i] = char('a' + (s.audio.size() + i) % 26);
        s.wire += audio + block(text);
        s.audio += audio;
        if (!text.isEmpty())
            s.blocks.append({s.audio.size(), text});
    }
    // Audio after the last block, ended before the next length byte.
    const QByteArray tail = QByteArray("tail").left(metaInt);
    s.wire += tail;
    s.audio += tail;
    return s;
}

IcyBlocks::Split feedInReads(int metaInt, const QByteArray& wire, qsizetype readSize)
{
    IcyBlocks blocks(metaInt);
    IcyBlocks::Split all;
    for (qsizetype i = 0; i < wire.size(); i += readSize) {
        const IcyBlocks::Split part = blocks.feed(wire.mid(i, readSize));
        all.audio += part.audio;
        all.blocks += part.blocks;
    }
    EXPECT_EQ(blocks.audioBytes(), all.audio.size());
    return all;
}

} // namespace

TEST(IcyBlocks, AudioAndBlocksComeApartHoweverTheReadsCutThem)
{
    const QByteArray longTitle = "StreamTitle='" + QByteArray(4000, 'x') + "';";
    // metaint 1 puts a length byte after every audio byte; a block of 255 sixteens is the longest.
    for (int metaInt : {1, 7, 16, 8192}) {
        const Stream s = stream(metaInt, {"StreamTitle='A - One';", "", longTitle, "StreamTitle='B';"});
        // Whole, a byte at a time (the length byte and every block split), and reads that cut a
        // title in two.
        for (qsizetype readSize : {s.wire.size(), qsizetype(1), qsizetype(5), qsizetype(1000)}) {
            const IcyBlocks::Split out = feedInReads(metaInt, s.wire, readSize);
            EXPECT_EQ(out.audio, s.audio) << metaInt << " " << readSize;
            EXPECT_EQ(out.blocks, s.blocks) << metaInt << " " << readSize;
        }
    }
}

TEST(IcyBlocks, AStreamWithoutMetadataIsAllAudio)
{
    for (int metaInt : {0, -5}) {
        IcyBlocks blocks(metaInt);
        const QByteArray data("\x01StreamTitle='x';", 17);
        const IcyBlocks::Split out = blocks.feed(data);
        EXPECT_EQ(out.audio, data);
        EXPECT_TRUE(out.blocks.isEmpty());
    }
}

TEST(IcyStreamTitleText, EachTitleIsJudgedOnItsOwnAndQuotesStayInIt)
{
    EXPECT_FALSE(IcyStreamTitleText("StreamUrl='x';"));
    EXPECT_EQ(IcyStreamTitleText("StreamTitle='';"), "");
    EXPECT_EQ(IcyStreamTitleText("StreamTitle='Rock 'n' Roll';StreamUrl='u';"), "Rock 'n' Roll");
    const QString japanese = QStringLiteral("懐メロ - 昭和の歌");
    // An encoder that sends ASCII, then Shift_JIS, then UTF-8.
    EXPECT_EQ(IcyStreamTitleText("StreamTitle='1999';"), "1999");
    EXPECT_EQ(IcyStreamTitleText("StreamTitle='" + *cp932::encode(japanese) + "';"), japanese);
    EXPECT_EQ(IcyStreamTitleText("StreamTitle='" + japanese.toUtf8() + "';"), japanese);
}
