#include "FolderChooser.h"

#include <QDir>
#include <QFileDialog>

namespace sora {

QString QtFolderChooser::choose(QWidget* parent, const QString& title, const QString& current)
{
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, current);
    if (chosen.isEmpty())
        return current;
    const QString native = QDir::toNativeSeparators(chosen);
    return native.endsWith(QDir::separator()) ? native : native + QDir::separator();
}

} // namespace sora
