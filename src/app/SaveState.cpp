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

namespace sora {

void MDIForm1::MDIForm_QueryUnload()
{
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
    const int n = windowCount() - 1;
    write(subForm, QStringLiteral("Count"), QString::number(n));
    write(mainForm, QStringLiteral("TimeInterval"), QString::number(gTimeInterval));
    for (int i = 1; i <= n; ++i) {
        const ChildWindow* w = childAt(i);
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
