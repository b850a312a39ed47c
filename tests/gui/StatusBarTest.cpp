// The status bar: every text a browser reports reaches it, each in one line that never resizes the
// window, and a burst of texts costs one repaint of the window rather than one each.
#include "Harness.h"
#include "windows/ChildWindow.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMdiArea>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

using namespace sora;
using namespace sora::fakes;

namespace {

// Counts the main window's repaints (each one composes the whole window again).
class RepaintCounter final : public QObject
{
public:
    explicit RepaintCounter(QObject* window) { window->installEventFilter(this); }
    int repaints = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::UpdateRequest)
            ++repaints;
        return false;
    }
};

// Longer than the longest a text waits for a repaint (50 ms) and the repaint it makes, so the
// repaints counted after it are all there will be.
constexpr int kStatusSettledMs = 120;

struct Loaded
{
    Loaded()
    {
        EXPECT_TRUE(h.load());
        QTest::qWait(kStatusSettledMs); // start-up's own repaints
    }
    Harness h;
};

} // namespace

TEST(StatusBar, ABurstOfTextsShowsTheLastInOneRepaint)
{
    Loaded l;
    MDIForm1& m = l.h.main();
    RepaintCounter counter(&m);
    // A page starting, the pointer leaving a link and the page ending, all before a repaint.
    l.h.browser(1)->reportStatus(QStringLiteral("ページを読み込んでいます..."));
    l.h.browser(2)->reportStatus(QStringLiteral("http://d/station.cgi?ch=1"));
    l.h.browser(1)->reportStatus(QStringLiteral("ページが表示されました"));
    EXPECT_EQ(m.statusText(), QStringLiteral("ページが表示されました")) << "the text is the program's at once";

    QTest::qWait(kStatusSettledMs);
    EXPECT_EQ(m.shownStatusText(), QStringLiteral("ページが表示されました"));
    EXPECT_EQ(counter.repaints, 1);
    EXPECT_TRUE(m.sbURLBar->currentMessage().isEmpty()) << "no message of the bar's own covers the text";
}

TEST(StatusBar, ATextWaitsForARepaintTheWindowMakesAnyway)
{
    Loaded l;
    MDIForm1& m = l.h.main();
    RepaintCounter counter(&m);
    l.h.browser(1)->reportStatus(QStringLiteral("http://d/station.cgi?ch=2"));
    m.mdiArea->viewport()->update(); // what a page's new frame does
    QCoreApplication::processEvents();
    EXPECT_EQ(m.shownStatusText(), QStringLiteral("http://d/station.cgi?ch=2"));
    QTest::qWait(kStatusSettledMs);
    EXPECT_EQ(counter.repaints, 1) << "the text went with the page's repaint";

    // Reporting what the bar already shows changes nothing.
    l.h.browser(2)->reportStatus(QStringLiteral("http://d/station.cgi?ch=2"));
    QTest::qWait(kStatusSettledMs);
    EXPECT_EQ(counter.repaints, 1);

    // An empty text clears the bar.
    l.h.browser(2)->reportStatus(QString());
    QTest::qWait(kStatusSettledMs);
    EXPECT_EQ(m.shownStatusText(), QString());
}

TEST(StatusBar, ALongTextNeverWidensTheWindow)
{
    Loaded l;
    MDIForm1& m = l.h.main();
    const QSize before = m.size();
    const QSize minimum = m.minimumSizeHint();
    l.h.browser(1)->reportStatus(QString(2000, u'長'));
    QTest::qWait(kStatusSettledMs);
    EXPECT_EQ(m.shownStatusText().size(), 2000);
    EXPECT_EQ(m.size(), before);
    EXPECT_EQ(m.minimumSizeHint(), minimum);
}
