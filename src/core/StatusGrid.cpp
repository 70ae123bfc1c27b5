#include "StatusGrid.h"

namespace {
StatusGridView *g_grid = nullptr;
}

void StatusGridView::SetCell(int row, int column, const QString &text)
{
    if (column == StatusColumn::SensorID && m_indexed) {
        const QString old = Cell(row, column);
        if (!old.isEmpty() && old != text) {
            // A row given up or renamed: rare enough to index the column again.
            m_indexed = false;
        } else if (old.isEmpty() && !text.isEmpty()) {
            const auto known = m_rowOfId.constFind(text);
            if (known == m_rowOfId.cend() || *known > row)
                m_rowOfId.insert(text, row);
        }
    }
    WriteCell(row, column, text);
}

void StatusGridView::IndexSensorRows()
{
    m_rowOfId.clear();
    m_firstFree = RowCount();
    for (int row = RowCount() - 1; row >= 1; --row) {
        const QString id = Cell(row, StatusColumn::SensorID);
        if (id.isEmpty())
            m_firstFree = row;
        else
            m_rowOfId.insert(id, row);
    }
    m_indexed = true;
}

int StatusGridView::RowOfSensor(const QString &sensorId)
{
    if (!m_indexed)
        IndexSensorRows();
    const auto known = m_rowOfId.constFind(sensorId);
    if (known != m_rowOfId.cend())
        return *known;
    // Free rows are only ever taken until the column is indexed again: the first one
    // only moves down.
    while (m_firstFree < RowCount() && !Cell(m_firstFree, StatusColumn::SensorID).isEmpty())
        ++m_firstFree;
    return m_firstFree < RowCount() ? m_firstFree : -1;
}

void PlainStatusGrid::SetRowCount(int rows)
{
    m_cells.resize(rows, QList<QString>(StatusColumn::Count));
    m_colours.resize(rows, QList<int>(StatusColumn::Count, kColourWhite));
    ForgetSensorRows();
}

void InstallStatusGrid(StatusGridView *grid)
{
    g_grid = grid;
}

StatusGridView *InstalledStatusGrid()
{
    return g_grid;
}
