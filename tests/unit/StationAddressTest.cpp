// Query values cut out of station addresses.
#include "station/UrlValue.h"

#include <gtest/gtest.h>

using sora::GetUrlValue;

TEST(GetUrlValue, ReadsTheValueUpToTheNextAmpersand)
{
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a=1&title=Foo&serv=x", "&title="), "Foo");
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a=1&title=A&x=1", "&title="), "A");
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a=1&title=First&title=Second&", "&title="), "First");
}

TEST(GetUrlValue, AValueThatEndsTheAddressIsRead)
{
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a=1&title=Foo", "&title="), "Foo");
}

TEST(GetUrlValue, AnEmptyValueReadsAsEmpty)
{
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a=1&title=&serv=x&port=1", "&title="), "");
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a=1&title=", "&title="), "");
}

TEST(GetUrlValue, KeysMatchExactlyAndNothingIsDecoded)
{
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a=1&Title=Foo&", "&title="), "");
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?title=Foo&", "&title="), "");
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a&title=%E5%A4%A2+x&", "&title="), "%E5%A4%A2+x");
    EXPECT_EQ(GetUrlValue("http://d/s.cgi?a&title=ラジオ夢見&serv=", "&title="), QStringLiteral("ラジオ夢見"));
}

TEST(GetUrlValue, LongAddressesAreNoProblem)
{
    const QString longValue(40000, u'v');
    EXPECT_EQ(GetUrlValue("http://d/?x" + QString(40000, u'p') + "&title=" + longValue + "&z", "&title="), longValue);
}

TEST(IsStationPage, NeedsServAndMountEachAfterAnAmpersandAndNotEmpty)
{
    EXPECT_TRUE(sora::IsStationPage("http://d/s.cgi?ch=1&serv=h&port=8000&mount=/m"));
    EXPECT_FALSE(sora::IsStationPage("http://d/s.cgi?serv=h&port=8000&mount=/m")); // "?serv=" is no "&serv="
    EXPECT_FALSE(sora::IsStationPage("http://d/s.cgi?ch=1&serv=h&mount="));
}
