#pragma once

#include <QObject>

// Which of the key rules (KeyFilters.h) a text box applies.
enum class KeyRule { Number, Digits, NameChar };

// Install on any QLineEdit (box->installEventFilter(new LineEditKeyFilter(rule, box))):
// a typed character its rule refuses is not typed. Keys that type nothing - navigation,
// Delete, Backspace, Enter, Escape, Tab - and shortcuts pass untouched.
class LineEditKeyFilter : public QObject {
    Q_OBJECT

public:
    LineEditKeyFilter(KeyRule rule, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool Refuses(QChar typed) const;

    KeyRule m_rule;
};
