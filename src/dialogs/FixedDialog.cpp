#include "FixedDialog.h"

#include "platform/Fonts.h"
#include "platform/Twips.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>

namespace sora {

FixedDialog::FixedDialog(const QString& caption, Border border, double clientWidth, double clientHeight)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(caption);
    const Qt::WindowFlags kind = border == Border::ToolWindow ? Qt::Tool : (Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(msGothic(9));
    setFixedSize(twips::toSizePixelsX(clientWidth), twips::toSizePixelsY(clientHeight));
}

void FixedDialog::centreOn(const QPoint& centre) { move(centre - QPoint(width() / 2, height() / 2)); }

void FixedDialog::centreOnScreenOf(const QWidget& window)
{
    if (const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen())
        centreOn(screen->availableGeometry().center());
}

void FixedDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace sora
