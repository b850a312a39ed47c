// The check before a recording: page values, what a probe of the stream says, and the names
// the recordings window shows.
#include "station/RecordingCheck.h"
#include "app/Cp932.h"
#include "station/Icy.h"

#include <gtest/gtest.h>

using namespace sora;

TEST(RecordingCheck, StationValuesNeedAServerAndAPortFrom1To65535)
{
    EXPECT_FALSE(StationValueProblem("s", "8000"));
    EXPECT_FALSE(StationValueProblem("s", "1"));
    EXPECT_FALSE(StationValueProblem("s", "65535"));
    const auto says = [](const QString& serv, const QString& port, const char* what) {
        const std::optional<QString> problem = StationValueProblem(serv, port);
        return problem && problem->contains(QString::fromUtf8(what));
    };
    EXPECT_TRUE(says("", "8000", "serv"));
    EXPECT_TRUE(says("s", "", "（port）がありません"));
    for (const char* port : {"0", "65536", "-1", "+80", " 80", "80a", "&mount=/m", "99999999999"})
        EXPECT_TRUE(says("s", port, "1～65535")) << port;
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
    const IcyBlocks::Split split = IcyBlocks(metaInt).feed(body);
    r.audio = split.audio;
    r.metadata = split.blocks.isEmpty() ? QByteArray() : split.blocks.first().text;
    return r;
}

} // namespace

TEST(RecordingCheck, TheResponseHeadIsReadAsStreamServersSendIt)
{
    EXPECT_FALSE(ParseResponseHead("ICY 200 OK\r\nicy-name: A\r\n"));
    EXPECT_FALSE(ParseResponseHead(""));

    // ICY, odd case, a bare LF, a folded name; the audio that came in the same packet is the body.
    std::optional<ResponseHead> r = ParseResponseHead("ICY 200 OK\r\nCONTENT-Type: Audio/MPEG\r\n"
                                                    "icy-Name:  Kiri\r\n   FM \r\nIcy-MetaInt:8192\n"
                                                    "\r\n\xff\xfb\r\n\r\nrest");
    ASSERT_TRUE(r);
    EXPECT_TRUE(r->reply.headersArrived);
    EXPECT_EQ(r->reply.status, 200);
    EXPECT_EQ(r->reply.statusLine, "ICY 200 OK");
    EXPECT_EQ(r->reply.contentType, "audio/mpeg");
    EXPECT_EQ(r->reply.icyName, "Kiri FM");
    EXPECT_EQ(r->reply.metaInt, 8192);
    EXPECT_EQ(r->after, "\xff\xfb\r\n\r\nrest");

    r = ParseResponseHead("HTTP/1.0 200 OK\n\nOggS");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->reply.status, 200);
    EXPECT_EQ(r->reply.contentType, "");
    EXPECT_EQ(r->after, "OggS");

    // The first of a repeated field counts; a bad metaint is none.
    r = ParseResponseHead("HTTP/1.1 302 Found\r\nLocation: https://s/m \r\nlocation: http://t/\r\n"
                          "icy-metaint: -5\r\n\r\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->reply.status, 302);
    EXPECT_EQ(r->reply.location, "https://s/m");
    EXPECT_EQ(r->reply.metaInt, 0);
    EXPECT_TRUE(r->after.isEmpty());

    EXPECT_TRUE(IsWebPage("text/html; charset=utf-8"));
    EXPECT_FALSE(IsWebPage("application/octet-stream"));
    EXPECT_FALSE(IsWebPage(""));
}

TEST(RecordingCheck, AProbeRefusesOnlyWhatTheRecorderCertainlyCannotRecord)
{
    const auto problem = [](const QByteArray& head, const QByteArray& body = {}) {
        ProbeReply r = ParseResponseHead(head + "\r\n\r\n")->reply;
        r.audio = body;
        return JudgeProbe(r).problem.value_or(QString());
    };
    ProbeReply noHead;
    noHead.failure = ProbeReply::Failure::Refused;
    EXPECT_EQ(JudgeProbe(noHead).problem, "放送のサーバーに接続を拒否されました。");
    noHead.failure = ProbeReply::Failure::HostNotFound;
    EXPECT_EQ(JudgeProbe(noHead).problem, "放送のサーバーが見つかりません。");
    // No answer in time, or a connection closed early: the recorder tries as it would unchecked.
    noHead.failure = ProbeReply::Failure::Other;
    EXPECT_FALSE(JudgeProbe(noHead).problem);

    EXPECT_TRUE(problem("HTTP/1.0 404 Not Found\r\nContent-Type: text/html").contains("404 Not Found"));
    EXPECT_TRUE(problem("ICY 401 Service Unavailable").contains("ICY 401"));
    EXPECT_TRUE(problem("HTTP/1.1 503 Busy").contains("503"));
    EXPECT_TRUE(
        problem("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8", "<html>").contains("text/html"));
    const QString tls = problem("HTTP/1.1 302 Found\r\nLocation: HTTPS://s:8443/m");
    EXPECT_TRUE(tls.contains("https://") && tls.contains("HTTPS://s:8443/m") &&
                tls.contains("streamripper 1.64.6"))
        << tls.toStdString();
    EXPECT_EQ(problem("HTTP/1.1 302 Found\r\nLocation: http://s:8000/m"), "");
    EXPECT_EQ(problem("HTTP/1.1 302 Found"), "");
    EXPECT_EQ(problem("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream", "\xff\xfb"), "");
    EXPECT_EQ(problem("ICY 200 OK\r\ncontent-type: text/plain"), "");
    EXPECT_TRUE(problem("HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream", oggPage("OpusHead"))
                    .contains("Ogg Opus"));
    EXPECT_TRUE(problem("HTTP/1.0 200 OK\r\nContent-Type: audio/ogg", oggPage("\x7f"
                                                                              "FLAC"))
                    .contains("FLAC"));
    EXPECT_EQ(problem("HTTP/1.0 200 OK\r\nContent-Type: audio/ogg", oggPage("\1vorbis")), "");

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
