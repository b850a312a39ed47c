#pragma once

#include <QDialog>

namespace sora {

// What the program's dialogs share: a fixed client area in twips, the program's font, no owner,
// deleted once closed, and closed only through the close box or their own buttons. Escape does
// nothing, so no close ever skips a dialog's own closing step.
class FixedDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Border
    {
        Dialog,     // a fixed dialog frame
        ToolWindow, // a small caption with only its close box
    };

protected:
    FixedDialog(const QString& caption, Border border, double clientWidth, double clientHeight);

    // Puts the window's middle on `centre`; its frame is not known yet, so the client area stands
    // in for it.
    void centreOn(const QPoint& centre);
    void centreOnScreenOf(const QWidget& window);

    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace sora
