#include "StatusLine.h"

#include <QPainter>
#include <QTimer>

namespace sora {

StatusLine::StatusLine(QWidget* parent) : QWidget(parent), m_due(new QTimer(this))
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored); // never widens the window
    setAccessibleName(QStringLiteral("ステータス"));
    m_due->setSingleShot(true);
    m_due->setInterval(kDelayMs);
    connect(m_due, &QTimer::timeout, this, [this] { show(m_reported); });
}

void StatusLine::report(const QString& text)
{
    m_reported = text;
    if (m_reported != m_text && !m_due->isActive())
        m_due->start();
}

void StatusLine::showPending()
{
    if (m_due->isActive())
        show(m_reported);
}

void StatusLine::show(const QString& text)
{
    m_due->stop();
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleDescription(text); // what a screen reader reads: the name says what it is
    update();
}

void StatusLine::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect(), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine, m_text);
}

} // namespace sora
