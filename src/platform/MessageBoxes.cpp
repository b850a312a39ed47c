#include "MessageBoxes.h"

#include <QMessageBox>

namespace sora {

MsgResult QtMessageBoxes::show(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(m_title);
    // Texts keep their CR LF joins as the program's own data; Qt wants plain LF.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(shown);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    switch (buttons) {
    case MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    // Without a visible parent the box would sit at the screen's corner under some window managers.
    if (!parent || !parent->isVisible())
        box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    default: break;
    }
    // Closing a Yes/No box through its window frame counts as No; an OK box only has OK.
    return buttons == MsgButtons::Ok ? MsgResult::Ok : (buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel);
}

} // namespace sora
