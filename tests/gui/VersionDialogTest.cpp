// The version dialog, and how the menu shows the dialogs.
#include "Harness.h"
#include "dialogs/Form3.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmTimeInterval.h"
#include "platform/Twips.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

TEST(VersionDialog, ShowsTheVersionAndClosesWithOk)
{
    Harness h;
    ASSERT_TRUE(h.load());
    h.main().M_Ver_Click();
    Form3* d = h.main().versionDialog();
    ASSERT_TRUE(d);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(d->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(d->size(), QSize(twips::toSizePixelsX(3720), twips::toSizePixelsY(1530)));
    EXPECT_EQ(d->Label1->text(), QStringLiteral("ソラマドORBX"));
    EXPECT_EQ(d->Label1->font().pointSize(), 12);
    EXPECT_EQ(d->lbl_Version->text(), QStringLiteral("Version 0.7"));
    EXPECT_EQ(d->lbl_Version->alignment(), Qt::AlignCenter);
    EXPECT_EQ(d->Command1->text(), QStringLiteral("OK"));
    EXPECT_FALSE(d->Label3->text().isEmpty());
    EXPECT_FALSE(d->isModal());

    d->Command1->click();
    flushDeletes();
    EXPECT_FALSE(h.main().versionDialog());
}

TEST(VersionDialog, RecordingModeAddsPremiumOncePerOpening)
{
    Harness h;
    h.enableRecording();
    ASSERT_TRUE(h.load());
    ASSERT_TRUE(gPremium);
    for (int round = 0; round < 3; ++round) {
        h.main().M_Ver_Click();
        Form3* d = h.main().versionDialog();
        ASSERT_TRUE(d);
        EXPECT_EQ(d->lbl_Version->text(), QStringLiteral("Version 0.7 Premium"));
        // A click while it is open brings the same dialog forward, unchanged.
        h.main().M_Ver_Click();
        EXPECT_EQ(h.main().versionDialog(), d);
        EXPECT_EQ(d->lbl_Version->text(), QStringLiteral("Version 0.7 Premium"));
        d->close();
        flushDeletes();
        ASSERT_FALSE(h.main().versionDialog());
    }
}

TEST(MenuDialogs, SettingsFollowsTheModeAtEachClickAndOpensOnce)
{
    Harness h;
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    m.M_Config_Click();
    frmTimeInterval* interval = m.timeIntervalDialog();
    ASSERT_TRUE(interval);
    EXPECT_FALSE(m.configDialog());
    interval->txt_TimeInterval->setText(QStringLiteral("42"));
    m.M_Config_Click();
    EXPECT_EQ(m.timeIntervalDialog(), interval);
    EXPECT_EQ(interval->txt_TimeInterval->text(), QStringLiteral("42")); // not loaded again

    gPremium = true;
    m.M_Config_Click();
    EXPECT_TRUE(m.configDialog());
    EXPECT_EQ(m.timeIntervalDialog(), interval);
    EXPECT_TRUE(h.messages.shown.isEmpty());
}
