#include "FolderChooser.h"

#include <QDir>
#include <QFileDialog>

namespace sora {

QString QtFolderChooser::choose(QWidget* parent, const QString& title, const QString& current)
{
    // Qt's own dialog, which speaks the program's language; a desktop's would speak the desktop's.
    const QString chosen = QFileDialog::getExistingDirectory(
        parent, title, current, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (chosen.isEmpty())
        return current;
    const QString native = QDir::toNativeSeparators(chosen);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

} // namespace sora
