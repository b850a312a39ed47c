// The settings engine on raw bytes: how values are found, cut and written back.
#include "app/ProfileDocument.h"

#include <gtest/gtest.h>

using sora::ProfileDocument;

namespace {

std::optional<QByteArray> read(const QByteArray& file, const char* section, const char* key)
{
    return ProfileDocument::parse(file).value(section, key);
}

QByteArray write(const QByteArray& file, const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    ProfileDocument doc = ProfileDocument::parse(file);
    EXPECT_TRUE(doc.setValue(section, key, value));
    return doc.serialize();
}

} // namespace

TEST(ProfileRead, FindsValuesAcrossLineEndsBlanksAndLetterCase)
{
    const QByteArray file = "\xEF\xBB\xBF[MainForm]\r\n  top =  12  \rLEFT=\t7\n[ subform ]\r\nCount=3";
    EXPECT_EQ(read(file, "MainForm", "Top"), QByteArray("12"));
    EXPECT_EQ(read(file, "mainform", "left"), QByteArray("7"));
    EXPECT_EQ(read(file, "SubForm", "COUNT"), QByteArray("3"));
}

TEST(ProfileRead, MissingIsDistinctFromEmpty)
{
    const QByteArray file = "[A]\r\nEmpty=\r\nNoEquals\r\n;Comment=1\r\n";
    EXPECT_EQ(read(file, "A", "Empty"), QByteArray(""));
    EXPECT_FALSE(read(file, "A", "NoEquals"));
    EXPECT_FALSE(read(file, "A", ";Comment"));
    EXPECT_FALSE(read(file, "A", "Missing"));
    EXPECT_FALSE(read(file, "B", "Empty"));
    EXPECT_FALSE(read("", "A", "Empty"));
}

TEST(ProfileRead, FirstSectionAndFirstKeyWinAndPreambleIsUnreachable)
{
    const QByteArray file = "Top=9\r\n[A]\r\nK=1\r\nk=2\r\n[a]\r\nK=3\r\nOnlyLater=4\r\n";
    EXPECT_EQ(read(file, "A", "K"), QByteArray("1"));
    EXPECT_FALSE(read(file, "A", "OnlyLater"));
    EXPECT_FALSE(read(file, "", "Top"));
}

TEST(ProfileRead, SectionHeadersTolerateMissingBracketAndTrailingText)
{
    EXPECT_EQ(read("[A\r\nK=1\r\n", "A", "K"), QByteArray("1"));
    EXPECT_EQ(read("  [A] trailing ; text\r\nK=2\r\n", "A", "K"), QByteArray("2"));
}

TEST(ProfileRead, OnePairOfMatchingQuotesIsRemoved)
{
    const QByteArray file = "[U]\r\nA=\"http://x/\"\r\nB='q'\r\nC=\"\"x\"\"\r\nD=\"open\r\nE=\"mixed'\r\nF=\"\r\n";
    EXPECT_EQ(read(file, "U", "A"), QByteArray("http://x/"));
    EXPECT_EQ(read(file, "U", "B"), QByteArray("q"));
    EXPECT_EQ(read(file, "U", "C"), QByteArray("\"x\""));
    EXPECT_EQ(read(file, "U", "D"), QByteArray("\"open"));
    EXPECT_EQ(read(file, "U", "E"), QByteArray("\"mixed'"));
    EXPECT_EQ(read(file, "U", "F"), QByteArray("\""));
}

TEST(ProfileRead, TwoByteCharactersNeverEndNamesOrChangeCase)
{
    // "ソ" is 0x83 0x5C, "ゾ" 0x83 0x5D (a "]" trail), "ゼ" 0x83 0x5B, "ア" 0x83 0x41 (an "A" trail).
    const QByteArray file = "[\x83\x5D\x83\x5C]\r\n\x83\x5B\x83\x41=\x83\x5C\r\n\x83\x61=lower\r\n";
    EXPECT_EQ(read(file, "\x83\x5D\x83\x5C", "\x83\x5B\x83\x41"), QByteArray("\x83\x5C"));
    // Folding letter case must not turn the trail byte "A" (0x41) into "a" (0x61).
    EXPECT_FALSE(read(file, "\x83\x5D\x83\x5C", "\x83\x5B\x83\x61"));
    EXPECT_EQ(read(file, "\x83\x5D\x83\x5C", "\x83\x61"), QByteArray("lower"));
}

