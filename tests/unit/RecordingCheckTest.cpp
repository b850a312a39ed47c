// The check before a recording: page values, what a probe of the stream says, and the names
// the recordings window shows.
#include "windows/RecordingCheck.h"
#include "app/Cp932.h"

#include <gtest/gtest.h>

using namespace sora;

TEST(RecordingCheck, StationValuesMustBeThereWithAPortFrom1To65535)
{
    EXPECT_FALSE(StationValueProblem("s", "8000", "/m"));
    EXPECT_FALSE(StationValueProblem("s", "1", "/m"));
    EXPECT_FALSE(StationValueProblem("s", "65535", "/m"));
    const auto says = [](const QString& serv, const QString& port, const QString& mount, const char* what) {
        const std::optional<QString> problem = StationValueProblem(serv, port, mount);
        return problem && problem->contains(QString::fromUtf8(what));
    };
    EXPECT_TRUE(says("", "8000", "/m", "serv"));
    EXPECT_TRUE(says("s", "", "/m", "（port）がありません"));
    EXPECT_TRUE(says("s", "8000", "", "mount"));
    for (const char* port : {"0", "65536", "-1", "+80", " 80", "80a", "&mount=/m", "99999999999"})
        EXPECT_TRUE(says("s", port, "/m", "1～65535")) << port;
}

TEST(RecordingCheck, TitlesThatAreNotUtf8AreTakenAsCodePage932)
{
    EXPECT_EQ(MetadataCodeset(""), "UTF-8");
    EXPECT_EQ(MetadataCodeset("StreamTitle='Artist - Song';"), "UTF-8");
    EXPECT_EQ(MetadataCodeset(QStringLiteral("StreamTitle='懐メロ局 - 昭和の歌';").toUtf8()), "UTF-8");
    EXPECT_EQ(MetadataCodeset(*cp932::encode(QStringLiteral("StreamTitle='懐メロ局 - 昭和の歌';"))), "CP932");
    // A UTF-8 character cut short is not UTF-8.
    EXPECT_EQ(MetadataCodeset(QStringLiteral("局").toUtf8().left(2)), "CP932");
}

namespace {

// The first page of an Ogg stream whose first packet starts with `packet`.
QByteArray oggPage(const QByteArray& packet)
{
    QByteArray page("OggS\0\2", 6);
    page += QByteArray(20, '\0'); // granule, serial, sequence, checksum
    page += char(1);              // one segment
    page += char(packet.size());
    return page + packet;
}

} // namespace

TEST(RecordingCheck, TheFirstOggPageTellsTheCodec)
{
    EXPECT_EQ(SniffOgg(oggPage("OpusHead\1\1")), OggCodec::Opus);
    EXPECT_EQ(SniffOgg(oggPage("\x7f"
                               "FLAC\1\0")),
              OggCodec::Flac);
    EXPECT_EQ(SniffOgg(oggPage("\1vorbis\0\0")), OggCodec::Vorbis);
    EXPECT_EQ(SniffOgg(oggPage("Speex   ")), OggCodec::Other);
    EXPECT_EQ(SniffOgg("OggS"), OggCodec::Other);
    EXPECT_EQ(SniffOgg(QByteArray("\xff\xfb\x10\xc4", 4)), OggCodec::NotOgg);
    EXPECT_EQ(SniffOgg(""), OggCodec::NotOgg);
}

namespace {

ProbeReply reply(const QByteArray& type, const QByteArray& body, int metaInt = 0)
{
    ProbeReply r;
    r.headersArrived = true;
    r.status = 200;
    r.statusLine = "ICY 200 OK";
    r.contentType = type;
    r.metaInt = metaInt;
    r.body = body;
    return r;
}

} // namespace

TEST(RecordingCheck, AProbeRefusesWhatTheRecorderCannotTakeAndFindsTheTitlesCharacterSet)
{
    ProbeReply refused;
    refused.error = QStringLiteral("放送のサーバーに接続を拒否されました。");
    EXPECT_EQ(JudgeProbe(refused).problem, refused.error);
    ProbeReply missing = reply("text/html", "");
    missing.status = 404;
    missing.statusLine = "HTTP/1.0 404 Not Found";
    EXPECT_TRUE(JudgeProbe(missing).problem->contains("404 Not Found"));
    missing.status = 302;
    EXPECT_FALSE(JudgeProbe(missing).problem);
    EXPECT_TRUE(JudgeProbe(reply("text/html; charset=utf-8", "<html>")).problem->contains("text/html"));
    EXPECT_TRUE(JudgeProbe(reply("application/ogg", oggPage("OpusHead"))).problem->contains("Opus"));
    EXPECT_TRUE(JudgeProbe(reply("audio/ogg", oggPage("\x7f"
                                                      "FLAC")))
                    .problem->contains("FLAC"));
    EXPECT_FALSE(JudgeProbe(reply("audio/ogg", oggPage("\1vorbis"))).problem);

    // A quiet stream: headers, no audio yet.
    EXPECT_EQ(JudgeProbe(reply("audio/mpeg", "")).codeset, "UTF-8");
    // Metadata blocks (here in Shift_JIS) are taken out of the audio before it is looked at.
    const QByteArray sjis = *cp932::encode(QStringLiteral("StreamTitle='昭和';"));
    QByteArray block = sjis + QByteArray(16 - sjis.size() % 16, '\0');
    const QByteArray ogg = oggPage("OpusHead");
    const int half = static_cast<int>(ogg.size() / 2);
    ProbeVerdict v = JudgeProbe(reply("audio/ogg", ogg.left(half) + '\0' + ogg.mid(half), half));
    EXPECT_TRUE(v.problem->contains("Opus"));
    v = JudgeProbe(reply("audio/mpeg", "abcd" + QByteArray(1, char(block.size() / 16)) + block + "efgh", 4));
    EXPECT_FALSE(v.problem);
    EXPECT_EQ(v.codeset, "CP932");
    ProbeReply named = reply("audio/mpeg", "");
    named.icyName = *cp932::encode(QStringLiteral("懐メロ局"));
    EXPECT_EQ(JudgeProbe(named).codeset, "CP932");
}
