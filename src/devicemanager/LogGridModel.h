#pragma once

#include "DS1337.h"

#include <QAbstractTableModel>

#include <optional>

// The log grid's rows: a decoded log table shown as it stands, read-only, in its own order
// (no cell items: a full eight-sensor log is almost a million cells).
class LogGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetTable(std::optional<LogTable> table);
    const std::optional<LogTable> &Table() const { return m_table; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::optional<LogTable> m_table;
};
