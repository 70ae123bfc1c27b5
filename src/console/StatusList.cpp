#include "StatusList.h"

StatusList::StatusList(QWidget *parent) : QListView(parent)
{
    setObjectName(QStringLiteral("lstStatus"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void StatusList::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const QList<int> &roles)
{
    // Only a line that outgrows the width laid out for the lines needs a new layout.
    if (topLeft == bottomRight && isVisible() && Fits(topLeft)) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    QListView::dataChanged(topLeft, bottomRight, roles);
}

bool StatusList::Fits(const QModelIndex &line) const
{
    // Most lines are far narrower than the list: a bound on their width spares laying out
    // their text. Lines are at least as wide as the viewport.
    const qsizetype characters = line.data().toString().size();
    if ((characters + 2) * fontMetrics().maxWidth() <= viewport()->width())
        return true;
    return sizeHintForIndex(line).width() <= visualRect(line).width();
}
