// The hidden key sequence of the reload-interval dialog and what its firing does.
#include "dialogs/HiddenCommand.h"
#include "Fakes.h"
#include "dialogs/Module2.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace sora;

namespace {

struct Matcher
{
    int fired = 0;
    HiddenCommand hidden{[this] { ++fired; }};

    Matcher() { hidden.Load(); }
    void type(const char* keys)
    {
        for (const char* k = keys; *k; ++k)
            hidden.CheckHiddenKey(static_cast<qint16>(*k));
    }
};

} // namespace

TEST(HiddenCommand, LoadFillsTheTenKeysAndLeavesTheLastEntryZero)
{
    Matcher m;
    m.hidden.mKeyPos = 7;
    m.hidden.mHiddenKeys.fill(-1);
    m.hidden.Load();
    EXPECT_EQ(m.hidden.mKeyPos, 0);
    EXPECT_EQ(m.hidden.mHiddenKeys,
              (std::array<qint16, 11>{'P', 'R', 'E', 'M', 'I', 'U', 'M', 'O', 'R', 'B', -1}));
    Matcher fresh;
    EXPECT_EQ(fresh.hidden.mHiddenKeys[10], 0);
}

TEST(HiddenCommand, TenMatchingKeysInARowFireOnce)
{
    Matcher m;
    m.type("PREMIUMOR");
    EXPECT_EQ(m.fired, 0);
    EXPECT_EQ(m.hidden.mKeyPos, 9);
    m.type("B");
    EXPECT_EQ(m.fired, 1);
    EXPECT_EQ(m.hidden.mKeyPos, 10);
}

TEST(HiddenCommand, AMismatchStartsOverAndIsItselfDiscarded)
{
    Matcher m;
    // The third key equals the first of the sequence, yet only breaks the attempt.
    m.type("PRPREMIUMORB");
    EXPECT_EQ(m.fired, 0);
    EXPECT_EQ(m.hidden.mKeyPos, 0);

    // The attempt after a mismatch begins with the key that follows it.
    m.type("PRXPREMIUMORB");
    EXPECT_EQ(m.fired, 1);

    // Case and shift do not exist here: a Shift key-down is a key of its own.
    Matcher shifted;
    shifted.type("PRE\x10MIUMORB");
    EXPECT_EQ(shifted.fired, 0);
    // So are the repeats of a held key.
    Matcher repeated;
    repeated.type("PPREMIUMORB");
    EXPECT_EQ(repeated.fired, 0);
}

TEST(HiddenCommand, TheKeyAfterAFiringOnlyStartsOverThenItFiresAgain)
{
    Matcher m;
    m.type("PREMIUMORB");
    ASSERT_EQ(m.fired, 1);
    // Straight after a firing even the first key of the sequence is compared with entry 10.
    m.type("PREMIUMORB");
    EXPECT_EQ(m.fired, 1);
    EXPECT_EQ(m.hidden.mKeyPos, 0);
    m.type("PREMIUMORB");
    EXPECT_EQ(m.fired, 2);

    // Entry 10 holds 0, but a 0 is no key: it must not count as a match past the table.
    m.hidden.CheckHiddenKey(0);
    EXPECT_EQ(m.fired, 2);
    EXPECT_EQ(m.hidden.mKeyPos, 0);
}

namespace {

// Notes whether the readme was already there when each box was shown.
class RecordingBoxes final : public MessageBoxes
{
public:
    QString readme;
    QList<bool> readmeExisted;
    fakes::FakeMessageBoxes boxes;
    MsgResult show(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon) override
    {
        readmeExisted << QFile::exists(readme);
        return boxes.show(parent, text, buttons, icon);
    }
};

} // namespace

TEST(HiddenCommandFiring, TellsTheUserThenWritesTheReadme)
{
    QTemporaryDir dir;
    RecordingBoxes boxes;
    boxes.readme = ReadmePath(dir.path());
    FireHiddenCommand(boxes, dir.path(), nullptr);

    const auto& shown = boxes.boxes.shown;
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QStringLiteral("次回から、Premiumバージョンとして起動します。\r\n"
                                            "変更を有効にするため、アプリケーションを再起動してください。\r\n"
                                            "また、Readme2.txtを参照してください。"));
    EXPECT_EQ(shown[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(shown[0].icon, MsgIcon::Information);
    EXPECT_EQ(boxes.readmeExisted, QList<bool>{false});
    QFile f(boxes.readme);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), ReadmeBytes());
}
