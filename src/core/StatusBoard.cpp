#include "StatusBoard.h"

namespace {
StatusBoard *g_board = nullptr;
}

int StatusBoard::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

QVariant StatusBoard::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_lines.size())
        return {};
    return m_lines.at(index.row());
}

qsizetype StatusBoard::Find(const QString &key)
{
    // Each key is looked up every cycle while the board barely changes: where it was found
    // last time still holds unless a line changed since. Only changed lines are searched
    // again, and only those before it, so the first line holding the key still wins.
    const auto last = m_found.find(key);
    if (last != m_found.end()) {
        const qsizetype end = last->index == kNone ? m_lines.size() : last->index;
        if (end == m_lines.size() || m_lines.at(end).contains(key)) {
            qsizetype at = end;
            for (qsizetype i = 0; i < end; ++i) {
                if (m_changedAt.at(i) > last->change && m_lines.at(i).contains(key)) {
                    at = i;
                    break;
                }
            }
            *last = {at == m_lines.size() ? kNone : at, m_changes};
            return last->index;
        }
    }
    qsizetype at = kNone;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines.at(i).contains(key)) {
            at = i;
            break;
        }
    }
    m_found.insert(key, {at, m_changes});
    return at;
}

void StatusBoard::Changed(qsizetype index)
{
    m_changedAt[index] = ++m_changes;
}

void StatusBoard::Replace(qsizetype index, const QString &text)
{
    if (m_lines.at(index) == text)
        return;
    m_lines[index] = text;
    Changed(index);
    const QModelIndex changed = this->index(int(index));
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void StatusBoard::Remove(qsizetype index)
{
    beginRemoveRows({}, int(index), int(index));
    m_lines.removeAt(index);
    m_changedAt.removeAt(index);
    // Positions after it moved: rare enough to search afresh.
    m_found.clear();
    endRemoveRows();
}

void StatusBoard::Append(const QString &text)
{
    const int row = int(m_lines.size());
    beginInsertRows({}, row, row);
    m_lines.append(text);
    m_changedAt.append(0);
    Changed(row);
    endInsertRows();
}

void StatusBoard::Clear()
{
    beginResetModel();
    m_lines.clear();
    m_changedAt.clear();
    m_found.clear();
    endResetModel();
}

void InstallStatusBoard(StatusBoard *board)
{
    g_board = board;
}

StatusBoard *InstalledStatusBoard()
{
    return g_board;
}

void SetStatusMessage(const QString &key, const QString &detail)
{
    if (!g_board)
        return;
    const bool remove = detail.compare(QLatin1String("delete"), Qt::CaseInsensitive) == 0;
    const qsizetype line = g_board->Find(key);
    if (line >= 0) {
        if (remove)
            g_board->Remove(line);
        else
            g_board->Replace(line, key + detail);
    } else if (!remove) {
        g_board->Append(key + detail);
    }
}
