#include "FormLayout.h"

#include <QBoxLayout>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>

#include <algorithm>

namespace {

int TextWidth(const QWidget &box, int characters, BoxText kind)
{
    const QFontMetrics metrics = box.fontMetrics();
    if (kind == BoxText::Digits) {
        int widest = 0;
        for (char16_t digit = u'0'; digit <= u'9'; ++digit)
            widest = std::max(widest, metrics.horizontalAdvance(QChar(digit)));
        // Room for a sign or a decimal point as wide as a digit.
        return widest * characters;
    }
    return metrics.horizontalAdvance(QString(characters, u'X'));
}

// The room a line edit keeps around its text: the frame, the style's margins, the text
// margins and the cursor, as the line edit's own size hint counts them.
int LineEditChrome(const QLineEdit &box)
{
    QStyleOptionFrame option;
    option.initFrom(&box);
    option.rect = box.contentsRect();
    option.lineWidth = box.hasFrame() ? box.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &box) : 0;
    option.state |= QStyle::State_Sunken;
    const QMargins text = box.textMargins();
    const QMargins contents = box.contentsMargins();
    constexpr int kHorizontalMargin = 2; // the line edit's fixed inner margin on each side
    constexpr int kCursor = 1;
    const int inner = 2 * kHorizontalMargin + kCursor + text.left() + text.right() + contents.left() +
                      contents.right();
    const QSize outer = box.style()->sizeFromContents(QStyle::CT_LineEdit, &option,
                                                      QSize(inner, box.fontMetrics().height()), &box);
    return outer.width();
}

class RowDirection final : public QObject {
public:
    RowDirection(QBoxLayout *row, QWidget *owner) : QObject(owner), m_row(row) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show ||
            event->type() == QEvent::ScreenChangeInternal)
            Decide(static_cast<QWidget *>(watched));
        return QObject::eventFilter(watched, event);
    }

private:
    void Decide(QWidget *owner)
    {
        const QScreen *screen = owner->screen();
        if (!screen)
            return;
        // Measured side by side every time, so the decision never depends on itself.
        int sideBySide = m_row->contentsMargins().left() + m_row->contentsMargins().right();
        int shown = 0;
        for (int i = 0; i < m_row->count(); ++i) {
            const QLayoutItem *item = m_row->itemAt(i);
            if (item->isEmpty())
                continue;
            sideBySide += item->minimumSize().width();
            ++shown;
        }
        sideBySide += std::max(0, shown - 1) * std::max(0, m_row->spacing());
        // What the window adds around the row: its other columns, margins and frame.
        const QWidget *window = owner->window();
        const int around = window->frameGeometry().width() - owner->width();
        const bool fits = sideBySide + std::max(0, around) <= screen->availableGeometry().width();
        const auto wanted = fits ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
        if (m_row->direction() != wanted)
            m_row->setDirection(wanted);
    }

    QBoxLayout *m_row;
};

} // namespace

void SizeForText(QLineEdit *box, int characters, BoxText kind)
{
    box->setFixedWidth(LineEditChrome(*box) + TextWidth(*box, characters, kind));
}

void WrapLabel(QLabel *label)
{
    label->setWordWrap(true);
    // Never squeezed below the height its text takes at its width, also at the window's
    // smallest.
    QSizePolicy policy = label->sizePolicy();
    policy.setVerticalPolicy(QSizePolicy::Minimum);
    label->setSizePolicy(policy);
}

void StackWhenNarrow(QBoxLayout *row)
{
    QWidget *owner = row->parentWidget();
    if (!owner)
        return;
    owner->installEventFilter(new RowDirection(row, owner));
}

void FitToScreen(QWidget *window)
{
    const QScreen *screen = window->screen();
    if (!screen)
        return;
    // In a shown window, sizes that changed since the last layout pass count first: the
    // shown widgets' layouts before the window's, which grows to its new minimum. Showing
    // lays out a window not shown yet, and a hidden page when it shows.
    if (window->isVisible()) {
        const QList<QWidget *> children = window->findChildren<QWidget *>();
        for (auto widget = children.crbegin(); widget != children.crend(); ++widget)
            if (QLayout *layout = (*widget)->layout(); layout && (*widget)->isVisible())
                layout->activate();
        if (QLayout *layout = window->layout()) {
            layout->invalidate();
            layout->activate();
        }
    }
    const QRect area = screen->availableGeometry();
    // The frame the window manager adds is known only once shown; before that it is none.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const int frameWidth = frame.width() - inner.width();
    const int frameHeight = frame.height() - inner.height();
    const QSize most(area.width() - frameWidth, area.height() - frameHeight);
    const QSize size = window->size().boundedTo(most).expandedTo(window->minimumSize());
    if (size != window->size())
        window->resize(size);
    const int width = size.width() + frameWidth;
    const int height = size.height() + frameHeight;
    const int x = std::clamp(frame.x(), area.left(), std::max(area.left(), area.right() + 1 - width));
    const int y = std::clamp(frame.y(), area.top(), std::max(area.top(), area.bottom() + 1 - height));
    if (x != frame.x() || y != frame.y())
        window->move(x, y);
}
