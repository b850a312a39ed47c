// Text conversions: code page 932 and the numbers the settings file holds.
#include "app/Conversions.h"
#include "app/Cp932.h"

#include <gtest/gtest.h>

using namespace sora;

TEST(Cp932, EncodesAndDecodesJapaneseText)
{
    EXPECT_EQ(cp932::encode(QStringLiteral("ソラマドORBX")), QByteArray("\x83\x5C\x83\x89\x83}\x83hORBX"));
    EXPECT_EQ(cp932::decode("\x83\x5C\x83\x89\x83}\x83hORBX"), QStringLiteral("ソラマドORBX"));
    EXPECT_EQ(cp932::encode(QStringLiteral("､｡")), QByteArray("\xA4\xA1")); // half-width forms are one byte
    EXPECT_EQ(cp932::encode(QString()), QByteArray());
}

TEST(Cp932, RefusesWhatItCannotHoldInsteadOfWritingQuestionMarks)
{
    EXPECT_FALSE(cp932::encode(QStringLiteral("caf\u00e9")));
    EXPECT_FALSE(cp932::encode(QStringLiteral("\U0001F4FB")));
    EXPECT_FALSE(cp932::encode(QString(QChar(0xD800))));
    // Only a look-alike exists for these: a folder named with one would read back as another.
    EXPECT_FALSE(cp932::encode(QStringLiteral("\u00a3")));
    EXPECT_EQ(cp932::encode(QStringLiteral("\uffe1")), QByteArray("\x81\x92"));
}

TEST(Cp932, InvalidBytesDecodeAsReplacementCharacters)
{
    EXPECT_EQ(cp932::decode("a\x80z"), QStringLiteral("a\uFFFDz"));
    EXPECT_EQ(cp932::decode("ab\x83"), QStringLiteral("ab\uFFFD")); // lead byte cut off at the end
}

TEST(Numbers, ParseDecimalTextOnly)
{
    EXPECT_EQ(parseNumber(u" 12 "), 12.0);
    EXPECT_EQ(parseNumber(u"+3.5"), 3.5);
    EXPECT_EQ(parseNumber(u"-.5"), -0.5);
    EXPECT_EQ(parseNumber(u"5."), 5.0);
    EXPECT_EQ(parseNumber(u"1e3"), 1000.0);
    EXPECT_EQ(parseNumber(u"1E-400"), 0.0);
    for (const char16_t* bad : {u"", u" ", u"abc", u"NaN", u"inf", u"1e309", u"0x10", u"1e", u"1 2", u"--1",
                                u"\uFF11\uFF12", u"12abc", u"."})
        EXPECT_FALSE(parseNumber(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(Numbers, HalvesRoundToEven)
{
    EXPECT_EQ(toInteger(u"2.5"), 2);
    EXPECT_EQ(toInteger(u"3.5"), 4);
    EXPECT_EQ(toInteger(u"-2.5"), -2);
    EXPECT_EQ(toInteger(u"2.51"), 3);
    EXPECT_EQ(toLong(u"0.5"), 0);
}

TEST(Numbers, ValuesOutsideTheirTypeAreUnusable)
{
    EXPECT_EQ(toInteger(u"32767"), 32767);
    EXPECT_EQ(toInteger(u"-32768.5"), -32768);
    EXPECT_FALSE(toInteger(u"32767.5"));
    EXPECT_FALSE(toInteger(u"99999"));
    EXPECT_EQ(toLong(u"2147483647"), 2147483647);
    EXPECT_FALSE(toLong(u"2147483648"));
    EXPECT_FALSE(toSingle(u"1e39"));
    EXPECT_EQ(toSingle(u"5460"), 5460.0f);
}

TEST(Numbers, FormatWithoutSeparatorsAndFractionOnlyWhenThere)
{
    EXPECT_EQ(formatNumber(12720), QStringLiteral("12720"));
    EXPECT_EQ(formatNumber(-15), QStringLiteral("-15"));
    EXPECT_EQ(formatNumber(2.5), QStringLiteral("2.5"));
    EXPECT_EQ(formatNumber(1234567), QStringLiteral("1234567"));
}
