#include "MouseAction.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>

MouseAction::MouseAction(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                         std::function<void()> action)
    : QObject(target), m_type(type), m_button(button), m_action(std::move(action))
{
    // A scroll area's clicks land on its viewport, not on the area itself.
    auto *area = qobject_cast<QAbstractScrollArea *>(target);
    (area ? area->viewport() : target)->installEventFilter(this);
}

bool MouseAction::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == m_type && static_cast<QMouseEvent *>(event)->button() == m_button) {
        m_action();
        return true;
    }
    return false;
}
