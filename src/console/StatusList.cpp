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
    if (topLeft == bottomRight && isVisible() &&
        sizeHintForIndex(topLeft).width() <= visualRect(topLeft).width()) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    QListView::dataChanged(topLeft, bottomRight, roles);
}
