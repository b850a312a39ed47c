// The commands that open, reconnect and reload the child windows.
#include "MDIForm1.h"
#include "Refresh.h"
#include "app/Globals.h"
#include "platform/Platform.h"
#include "platform/WebBrowser.h"
#include "windows/Form1.h"
#include "windows/Form2.h"

#include <limits>

namespace sora {

bool countTick(qint16& tickCount, qint16 interval)
{
    if (tickCount < std::numeric_limits<qint16>::max())
        ++tickCount;
    return tickCount >= interval;
}

void MDIForm1::M_NewPlayerWindow_Click()
{
    auto* w = new Form1(m_platform);
    connect(w, &Form1::recordRequested, this,
            [this, w](const RecorderCommand& command, const QString& station) {
                RecordStation(w, command, station);
            });
    connect(w, &Form1::SongHeard, this, [this](const QString& station, const QString& title, const QString& stream) {
        if (const std::optional<QString> failure = m_songs.record(station, title, stream))
            ShowStatusText(*failure);
    });
    addChild(w);
    w->Form_Load();
    w->show();
    childAt(windowCount() - 1)->WebBrowser1->Navigate(gUrl1);
}

void MDIForm1::M_NewPingWindow_Click()
{
    auto* w = new Form2(m_platform.browsers);
    addChild(w);
    w->show();
    childAt(windowCount() - 1)->WebBrowser1->Navigate(gUrl2);
}

void MDIForm1::M_ReConnect_Click()
{
    const int n = windowCount() - 1;
    for (int i = 1; i <= n; ++i) {
        ChildWindow* w = childAt(i);
        if (!w)
            return;
        w->WebBrowser1->Navigate(w->Caption() == Form1::caption() ? gUrl1 : gUrl2);
    }
}

void MDIForm1::TimTimeInterval_Timer()
{
    if (!countTick(mTickCount, gTimeInterval))
        return;
    const int n = windowCount() - 1;
    for (int i = 1; i <= n; ++i) {
        ChildWindow* w = childAt(i);
        if (!w)
            return; // the pass is tried again on the next tick
        const QString& start = w->Caption() == Form1::caption() ? gUrl1 : gUrl2;
        // Only a window still on its start page is reloaded: exact, case-sensitive.
        if (w->WebBrowser1->LocationURL() == start)
            w->WebBrowser1->Navigate(start);
    }
    mTickCount = 0;
}

} // namespace sora
