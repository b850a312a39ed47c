// readme2.txt byte for byte, and what happens when it cannot be written.
#include "Fakes.h"
#include "dialogs/HiddenCommand.h"
#include "dialogs/Module2.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <tuple>

#include <gtest/gtest.h>

using namespace sora;

namespace {

QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast(); // after the last line's break
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r'));
        line.chop(1);
    }
    return lines;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

TEST(Readme, EveryLineHasItsLengthInCodePage932AndEndsInCrLf)
{
    const QByteArray bytes = ReadmeBytes();
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    EXPECT_FALSE(bytes.endsWith("\r\n\r\n"));
    EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n"));
    const QList<QByteArray> lines = linesOf(bytes);
    ASSERT_EQ(lines.size(), 36);
    const QList<int> lengths = {77, 0,  30, 0,  77, 77, 0,  77, 0,  77, 52, 83, 130, 102, 82,  30,  23, 30,
                                88, 94, 84, 87, 93, 71, 97, 54, 42, 93, 71, 30, 6,   30,  134, 114, 96, 56};
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(lines[i].size(), lengths[i]) << "line " << i + 1;

    EXPECT_EQ(lines[0], QByteArray(77, '='));
    EXPECT_EQ(lines[9], lines[0]);
    for (int i : {15, 17, 29, 31})
        EXPECT_EQ(lines[i], QByteArray(30, '-')) << "line " << i + 1;
    // Half-width "､" and "｡" are one byte each; the line ends in one space.
    EXPECT_TRUE(lines[19].endsWith("\xA1 "));
    EXPECT_TRUE(lines[19].contains("streamripper.exe\xA4tre.dll"));
    EXPECT_FALSE(lines[19].endsWith("  "));
    EXPECT_EQ(lines[2], QByteArray("          \x83\x5C\x83\x89\x83\x7D\x83\x68ORBX Premium"));
}

TEST(Readme, TheTitleBlockIsRightAlignedUnderTheRule)
{
    const QList<QByteArray> lines = linesOf(ReadmeBytes());
    ASSERT_EQ(lines.size(), 36);
    // line, leading spaces, characters after them (line 8 has five double-byte ones)
    for (const auto& [line, spaces, characters] : {std::tuple{5, 46, 31}, {6, 55, 22}, {8, 49, 23}}) {
        const QString text = ReadmeLines().at(line - 1);
        EXPECT_EQ(lines[line - 1].size(), 77) << "line " << line;
        EXPECT_EQ(text.size() - text.trimmed().size(), spaces) << "line " << line;
        EXPECT_EQ(text.trimmed().size(), characters) << "line " << line;
    }
    // Made-up addresses under a domain reserved for examples.
    EXPECT_TRUE(ReadmeLines().at(4).contains(QStringLiteral(".example.")));
    EXPECT_TRUE(ReadmeLines().at(5).contains(QStringLiteral(".example.")));
}

TEST(Readme, TheWholeFileIsExactlyTheseBytes)
{
    // Encoded independently of the program's converter.
    EXPECT_EQ(ReadmeBytes().size(), 2359);
    EXPECT_EQ(QCryptographicHash::hash(ReadmeBytes(), QCryptographicHash::Sha256).toHex(),
              "ab0cfdbd205aa0892d05acddfede881869556f7a10c85f79aa0df4f066286b0a");
}

TEST(Readme, WritingReplacesAnEarlierFile)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("readme2.txt"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'x'));
    }
    ASSERT_TRUE(WriteReadme(dir.path()));
    EXPECT_EQ(readFile(path), ReadmeBytes());
    ASSERT_TRUE(WriteReadme(dir.path()));
    EXPECT_EQ(readFile(path), ReadmeBytes());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("readme2.txt")});
}

TEST(Readme, AReadOnlyFolderIsReportedAndNothingEnds)
{
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0555), 0);
    fakes::FakeMessageBoxes boxes;
    FireHiddenCommand(boxes, dir.path(), nullptr);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);

    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[1].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(boxes.shown[1].text.startsWith(QStringLiteral("readme2.txtを作成できませんでした。")));
    EXPECT_TRUE(boxes.shown[1].text.contains(ReadmePath(dir.path())));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}
