#include "StatusList.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>

#include <memory>
#include <vector>

// Paints a line as the style does, but keeps its text laid out until the line changes:
// the style lays the text out again for every size asked and several times per paint.
class StatusLinePainter final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        Line &line = LineFor(index.row(), item);
        if (!line.size.isValid())
            line.size = QStyledItemDelegate::sizeHint(option, index);
        return line.size;
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget *widget = item.widget;
        const QStyle *style = widget ? widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textRect = item.rect.adjusted(margin, 0, -margin, 0);
        const Line &line = LaidOut(index.row(), item, textRect.width());
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
        painter->setClipRect(item.rect);
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
        return row < int(m_lines.size()) && m_lines[row].size.isValid() ? m_lines[row].size.width()
                                                                        : -1;
    }

private:
    struct Line {
        QString text;
        QFont font;
        QSize size;
        std::unique_ptr<QTextLayout> layout;
        int width = 0;
        qreal height = 0;
    };

    // The row's entry, emptied when the row shows another text or font since.
    Line &LineFor(int row, const QStyleOptionViewItem &item) const
    {
        if (row >= int(m_lines.size()))
            m_lines.resize(row + 1);
        Line &line = m_lines[row];
        if (line.text != item.text || line.font != item.font)
            line = {item.text, item.font, {}, {}, 0, 0};
        return line;
    }

    const Line &LaidOut(int row, const QStyleOptionViewItem &item, int width) const
    {
        Line &line = LineFor(row, item);
        if (line.layout && line.width == width)
            return line;
        QTextOption option;
        option.setWrapMode(QTextOption::ManualWrap);
        option.setTextDirection(item.direction);
        option.setAlignment(QStyle::visualAlignment(item.direction, item.displayAlignment));
        line.layout = std::make_unique<QTextLayout>(item.text, item.font);
        line.layout->setTextOption(option);
        line.layout->setCacheEnabled(true);
        line.width = width;
        line.height = 0;
        line.layout->beginLayout();
        for (QTextLine text = line.layout->createLine(); text.isValid();
             text = line.layout->createLine()) {
            text.setLineWidth(width);
            text.setPosition(QPointF(0, line.height));
            line.height += text.height();
        }
        line.layout->endLayout();
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
