#pragma once

#include <QEvent>
#include <QObject>

#include <functional>

class QWidget;

// Runs an action when one mouse button is pressed (or double-clicked) on a widget, for
// the handlers the item views offer no signal for: a right click anywhere on a grid, a
// double click on its empty part.
class MouseAction final : public QObject {
public:
    MouseAction(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                std::function<void()> action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QEvent::Type m_type;
    Qt::MouseButton m_button;
    std::function<void()> m_action;
};
