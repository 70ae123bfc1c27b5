#pragma once

#include <QString>
#include <QStringView>
#include <QtGlobal>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QWidget;

// A new control under the name the tests and the rest of the program know it by.
template <typename Control> Control *Named(Control *control, QStringView name)
{
    control->setObjectName(name.toString());
    return control;
}

// The back colour of an entry box (a Windows colour value), as a refused entry marks it.
void SetBackColour(QWidget *box, int windowsColour);

void CentreOnScreen(QWidget *window);

// A password box: what is typed shows as one star a character.
void HideAsStars(QLineEdit *box);

// A grid column width laid out in twips, in pixels of the widget's own font.
int TwipsToPixels(int twips, const QWidget &widget);

// Check boxes hold 0 (unchecked), 1 (checked) or 2 (greyed); list positions count from 0
// with -1 for none. A stored number outside that is refused with kInvalidPropertyValue.
bool SetCheckValue(QCheckBox *box, int value);
qint16 CheckValue(const QCheckBox *box);
bool SetListPosition(QComboBox *list, int position);
inline constexpr char16_t kInvalidPropertyValue[] = u"Invalid property value";

// The hourglass pointer for the lifetime of the object.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
