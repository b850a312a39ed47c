// Saving the state of the run when the main window closes.
#include "Conversions.h"
#include "Globals.h"
#include "Settings.h"
#include "frame/MDIForm1.h"
#include "platform/EndProcess.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "windows/ChildWindow.h"
#include "windows/Form1.h"

#include <QList>

namespace sora {

namespace {

// The window whose close is running. A second request while the failure message is up (a
// signal, the session ending) joins the close under way instead of saving a second time.
const MDIForm1* g_closing = nullptr;

} // namespace

void MDIForm1::MDIForm_QueryUnload()
{
    if (g_closing == this)
        return;
    g_closing = this;
    struct Reset
    {
        ~Reset() { g_closing = nullptr; } // only a test's process end comes back through here
    } reset;
    SaveState();
    m_platform.end.end(0);
}

void MDIForm1::SaveState()
{
    // Read before hiding: a hidden window's frame is no longer the window manager's to report.
    const double top = Top(), left = Left(), height = Height(), width = Width();
    hide();
    ReleaseInput();

    // The whole layout goes into the file in one atomic replace, so a save that is cut short
    // leaves the previous layout rather than a mix of the two.
    SettingsBatch batch;
    auto write = [this, &batch](const QString& section, const QString& key, const QString& value) {
        if (WriteSetting(section, key, value))
            return;
        batch.commit(); // what was written before the failing key stays written
        SettingsWriteFailed();
    };

    const QString mainForm = QStringLiteral("MainForm");
    const QString subForm = QStringLiteral("SubForm");
    write(mainForm, QStringLiteral("Top"), formatNumber(top));
    write(mainForm, QStringLiteral("Left"), formatNumber(left));
    write(mainForm, QStringLiteral("Height"), formatNumber(height));
    write(mainForm, QStringLiteral("Width"), formatNumber(width));
    // A window closed a moment ago lingers on the list, hidden, until its deletion runs; it is
    // gone for the user, so it is neither counted nor saved.
    QList<const ChildWindow*> windows;
    for (int i = 1; i < windowCount(); ++i)
        if (const ChildWindow* w = childAt(i); w && !w->isHidden())
            windows.append(w);
    const int n = static_cast<int>(windows.size());
    write(subForm, QStringLiteral("Count"), QString::number(n));
    write(mainForm, QStringLiteral("TimeInterval"), QString::number(gTimeInterval));
    for (int i = 1; i <= n; ++i) {
        const ChildWindow* w = windows.at(i - 1);
        const QString form = QStringLiteral("Form") + QString::number(i);
        write(subForm, form + QStringLiteral("Top"), formatNumber(w->Top()));
        write(subForm, form + QStringLiteral("Left"), formatNumber(w->Left()));
        write(subForm, form + QStringLiteral("Height"), formatNumber(w->Height()));
        write(subForm, form + QStringLiteral("Width"), formatNumber(w->Width()));
        write(subForm, form + QStringLiteral("WindowState"), QString::number(w->WindowState()));
        write(subForm, form + QStringLiteral("WindowType"),
              w->Caption() == Form1::caption() ? QStringLiteral("1") : QStringLiteral("2"));
    }
    if (!batch.commit())
        SettingsWriteFailed();
}

void MDIForm1::SettingsWriteFailed()
{
    m_platform.messages.show(nullptr, QStringLiteral("設定保存に失敗しますた。"), MsgButtons::Ok, MsgIcon::Exclamation);
    m_platform.end.end(1);
}

} // namespace sora
