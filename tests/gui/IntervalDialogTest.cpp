// The reload-interval dialog: stepping, closing with and without a change, typed text, and the
// hidden key sequence in its box.
#include "Harness.h"
#include "dialogs/Module2.h"
#include "dialogs/frmTimeInterval.h"
#include "platform/Twips.h"

#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

const QString kAsk = QStringLiteral("変更を保存しますか？");

struct Dialog
{
    Harness h;
    QPointer<frmTimeInterval> d;

    explicit Dialog(qint16 interval = 5)
    {
        EXPECT_TRUE(h.load());
        gTimeInterval = interval;
        d = open();
    }
    frmTimeInterval* open()
    {
        h.main().M_Config_Click();
        return h.main().timeIntervalDialog();
    }
    // Closes through the close box; true once the dialog is gone.
    bool close()
    {
        d->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return d.isNull() && !h.main().timeIntervalDialog();
    }
    void key(int qtKey, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             bool autoRepeat = false)
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text, autoRepeat);
        QCoreApplication::sendEvent(d->txt_TimeInterval, &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text, autoRepeat);
        QCoreApplication::sendEvent(d->txt_TimeInterval, &release);
    }
    void type(const QString& letters)
    {
        for (const QChar c : letters)
            key(Qt::Key_A + (c.toUpper().unicode() - 'A'), QString(c));
    }
    QString text() const { return d->txt_TimeInterval->text(); }
};

} // namespace

TEST(IntervalDialog, LoadsTheIntervalIntoItsPlacesAndFonts)
{
    Dialog t(5);
    frmTimeInterval* d = t.d;
    ASSERT_TRUE(d);
    EXPECT_EQ(t.text(), QStringLiteral("5"));
    EXPECT_EQ(d->mLoadedInterval, 5);
    EXPECT_EQ(d->mHidden.mKeyPos, 0);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("タイマー設定"));
    EXPECT_EQ(d->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(d->size(), QSize(twips::toSizePixelsX(3285), twips::toSizePixelsY(540)));
    EXPECT_EQ(d->cmdMinus->geometry(), QRect(twips::toPixelsX(570), twips::toPixelsY(240),
                                             twips::toSizePixelsX(435), twips::toSizePixelsY(195)));
    EXPECT_EQ(d->Label1->text(), QStringLiteral("分毎に番組表を更新する"));
    EXPECT_EQ(d->cmdPlus->font().pointSize(), 6);
    EXPECT_EQ(d->txt_TimeInterval->font().pointSize(), 9);
    // Tab order: the box, the label, ▲, ▼.
    EXPECT_EQ(d->txt_TimeInterval->nextInFocusChain(), d->Label1);
    EXPECT_EQ(d->Label1->nextInFocusChain(), d->cmdPlus);
    EXPECT_EQ(d->cmdPlus->nextInFocusChain(), d->cmdMinus);
    // Modeless: the main window stays usable.
    EXPECT_FALSE(d->isModal());
    EXPECT_TRUE(d->isVisible());
}

TEST(IntervalDialog, ClosingWithoutANumericChangeAsksNothing)
{
    {
        Dialog t(5);
        EXPECT_TRUE(t.close());
        EXPECT_TRUE(t.h.messages.shown.isEmpty());
    }
    {
        // ▲ then ▼, and text that reads as the same number.
        Dialog t(5);
        t.d->cmdPlus->click();
        EXPECT_EQ(t.text(), QStringLiteral("6"));
        t.d->cmdMinus->click();
        t.d->txt_TimeInterval->setText(QStringLiteral(" 5.0 "));
        EXPECT_TRUE(t.close());
        EXPECT_TRUE(t.h.messages.shown.isEmpty());
        EXPECT_EQ(gTimeInterval, 5);
    }
}

TEST(IntervalDialog, AChangeIsTakenOverOnlyOnYesAndNotWrittenToTheFile)
{
    for (const MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        Dialog t(5);
        const QByteArray ini = t.h.readIni();
        t.d->cmdPlus->click();
        t.d->cmdPlus->click();
        t.h.messages.answers << answer;
        EXPECT_TRUE(t.close());
        ASSERT_EQ(t.h.messages.shown.size(), 1);
        EXPECT_EQ(t.h.messages.shown[0].text, kAsk);
        EXPECT_EQ(t.h.messages.shown[0].buttons, MsgButtons::YesNo);
        EXPECT_EQ(t.h.messages.shown[0].icon, MsgIcon::Question);
        EXPECT_EQ(gTimeInterval, answer == MsgResult::Yes ? 7 : 5);
        EXPECT_EQ(t.h.readIni(), ini);

        // Reopened, it loads afresh from the value now in force.
        t.d = t.open();
        EXPECT_EQ(t.text(), QString::number(gTimeInterval));
        EXPECT_EQ(t.d->mLoadedInterval, gTimeInterval);
    }
}

