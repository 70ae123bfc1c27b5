#pragma once

#include <QObject>

class QKeyEvent;

// Which of the key rules (KeyFilters.h) a text box applies. The dialer's boxes add two:
// phone numbers take digits and "*"; the repeat count takes 0 to 2, and a digit 3 to 9
// or Backspace types "0" in its place.
enum class KeyRule { Number, Digits, NameChar, PhoneNumber, RepeatCount };

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
    bool TypesZero(const QKeyEvent &key) const;

    KeyRule m_rule;
};
