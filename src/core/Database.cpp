#include "Database.h"

#include "ProgramFolder.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

QString NextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("vantrel-db-%1").arg(++counter);
}

} // namespace

QString DatabasePath()
{
    return ProgramFile(QStringLiteral("zarvo.mdb"));
}

bool DatabaseFileExists()
{
    return QFileInfo(DatabasePath()).isFile();
}

DatabaseConnection::DatabaseConnection()
    : m_name(NextConnectionName())
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // mode=rw: a missing file is an error, never a new empty database.
    m_db.setDatabaseName(QStringLiteral("file:") + DatabasePath() + QStringLiteral("?mode=rw"));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!m_db.open())
        m_error = m_db.lastError().text();
}

DatabaseConnection::~DatabaseConnection()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

bool DatabaseConnection::IsOpen() const
{
    return m_db.isOpen();
}

QString DatabaseConnection::LastError() const
{
    return m_error;
}

QSqlDatabase &DatabaseConnection::Handle()
{
    return m_db;
}

bool DatabaseConnection::Exec(const QString &sql, const Bindings &bindings)
{
    if (!IsOpen())
        return false;
    QSqlQuery query(m_db);
    if (!query.prepare(sql)) {
        m_error = query.lastError().text();
        return false;
    }
    for (const QVariant &value : bindings)
        query.addBindValue(value);
    if (!query.exec()) {
        m_error = query.lastError().text();
        return false;
    }
    return true;
}

std::optional<Recordset> DatabaseConnection::Select(const QString &sql, const Bindings &bindings)
{
    if (!IsOpen())
        return std::nullopt;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        m_error = query.lastError().text();
        return std::nullopt;
    }
    for (const QVariant &value : bindings)
        query.addBindValue(value);
    if (!query.exec()) {
        m_error = query.lastError().text();
        return std::nullopt;
    }
    Recordset rows;
    while (query.next())
        rows.append(query.record());
    if (query.lastError().isValid()) {
        m_error = query.lastError().text();
        return std::nullopt;
    }
    return rows;
}
