// How the real browser reports the address of the page shown.
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

TEST(BrowserAddress, JapaneseInAnAddressReadsAsText)
{
    EXPECT_EQ(WebEngineBrowser::displayAddress(QUrl("http://d/s.cgi?ch=1&title=%E3%83%A9%E3%82%B8%E3%82%AA&serv=s&")),
              QStringLiteral("http://d/s.cgi?ch=1&title=ラジオ&serv=s&"));
}
