// The command line a desktop entry gives for one file: how a playlist reaches the listener's player.
#include "platform/DefaultApplication.h"

#include <gtest/gtest.h>

using namespace sora;

TEST(DesktopEntryCommand, PutsTheFileForItsFieldCodeUndoesQuotingAndDropsOtherCodes)
{
    const QString file = QStringLiteral("/tmp/a b/station1.pls");
    EXPECT_EQ(desktopEntryCommand(QStringLiteral("vlc --started-from-file %U"), file),
              (QStringList{QStringLiteral("vlc"), QStringLiteral("--started-from-file"), file}));
    // Quoted words keep their spaces and escapes; %i, %c and %k are dropped, "%%" is a percent sign.
    EXPECT_EQ(
        desktopEntryCommand(QStringLiteral(R"("/opt/my player/run" --title "say \"hi\"" %i --at 50%% %f)"),
                            file),
        (QStringList{QStringLiteral("/opt/my player/run"), QStringLiteral("--title"),
                     QStringLiteral(R"(say "hi")"), QStringLiteral("--at"), QStringLiteral("50%"), file}));
    // No field code: the file goes last; one file for several codes.
    EXPECT_EQ(desktopEntryCommand(QStringLiteral("audacious"), file),
              (QStringList{QStringLiteral("audacious"), file}));
    EXPECT_EQ(desktopEntryCommand(QStringLiteral("p %u %F"), file), (QStringList{QStringLiteral("p"), file}));
    EXPECT_TRUE(desktopEntryCommand(QStringLiteral("  "), file).isEmpty());
    // A code inside a word; the entry's own escapes undone before its quoting.
    EXPECT_EQ(desktopEntryCommand(QStringLiteral(R"("/opt/my\splayer" --opt=%f "a\\\\b")"), file),
              (QStringList{QStringLiteral("/opt/my player"), QStringLiteral("--opt=") + file,
                           QStringLiteral(R"(a\b)")}));
}
