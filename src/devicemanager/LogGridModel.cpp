#include "LogGridModel.h"

void LogGridModel::SetTable(std::optional<LogTable> table)
{
    beginResetModel();
    m_table = std::move(table);
    endResetModel();
}

int LogGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : int(m_table->rows.size());
}

int LogGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_table ? 0 : int(m_table->headings.size());
}

QVariant LogGridModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || !m_table)
        return {};
    return m_table->rows.at(index.row()).value(index.column());
}

QVariant LogGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || !m_table)
        return {};
    return m_table->headings.value(section);
}

Qt::ItemFlags LogGridModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
