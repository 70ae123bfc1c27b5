#include "StatusGrid.h"

namespace {
StatusGridView *g_grid = nullptr;
}

void PlainStatusGrid::SetRowCount(int rows)
{
    m_cells.resize(rows, QList<QString>(StatusColumn::Count));
    m_colours.resize(rows, QList<int>(StatusColumn::Count, kColourWhite));
}

void InstallStatusGrid(StatusGridView *grid)
{
    g_grid = grid;
}

StatusGridView *InstalledStatusGrid()
{
    return g_grid;
}
