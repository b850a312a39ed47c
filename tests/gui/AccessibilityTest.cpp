// Every control a person can reach has a name a screen reader can say.
#include "Harness.h"
#include "dialogs/Form3.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmTimeInterval.h"

#include <QAccessible>
#include <QWidget>

#include <gtest/gtest.h>

namespace sora::fakes {
namespace {

QStringList unnamedControls(const QWidget* window)
{
    QStringList unnamed;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(window))
            continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        if (!a || a->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QString::fromLatin1(w->metaObject()->className()) + u' ' + w->objectName();
    }
    return unnamed;
}

TEST(Accessibility, EveryReachableControlOfTheWindowsAndDialogsHasAName)
{
    Harness h;
    h.enableRecording();
    ASSERT_TRUE(h.load());
    MDIForm1& m = h.main();
    EXPECT_EQ(unnamedControls(&m), QStringList());

    m.M_Config_Click();
    ASSERT_NE(m.configDialog(), nullptr);
    EXPECT_EQ(unnamedControls(m.configDialog()), QStringList());
    m.M_Ver_Click();
    ASSERT_NE(m.versionDialog(), nullptr);
    EXPECT_EQ(unnamedControls(m.versionDialog()), QStringList());

    frmTimeInterval interval(h.platform, m);
    EXPECT_EQ(unnamedControls(&interval), QStringList());
}

} // namespace
} // namespace sora::fakes
