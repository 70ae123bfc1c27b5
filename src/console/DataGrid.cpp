#include "DataGrid.h"

#include "Database.h"

#include <QHeaderView>
#include <QLabel>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QTableView>
#include <QVBoxLayout>

DataGrid::DataGrid(const QString &name, const QString &caption, QList<GridColumn> columns,
                   QWidget *parent)
    : QFrame(parent), m_columns(std::move(columns))
{
    setObjectName(name);
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_caption = new QLabel(caption, this);
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setAutoFillBackground(true);
    m_caption->setBackgroundRole(QPalette::Mid);
    m_view = new QTableView(this);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_caption);
    layout->addWidget(m_view, 1);
}

DataGrid::~DataGrid()
{
    // The rows' query must be gone before its connection is removed.
    m_view->setModel(nullptr);
    m_model.reset();
    m_connection.reset();
}

bool DataGrid::Load(const QString &fromClause, QString &error)
{
    QStringList fields;
    for (const GridColumn &column : m_columns)
        fields << QString::fromLatin1(column.field);
    const QString sql = QStringLiteral("SELECT ") + fields.join(QStringLiteral(", ")) +
                        QLatin1Char(' ') + fromClause;

    auto connection = std::make_unique<DatabaseConnection>();
    if (!connection->IsOpen()) {
        error = connection->LastError();
        return false;
    }
    auto model = std::make_unique<QSqlQueryModel>();
    model->setQuery(sql, connection->Handle());
    while (!model->lastError().isValid() && model->canFetchMore())
        model->fetchMore();
    if (model->lastError().isValid()) {
        error = model->lastError().text();
        return false;
    }
    for (int i = 0; i < m_columns.size(); ++i)
        model->setHeaderData(i, Qt::Horizontal, QString::fromLatin1(m_columns[i].heading));

    m_view->setModel(model.get());
    // Each heading shows whole; the last column still takes what is left.
    QHeaderView *header = m_view->horizontalHeader();
    for (int i = 0; i < m_columns.size(); ++i)
        header->resizeSection(i, std::max(header->sectionSize(i), header->sectionSizeHint(i)));
    m_model = std::move(model);
    m_connection = std::move(connection);
    return true;
}

int DataGrid::RowCount() const
{
    return m_model ? m_model->rowCount() : 0;
}
