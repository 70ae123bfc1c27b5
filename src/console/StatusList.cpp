#include "StatusList.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

// Paints a line as the style does, but lays its text out once until the line changes: the
// style lays the text out again for every size asked and several times per paint. The
// board's lines are text alone, left to right from the left, without icon or check box:
// laid out in any width, their text sits where the style would place it.
class StatusLinePainter final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        return LaidOut(index.row(), item).size;
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget *widget = item.widget;
        const QStyle *style = widget ? widget->style() : QApplication::style();
        const int margin = TextMargin(item);
        const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
        const Line &line = LaidOut(index.row(), item);
        // Without its text the style places the selection and the focus frame as with it,
        // and lays nothing out.
        QStyleOptionViewItem blank = item;
        blank.text.clear();

        QPalette::ColorGroup group =
            item.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(item.state & QStyle::State_Active))
            group = QPalette::Inactive;
        const bool selected = item.state & QStyle::State_Selected;

        painter->save();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &blank, painter, widget);
        painter->setPen(
            item.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        line.layout->draw(
            painter, QPointF(textRect.x(), textRect.top() + (textRect.height() - line.height) / 2));
        if (item.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(item);
            focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &blank, widget);
            focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
            focus.backgroundColor =
                item.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
            style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
        }
        painter->restore();
    }

    // The width the row's line had when last measured; -1 when not measured.
    int MeasuredWidth(int row) const
    {
        return row < int(m_lines.size()) && m_lines[row].layout ? m_lines[row].size.width() : -1;
    }

private:
    struct Line {
        QString text;
        QFont font;
        std::unique_ptr<QTextLayout> layout;
        QSize size;
        qreal height = 0;
    };

    static int TextMargin(const QStyleOptionViewItem &item)
    {
        const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
        return style->pixelMetric(QStyle::PM_FocusFrameHMargin, &item, item.widget) + 1;
    }

    // The row's line, laid out again when the row shows another text or font since.
    const Line &LaidOut(int row, const QStyleOptionViewItem &item) const
    {
        if (row >= int(m_lines.size()))
            m_lines.resize(row + 1);
        Line &line = m_lines[row];
        if (line.layout && line.text == item.text && line.font == item.font)
            return line;

        line = {item.text, item.font, std::make_unique<QTextLayout>(item.text, item.font), {}, 0};
        // The list's direction, not one guessed from the first letters.
        QTextOption option;
        option.setTextDirection(item.direction);
        line.layout->setTextOption(option);
        line.layout->setCacheEnabled(true);
        qreal widest = 0;
        line.layout->beginLayout();
        for (QTextLine text = line.layout->createLine(); text.isValid();
             text = line.layout->createLine()) {
            text.setLineWidth(std::numeric_limits<int>::max());
            text.setPosition(QPointF(0, line.height));
            line.height += text.height();
            widest = std::max(widest, text.naturalTextWidth());
        }
        line.layout->endLayout();
        line.size = QSize(qCeil(widest) + 2 * TextMargin(item), qCeil(line.height));
        return line;
    }

    mutable std::vector<Line> m_lines;
};

StatusList::StatusList(QWidget *parent) : QListView(parent)
{
    setObjectName(QStringLiteral("lstStatus"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_painter = new StatusLinePainter(this);
    setItemDelegate(m_painter);
}

void StatusList::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const QList<int> &roles)
{
    // The lines are laid out as wide as the widest: a changed line needs a new layout of
    // all only where that width changes, when it grows past it or was the widest.
    if (topLeft == bottomRight && isVisible()) {
        const int widest = contentsSize().width();
        const int before = m_painter->MeasuredWidth(topLeft.row());
        const int after = sizeHintForIndex(topLeft).width();
        if (before >= 0 && after <= widest && (before < widest || after == widest)) {
            QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
            return;
        }
    }
    QListView::dataChanged(topLeft, bottomRight, roles);
}
