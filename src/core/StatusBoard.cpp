#include "StatusBoard.h"

namespace {
StatusBoardList *g_board = nullptr;
}

void InstallStatusBoard(StatusBoardList *board)
{
    g_board = board;
}

StatusBoardList *InstalledStatusBoard()
{
    return g_board;
}

void SetStatusMessage(const QString &key, const QString &detail)
{
    if (!g_board)
        return;
    const bool remove = detail.compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0;
    const int n = g_board->LineCount();
    for (int i = 0; i < n; ++i) {
        if (g_board->Line(i).contains(key, Qt::CaseSensitive)) {
            if (remove)
                g_board->RemoveLine(i);
            else
                g_board->ReplaceLine(i, key + detail);
            return;
        }
    }
    if (!remove)
        g_board->AppendLine(key + detail);
}
