#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QStringList>

// The status board: the lines of the main window's status list, in the order first added,
// with at most one line per key. The window shows this model; headless it is only memory.
class StatusBoard : public QAbstractListModel {
    Q_OBJECT

public:
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    const QStringList &Lines() const { return m_lines; }
    // The first line that contains the key (case-sensitive substring), or -1.
    qsizetype Find(const QString &key);
    void Replace(qsizetype index, const QString &text);
    void Remove(qsizetype index);
    void Append(const QString &text);
    void Clear();

private:
    // Where a key was found, as of which change; kNone where no line held it.
    struct Found {
        qsizetype index;
        quint64 change;
    };
    static constexpr qsizetype kNone = -1;

    void Changed(qsizetype index);

    QStringList m_lines;
    QList<quint64> m_changedAt; // per line, the number of its last change
    quint64 m_changes = 0;
    QHash<QString, Found> m_found;
};

// The window installs its board; with none installed, reports go nowhere.
void InstallStatusBoard(StatusBoard *board);
StatusBoard *InstalledStatusBoard();

// One line per key: the first line containing the key (case-sensitive substring) is
// replaced by key + detail, or removed when the detail is "delete" in any case.
void SetStatusMessage(const QString &key, const QString &detail);