TEST(ProfileRead, LongValuesAreCutWithoutSplittingACharacter)
{
    const QByteArray ascii(300, 'v');
    EXPECT_EQ(read("[A]\r\nK=" + ascii + "\r\n", "A", "K"), ascii.left(255));
    // 254 single bytes, then a two-byte character whose lead byte would be byte 255.
    const QByteArray mixed = QByteArray(254, 'v') + "\x83\x5C" + "tail";
    EXPECT_EQ(read("[A]\r\nK=" + mixed + "\r\n", "A", "K"), mixed.left(254));
    // 253 single bytes and one two-byte character fit exactly.
    const QByteArray exact = QByteArray(253, 'v') + "\x83\x5C" + "tail";
    EXPECT_EQ(read("[A]\r\nK=" + exact + "\r\n", "A", "K"), exact.left(255));
}

TEST(ProfileWrite, ReplacesTheFirstKeyInPlaceKeepingEveryOtherByte)
{
    const QByteArray file = "; kept\r[Other]\n\xFF\xFE junk\r\n[MainForm]\r\n  tOp = 1 \rLeft=2\r\n[MainForm]\r\nTop=3";
    EXPECT_EQ(write(file, "mainform", "TOP", " 50 "),
              QByteArray("; kept\r[Other]\n\xFF\xFE junk\r\n[MainForm]\r\ntOp= 50 \r\nLeft=2\r\n[MainForm]\r\nTop=3"));
}

TEST(ProfileWrite, AddsAMissingKeyAfterTheSectionsLastNonBlankLine)
{
    const QByteArray file = "[SubForm]\r\nForm1Top=0\r\nForm2Top=0\r\n\r\n  \r\n[URL]\r\nUrl1=x\r\n";
    EXPECT_EQ(write(file, "SubForm", "Form3Top", "15"),
              QByteArray("[SubForm]\r\nForm1Top=0\r\nForm2Top=0\r\nForm3Top=15\r\n\r\n  \r\n[URL]\r\nUrl1=x\r\n"));
    EXPECT_EQ(write("[A]", "A", "K", "v"), QByteArray("[A]\r\nK=v\r\n"));
    EXPECT_EQ(write("[A]\nX=1", "A", "K", "v"), QByteArray("[A]\nX=1\r\nK=v\r\n"));
}

TEST(ProfileWrite, AddsAMissingSectionAtTheEndWithoutBlankLines)
{
    EXPECT_EQ(write("", "Setting", "RF", "/x/"), QByteArray("[Setting]\r\nRF=/x/\r\n"));
    EXPECT_EQ(write("[A]\r\nK=1\r\n", "B", "K", "2"), QByteArray("[A]\r\nK=1\r\n[B]\r\nK=2\r\n"));
    EXPECT_EQ(write("[A]\r\nK=1", "B", "K", "2"), QByteArray("[A]\r\nK=1\r\n[B]\r\nK=2\r\n"));
    EXPECT_EQ(write("\xEF\xBB\xBFjunk", "B", "K", "2"), QByteArray("\xEF\xBB\xBFjunk\r\n[B]\r\nK=2\r\n"));
}

TEST(ProfileWrite, KeysAddedOneAfterAnotherKeepTheirOrderAndReadBack)
{
    ProfileDocument doc;
    for (int i = 1; i <= 3; ++i)
        ASSERT_TRUE(doc.setValue("SubForm", "Form" + QByteArray::number(i) + "Top", QByteArray::number(i * 15)));
    ASSERT_TRUE(doc.setValue("SubForm", "form2top", "99"));
    EXPECT_EQ(doc.serialize(), QByteArray("[SubForm]\r\nForm1Top=15\r\nForm2Top=99\r\nForm3Top=45\r\n"));
    EXPECT_EQ(ProfileDocument::parse(doc.serialize()).value("SUBFORM", "FORM2TOP"), QByteArray("99"));
}

TEST(ProfileWrite, RefusesWhatOneLineCannotHold)
{
    ProfileDocument doc = ProfileDocument::parse("[A]\r\nK=1\r\n");
    const QByteArray before = doc.serialize();
    EXPECT_FALSE(doc.setValue("A", "K", "two\r\nlines"));
    EXPECT_FALSE(doc.setValue("A", "K=", "1"));
    EXPECT_FALSE(doc.setValue("A", "[K", "1"));
    EXPECT_FALSE(doc.setValue("A", ";K", "1"));
    EXPECT_FALSE(doc.setValue("A", "  ", "1"));
    EXPECT_FALSE(doc.setValue("A]", "K", "1"));
    EXPECT_FALSE(doc.setValue("A", "K\x83", "1")); // a lone lead byte would swallow the "="
    EXPECT_EQ(doc.serialize(), before);
    // A "]" or "=" as the trail byte of a two-byte character is fine.
    EXPECT_TRUE(doc.setValue("\x83\x5D", "\x83\x5D", "ok"));
    EXPECT_EQ(ProfileDocument::parse(doc.serialize()).value("\x83\x5D", "\x83\x5D"), QByteArray("ok"));
}
