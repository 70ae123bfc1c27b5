#include "LineEditKeyFilter.h"

#include "AnsiText.h"
#include "KeyFilters.h"

#include <QKeyEvent>
#include <QLineEdit>

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
        if (TypesZero(*key)) {
            if (auto *box = qobject_cast<QLineEdit *>(watched))
                box->insert(QStringLiteral("0"));
            return true;
        }
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
    case KeyRule::PhoneNumber:
        return typed != u'*' && KeyFilterDigits(keyCode) == 0;
    case KeyRule::RepeatCount:
        return typed < u'0' || typed > u'2';
    }
    return false;
}

bool LineEditKeyFilter::TypesZero(const QKeyEvent &key) const
{
    if (m_rule != KeyRule::RepeatCount)
        return false;
    const QString text = key.text();
    return key.key() == Qt::Key_Backspace ||
           (text.size() == 1 && text.at(0) >= u'3' && text.at(0) <= u'9');
}
