#include "FormControls.h"

#include "FormLayout.h"
#include "WindowsColour.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

void SetBackColour(QWidget *box, int windowsColour)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, WindowsColour(windowsColour));
    box->setPalette(palette);
}

void CentreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    window->move(area.left() + (area.width() - window->width()) / 2,
                 area.top() + (area.height() - window->height()) / 2);
    FitToScreen(window);
}

void HideAsStars(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    // The style's own mask is a bullet; 42 is the star.
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
}

// Qt numbers its states unchecked 0, partly 1, checked 2; the stored values are 0, 1, 2 for
// unchecked, checked, greyed.
bool SetCheckValue(QCheckBox *box, int value)
{
    switch (value) {
    case 0:
        box->setCheckState(Qt::Unchecked);
        return true;
    case 1:
        box->setCheckState(Qt::Checked);
        return true;
    case 2:
        box->setCheckState(Qt::PartiallyChecked);
        return true;
    default:
        return false;
    }
}

qint16 CheckValue(const QCheckBox *box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

bool SetListPosition(QComboBox *list, int position)
{
    if (position < -1 || position >= list->count())
        return false;
    list->setCurrentIndex(position);
    return true;
}

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    QApplication::restoreOverrideCursor();
}

// The widths were laid out for an 8-point system font whose average character is 5 pixels
// of 15 twips; scaled by the widget's own font they still fit what they were made for.
int TwipsToPixels(int twips, const QWidget &widget)
{
    return twips * widget.fontMetrics().averageCharWidth() / 75;
}