TEST(IntervalDialog, TypedTextThatIsNoWholeSixteenBitNumberIsRefused)
{
    for (const QString& typed : {QStringLiteral("abc"), QStringLiteral(""), QStringLiteral("2.5"),
                                 QStringLiteral("40000"), QStringLiteral("1e309"), QStringLiteral("5x")}) {
        Dialog t(5);
        t.d->txt_TimeInterval->setText(typed);
        EXPECT_TRUE(t.close()) << typed.toStdString();
        EXPECT_FALSE(t.h.end.ended);
        ASSERT_EQ(t.h.messages.shown.size(), 1) << typed.toStdString();
        EXPECT_NE(t.h.messages.shown[0].text, kAsk);
        EXPECT_EQ(t.h.messages.shown[0].buttons, MsgButtons::Ok);
        EXPECT_EQ(gTimeInterval, 5) << typed.toStdString();
    }
    // A whole number outside the steps' range still fits and is the user's to choose.
    Dialog t(5);
    t.d->txt_TimeInterval->setText(QStringLiteral("120"));
    t.h.messages.answers << MsgResult::Yes;
    EXPECT_TRUE(t.close());
    EXPECT_EQ(gTimeInterval, 120);
}

TEST(IntervalDialog, EscapeAndReturnNeitherCloseNorStep)
{
    Dialog t(5);
    t.key(Qt::Key_Escape);
    t.key(Qt::Key_Return);
    EXPECT_TRUE(t.d->isVisible());
    EXPECT_EQ(t.text(), QStringLiteral("5"));
    EXPECT_TRUE(t.h.messages.shown.isEmpty());
}

TEST(IntervalDialog, TheHiddenSequenceInTheBoxWritesTheReadme)
{
    Dialog t(5);
    const QByteArray ini = t.h.readIni();
    t.d->txt_TimeInterval->end(false);
    t.type(QStringLiteral("premiumorb"));
    // The keys reach the box unchanged.
    EXPECT_EQ(t.text(), QStringLiteral("5premiumorb"));
    ASSERT_EQ(t.h.messages.shown.size(), 1);
    EXPECT_EQ(t.h.messages.shown[0].icon, MsgIcon::Information);
    EXPECT_TRUE(t.h.messages.shown[0].text.startsWith(
        QStringLiteral("次回から、Premiumバージョンとして起動します。\r\n")));
    QFile readme(ReadmePath(t.h.folder()));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    EXPECT_EQ(readme.readAll(), ReadmeBytes());
    // Nothing else changes.
    EXPECT_EQ(t.h.readIni(), ini);
    EXPECT_EQ(gTimeInterval, 5);
    EXPECT_FALSE(gPremium);
}

TEST(IntervalDialog, ModifierKeysAndRepeatsAreKeysOfTheSequenceToo)
{
    Dialog t(5);
    t.type(QStringLiteral("prem"));
    t.key(Qt::Key_Shift, {}, Qt::ShiftModifier);
    t.type(QStringLiteral("iumorb"));
    EXPECT_TRUE(t.h.messages.shown.isEmpty());

    t.type(QStringLiteral("p"));
    t.key(Qt::Key_P, QStringLiteral("p"), Qt::NoModifier, true); // held down: an auto-repeat
    t.type(QStringLiteral("remiumorb"));
    EXPECT_TRUE(t.h.messages.shown.isEmpty());

    // Reopening starts the matcher over.
    t.type(QStringLiteral("premi"));
    t.h.messages.answers << MsgResult::No;
    t.d->txt_TimeInterval->setText(QStringLiteral("5"));
    ASSERT_TRUE(t.close());
    t.d = t.open();
    EXPECT_EQ(t.d->mHidden.mKeyPos, 0);
    t.type(QStringLiteral("umorb"));
    EXPECT_TRUE(t.h.messages.shown.isEmpty());
    t.type(QStringLiteral("premiumorb"));
    EXPECT_EQ(t.h.messages.shown.size(), 1);
}
