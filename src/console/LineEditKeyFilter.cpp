#include "LineEditKeyFilter.h"

#include "AnsiText.h"
#include "KeyFilters.h"

#include <QKeyEvent>

LineEditKeyFilter::LineEditKeyFilter(KeyRule rule, QObject *parent) : QObject(parent), m_rule(rule)
{
}

bool LineEditKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        // With these held a key is a shortcut (Ctrl+A, Ctrl+V), not typing.
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return QObject::eventFilter(watched, event);
        for (const QChar c : key->text()) {
            if (c.isPrint() && Refuses(c))
                return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool LineEditKeyFilter::Refuses(QChar typed) const
{
    // The rules speak ANSI codes; a character outside the code page arrives as '?'.
    const int keyCode = uchar(ToAnsi(QString(typed)).at(0));
    switch (m_rule) {
    case KeyRule::Number:
        return KeyFilterNumber(keyCode) == 0;
    case KeyRule::Digits:
        return KeyFilterDigits(keyCode) == 0;
    case KeyRule::NameChar:
        return KeyFilterNameChar(QString::number(keyCode)) == 0;
    }
    return false;
}
