#include "StatusGrid.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

// A sensor's row is the first row showing its ID, else the first row showing none; the
// answer must stay right while cells are written, emptied and the grid resized.
TEST(StatusGrid, RowOfSensorMatchesAPlainSearchOfTheIdColumn)
{
    PlainStatusGrid grid(6);
    const auto plainSearch = [&grid](qint32 id) {
        int free = -1;
        for (int row = 1; row < grid.RowCount(); ++row) {
            const QString cell = grid.Cell(row, StatusColumn::SensorID);
            if (cell == QString::number(id))
                return row;
            if (free < 0 && cell.isEmpty())
                free = row;
        }
        return free;
    };
    QRandomGenerator random(11);
    for (int step = 0; step < 3000; ++step) {
        const qint32 id = random.bounded(8);
        const int action = random.bounded(20);
        if (action == 0) {
            grid.SetRowCount(1 + random.bounded(8));
        } else if (action < 4) {
            const int row = 1 + random.bounded(grid.RowCount());
            if (row < grid.RowCount())
                grid.SetCell(row, StatusColumn::SensorID,
                             action == 1 ? QString() : QString::number(id));
        } else {
            // As a cycle does: ask, then claim the row given.
            const int row = grid.RowOfSensor(QString::number(id));
            ASSERT_EQ(row, plainSearch(id)) << "step " << step << " sensor " << id;
            if (row > 0)
                grid.SetCell(row, StatusColumn::SensorID, QString::number(id));
        }
    }
}
