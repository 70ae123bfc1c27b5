#pragma once

#include <QFrame>

#include <memory>

class DatabaseConnection;
class QLabel;
class QSqlQueryModel;
class QTableView;

// One column of a data-bound grid: the table column and its heading.
struct GridColumn {
    const char *field;
    const char *heading;
};

// A captioned grid bound to the rows of one query of zarvo.mdb, together with the data
// control that holds them. Every row is read when the grid is loaded, so no unfinished
// statement keeps the polling cycle from writing; the grid's own connection stays open
// while it shows the rows, as a data control's does.
class DataGrid final : public QFrame {
    Q_OBJECT

public:
    DataGrid(const QString &name, const QString &caption, QList<GridColumn> columns,
             QWidget *parent = nullptr);
    ~DataGrid() override;

    // Shows the listed columns of `fromClause` ("FROM t WHERE ... ORDER BY ..."). On
    // failure the grid keeps the rows it had and `error` says why.
    bool Load(const QString &fromClause, QString &error);
    int RowCount() const;
    QTableView *View() const { return m_view; }

private:
    QList<GridColumn> m_columns;
    QLabel *m_caption = nullptr;
    QTableView *m_view = nullptr;
    std::unique_ptr<DatabaseConnection> m_connection;
    std::unique_ptr<QSqlQueryModel> m_model;
};
