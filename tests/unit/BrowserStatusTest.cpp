// The status texts the real browser reports while the pointer moves over links.
#include "windows/WebEngineBrowser.h"

#include <gtest/gtest.h>

using sora::WebEngineBrowser;

TEST(BrowserStatus, ALinkShowsItsAddressUntilThePointerLeavesIt)
{
    bool overLink = false;
    // A page opening says "no link" though none was hovered: the status text stays as it is.
    EXPECT_EQ(WebEngineBrowser::hoverStatus(QString(), overLink), std::nullopt);
    EXPECT_FALSE(overLink);

    EXPECT_EQ(WebEngineBrowser::hoverStatus(QStringLiteral("http://d/s.cgi?title=%E5%A4%A2&x=1"), overLink),
              QStringLiteral("http://d/s.cgi?title=夢&x=1"));
    EXPECT_EQ(WebEngineBrowser::hoverStatus(QStringLiteral("http://d/other.cgi"), overLink),
              QStringLiteral("http://d/other.cgi"));
    // Leaving the link clears it, once.
    EXPECT_EQ(WebEngineBrowser::hoverStatus(QString(), overLink), QString());
    EXPECT_FALSE(overLink);
    EXPECT_EQ(WebEngineBrowser::hoverStatus(QString(), overLink), std::nullopt);
}
