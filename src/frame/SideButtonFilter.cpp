#include "SideButtonFilter.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace sora {

SideButtonFilter::SideButtonFilter(QObject* parent) : QObject(parent)
{
    setObjectName(QLatin1String(kName));
    QCoreApplication::instance()->installEventFilter(this);
}

bool SideButtonFilter::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        return button == Qt::BackButton || button == Qt::ForwardButton;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace sora
