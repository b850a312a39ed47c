// The menu entries that show dialogs. Each dialog exists at most once and is shown modeless,
// without an owner: the main window and its child windows stay usable meanwhile.
#include "MDIForm1.h"
#include "RecordingsWindow.h"
#include "ScheduleWindow.h"
#include "app/Globals.h"
#include "dialogs/Form3.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmTimeInterval.h"

namespace sora {

namespace {

template <typename Dialog, typename Make> void showOnce(QPointer<Dialog>& dialog, Make make)
{
    if (!dialog)
        dialog = make(); // loads itself
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

void MDIForm1::M_Config_Click()
{
    // The mode is read at every click.
    if (gPremium)
        showOnce(m_config, [this] { return new frmConfig(m_platform, *this); });
    else
        showOnce(m_timeInterval, [this] { return new frmTimeInterval(m_platform, *this); });
}

void MDIForm1::M_Ver_Click()
{
    showOnce(m_version, [this] { return new Form3(*this); });
}

frmConfig* MDIForm1::configDialog() const { return m_config; }
frmTimeInterval* MDIForm1::timeIntervalDialog() const { return m_timeInterval; }
Form3* MDIForm1::versionDialog() const { return m_version; }

void MDIForm1::closeDialogs()
{
    delete m_config.data();
    delete m_timeInterval.data();
    delete m_version.data();
    delete recordingsWindow();
    delete scheduleWindow();
}

} // namespace sora
