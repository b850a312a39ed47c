// The configuration dialog of recording mode: its controls, the interval steps, the folder
// chooser and every way of closing it.
#include "Harness.h"
#include "dialogs/frmConfig.h"
#include "platform/Twips.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

class ConfigDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        h.enableRecording();
        ASSERT_TRUE(h.load());
        gRecFolder = "/srv/rec/";
        gTimeInterval = 5;
        dialog = open();
        ASSERT_NE(dialog, nullptr);
        iniBefore = h.readIni();
    }
    frmConfig* open()
    {
        h.main().M_Config_Click();
        return h.main().configDialog();
    }
    void edit(const QString& folder, const QString& interval)
    {
        dialog->txtRecFolder->setText(folder);
        dialog->txt_TimeInterval->setText(interval);
    }
    // Through the close box, answering the questions in turn; true when the dialog went away.
    bool closeWith(QList<MsgResult> answers)
    {
        h.messages.answers = std::move(answers);
        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return h.main().configDialog() == nullptr;
    }

    Harness h;
    frmConfig* dialog = nullptr;
    QByteArray iniBefore;
};

} // namespace

TEST_F(ConfigDialogTest, OpensFixedSizedWithTheSharedValuesAndItsTabOrder)
{
    EXPECT_EQ(dialog->windowTitle(), "設定");
    EXPECT_EQ(dialog->size(), QSize(twips::toPixelsX(9810), twips::toPixelsY(1740)));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_EQ(dialog->txtRecFolder->text(), "/srv/rec/");
    EXPECT_EQ(dialog->txt_TimeInterval->text(), "5");
    QList<QWidget*> order{dialog->txtRecFolder};
    for (QWidget* w = order[0]->nextInFocusChain(); w != order[0]; w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
    EXPECT_EQ(order, (QList<QWidget*>{dialog->txtRecFolder, dialog->cmdDir1, dialog->cmdMinus,
                                      dialog->cmdPlus, dialog->txt_TimeInterval}));
}

TEST_F(ConfigDialogTest, TheArrowsStepWithinOneToNinetyNine)
{
    const auto after = [this](const QString& text, QPushButton* button) {
        dialog->txt_TimeInterval->setText(text);
        button->click();
        return dialog->txt_TimeInterval->text();
    };
    EXPECT_EQ(after("99", dialog->cmdPlus), "99");
    EXPECT_EQ(after("1", dialog->cmdPlus), "2");
    EXPECT_EQ(after("1", dialog->cmdMinus), "1");
    EXPECT_EQ(after("150", dialog->cmdMinus), "149");
}

TEST_F(ConfigDialogTest, TheChooserFillsTheFolderUpToItsLastSeparator)
{
    h.folders.chosen = "/music/rec dir/";
    dialog->cmdDir1->click();
    EXPECT_EQ(h.folders.titles, QStringList{"録音フォルダ設定"});
    EXPECT_EQ(dialog->txtRecFolder->text(), "/music/rec dir/");
    h.folders.chosen = "/music/other/a.mp3";
    dialog->cmdDir1_Click();
    EXPECT_EQ(dialog->txtRecFolder->text(), "/music/other/");
    h.folders.chosen = "--ファイル名は無視されます--";
    dialog->cmdDir1_Click();
    EXPECT_EQ(dialog->txtRecFolder->text(), "");
    // Cancelled, it leaves the box as it was, even without a trailing separator.
    dialog->txtRecFolder->setText("/typed/by hand");
    h.folders.cancels = true;
    dialog->cmdDir1_Click();
    EXPECT_EQ(dialog->txtRecFolder->text(), "/typed/by hand");
}

TEST_F(ConfigDialogTest, NoClosesAndChangesNothing)
{
    edit("/elsewhere/", "9");
    EXPECT_TRUE(closeWith({MsgResult::No}));
    ASSERT_EQ(h.messages.texts(), QStringList{"保存しますか？"});
    EXPECT_EQ(h.messages.shown[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(gRecFolder, "/srv/rec/");
    EXPECT_EQ(gTimeInterval, 5);
    EXPECT_EQ(h.readIni(), iniBefore);
    dialog = open();
    EXPECT_EQ(dialog->txtRecFolder->text(), "/srv/rec/");
}

TEST_F(ConfigDialogTest, CancelAndAnEmptyFolderKeepItOpenWithItsEdits)
{
    edit("/edited/", "7");
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &escape); // only the close box closes it
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(closeWith({MsgResult::Cancel}));
    EXPECT_EQ(h.messages.texts(), QStringList{"保存しますか？"});
    // "設定" again brings the same dialog forward, edits and all.
    EXPECT_EQ(open(), dialog);
    EXPECT_EQ(dialog->txt_TimeInterval->text(), "7");

    dialog->txtRecFolder->clear();
    EXPECT_FALSE(closeWith({MsgResult::Yes}));
    ASSERT_EQ(h.messages.shown.size(), 3);
    EXPECT_EQ(h.messages.shown[2].text, "保存パスは必ず設定してください。");
    EXPECT_EQ(h.messages.shown[2].icon, MsgIcon::Information);
    EXPECT_EQ(gTimeInterval, 5);
    EXPECT_EQ(h.readIni(), iniBefore);
}

TEST_F(ConfigDialogTest, YesWritesOnlyTheFolderAndTakesBothValuesOver)
{
    edit("/home/u/rec dir/", "12");
    EXPECT_TRUE(closeWith({MsgResult::Yes}));
    EXPECT_EQ(gRecFolder, "/home/u/rec dir/");
    EXPECT_EQ(gTimeInterval, 12);
    QByteArray expected = iniBefore;
    const qsizetype at = expected.indexOf("RF=");
    expected.replace(at, expected.indexOf("\r\n", at) - at, "RF=/home/u/rec dir/");
    EXPECT_EQ(h.readIni(), expected); // the interval waits for the save at exit
    dialog = open();
    EXPECT_EQ(dialog->txt_TimeInterval->text(), "12");
}

TEST_F(ConfigDialogTest, TypedTextThatCannotBeKeptIsRefusedAndNothingIsSaved)
{
    const QList<QStringList> cases = {{"/r/", "abc"}, {"/r/", "2.5"}, {"/r/", "32768"},
                                      {"/r/", ""},    {"/r/🎵/", "5"}, {"/r/a\nb/", "5"}};
    for (const QStringList& c : cases) {
        edit(c[0], c[1]);
        h.messages.shown.clear();
        EXPECT_FALSE(closeWith({MsgResult::Yes})) << c.join('|').toStdString();
        ASSERT_EQ(h.messages.shown.size(), 2);
        EXPECT_EQ(h.messages.shown[1].buttons, MsgButtons::Ok);
    }
    EXPECT_FALSE(h.end.ended);
    EXPECT_EQ(gRecFolder, "/srv/rec/");
    EXPECT_EQ(gTimeInterval, 5);
    EXPECT_EQ(h.readIni(), iniBefore);
}

TEST_F(ConfigDialogTest, AFailedWriteSaysSoAndEndsTheProgram)
{
    gIniPath = QDir(h.folder()).filePath("missing/SoraWindowEX.ini");
    edit("/new/", "8");
    h.messages.answers = {MsgResult::Yes};
    bool cancel = false;
    EXPECT_EQ(endsProcess([&] { dialog->Form_Unload(cancel); }), 1);
    EXPECT_EQ(h.messages.texts(), (QStringList{"保存しますか？", "設定保存に失敗しますた。"}));
    EXPECT_EQ(h.messages.shown[1].icon, MsgIcon::Exclamation);
}

TEST_F(ConfigDialogTest, ClosingTheProgramDoesNotAsk)
{
    edit("/unsaved/", "5");
    EXPECT_EQ(endsProcess([this] { h.main().MDIForm_QueryUnload(); }), 0);
    EXPECT_FALSE(h.messages.texts().contains("保存しますか？"));
    EXPECT_EQ(gRecFolder, "/srv/rec/");
}
