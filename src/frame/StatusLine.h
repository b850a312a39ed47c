#pragma once

#include <QString>
#include <QWidget>

class QTimer;

namespace sora {

// The status bar's one line of text. A new text repaints only this line: the bar's own message
// would repaint at once, and a label would have the bar lay itself out and repaint whole.
// With browser views in the window every repaint composes the whole window again, browser views
// included, at about the cost of a page's own frame, and pages report a text as each load starts
// and ends. So a reported text waits for the next repaint the pages cause anyway (showPending),
// or kDelayMs at most, instead of making one of its own.
class StatusLine final : public QWidget
{
public:
    static constexpr int kDelayMs = 50;

    explicit StatusLine(QWidget* parent);

    void report(const QString& text);
    // The window is about to repaint: a waiting text goes with it.
    void showPending();
    // The text reported last, and the one shown: the same once the window has repainted.
    QString reported() const { return m_reported; }
    QString shown() const { return m_text; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void show(const QString& text);

    QString m_text;
    QString m_reported;
    QTimer* m_due;
};

} // namespace sora
