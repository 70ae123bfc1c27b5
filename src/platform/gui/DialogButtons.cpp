#include "DialogButtons.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>

namespace {

// A button that is not auto-default ignores Enter even with the focus on it.
class EnterClicksFocusedButton : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto *button = qobject_cast<QPushButton *>(watched);
        if (!enter || !button || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        button->click();
        return true;
    }
};

} // namespace

void NoDefaultButtons(QDialog *dialog, QPushButton *named)
{
    auto *filter = new EnterClicksFocusedButton(dialog);
    for (QPushButton *button : dialog->findChildren<QPushButton *>()) {
        button->setAutoDefault(false);
        button->setDefault(button == named);
        if (button != named)
            button->installEventFilter(filter);
    }
}
