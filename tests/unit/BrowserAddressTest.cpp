// How the real browser reports the address of the page shown.
#include "station/AddressSpelling.h"
#include "windows/WebEngineBrowser.h"

#include <gtest/gtest.h>

using sora::WebEngineBrowser;

TEST(BrowserAddress, TheBrowsersOwnNormalisationStillCountsAsTheSamePage)
{
    // The browser lowers the host, adds "/" for an empty path, drops a default port and
    // percent-encodes text; the refresh timer compares the text it navigated to exactly.
    EXPECT_TRUE(WebEngineBrowser::sameAddress(QUrl("http://radio.example.net/"), QUrl("http://Radio.Example.NET")));
    EXPECT_TRUE(WebEngineBrowser::sameAddress(QUrl("http://d:80/a.cgi"), QUrl("http://d/a.cgi")));
    EXPECT_TRUE(WebEngineBrowser::sameAddress(QUrl("http://d/s.cgi?title=%E5%A4%A2&x=1"),
                                              QUrl::fromUserInput(QStringLiteral("http://d/s.cgi?title=夢&x=1"))));
    EXPECT_TRUE(WebEngineBrowser::sameAddress(QUrl("http://d/a/../b.cgi"), QUrl("http://d/b.cgi")));
}

TEST(BrowserAddress, AnyOtherDifferenceIsAnotherPage)
{
    EXPECT_FALSE(WebEngineBrowser::sameAddress(QUrl("http://d/A.cgi"), QUrl("http://d/a.cgi")));
    EXPECT_FALSE(WebEngineBrowser::sameAddress(QUrl("http://d/a.cgi?x=1"), QUrl("http://d/a.cgi?x=2")));
    EXPECT_FALSE(WebEngineBrowser::sameAddress(QUrl("http://d:8642/a.cgi"), QUrl("http://d/a.cgi")));
    EXPECT_FALSE(WebEngineBrowser::sameAddress(QUrl("https://d/a.cgi"), QUrl("http://d/a.cgi")));
    EXPECT_FALSE(WebEngineBrowser::sameAddress(QUrl(), QUrl()));
}

TEST(BrowserAddress, EscapesOfAsciiStayAsSpelledAndJapaneseReadsAsText)
{
    // As the engine reports a station link: its own escapes kept, Japanese written raw escaped.
    const QUrl reported = QUrl::fromUserInput(QStringLiteral(
        "http://d/s.cgi?ch=5&title=Kiri%20FM%E3%83%A9+%26%3D%2B%25&serv=127.0.0.1&port=8000&mount=/a%20b&x=ラジオ&"));
    EXPECT_EQ(sora::spelledAddress(reported),
              QStringLiteral("http://d/s.cgi?ch=5&title=Kiri%20FMラ+%26%3D%2B%25&serv=127.0.0.1&port=8000&mount=/a%20b&x=ラジオ&"));
    EXPECT_EQ(sora::spelledAddress(QUrl("http://d/%E3%83%A9/a%2Fb?q=1#%E5%A4%A2%20x")),
              QStringLiteral("http://d/ラ/a%2Fb?q=1#夢%20x"));
}

TEST(BrowserAddress, OnlyWholeWellFormedCharactersAreDecoded)
{
    using sora::decodeUtf8Escapes;
    EXPECT_EQ(decodeUtf8Escapes("%C3%A9%e3%83%a9%F0%9F%98%80"), QStringLiteral("éラ😀"));
    // Cut short, a lone continuation byte, overlong, a surrogate, beyond U+10FFFF, not UTF-8 at all.
    for (const char* kept : {"%E3%83", "%E3%83x", "%83%A9", "%C0%AF", "%E0%80%AF", "%ED%A0%80", "%F4%90%80%80",
                             "%FF%FE", "%E3%83%2", "%E3%8G%A9", "%", "%C3"})
        EXPECT_EQ(decodeUtf8Escapes(kept), QString::fromLatin1(kept)) << kept;
    // A broken sequence does not swallow the character after it.
    EXPECT_EQ(decodeUtf8Escapes("%E3%E3%83%A9%83"), QStringLiteral("%E3ラ%83"));
}

TEST(BrowserAddress, BeyondAsciiIsEscapedForOtherProgramsAndNothingElse)
{
    using sora::asciiAddress;
    EXPECT_EQ(asciiAddress(QStringLiteral("http://127.0.0.1:8000/ラ")), "http://127.0.0.1:8000/%E3%83%A9");
    const QString ascii = QStringLiteral("http://h:1/a%20b c+%e3%83%a9?x=&#~\\t");
    EXPECT_EQ(asciiAddress(ascii), ascii);
    EXPECT_EQ(asciiAddress(QStringLiteral("/é😀")), "/%C3%A9%F0%9F%98%80");
    // Escaping and reading back meet: what the browser shows is what the stream server is asked for.
    EXPECT_EQ(sora::decodeUtf8Escapes(asciiAddress(QStringLiteral("/深夜の灯台%20x")).toLatin1()),
              QStringLiteral("/深夜の灯台%20x"));
}
