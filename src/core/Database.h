#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include <optional>

// Rows read into memory: SQLite blocks writers while a SELECT is unfinished, so no
// statement outlives the operation that ran it.
using Recordset = QList<QSqlRecord>;
// Values for the statement's ? placeholders, in order.
using Bindings = QVariantList;

QString DatabasePath();
bool DatabaseFileExists();

// One connection to zarvo.mdb for the length of one operation. Opening a missing file
// fails instead of creating an empty database. Every value is bound, never spliced in.
class DatabaseConnection {
public:
    DatabaseConnection();
    ~DatabaseConnection();
    DatabaseConnection(const DatabaseConnection &) = delete;
    DatabaseConnection &operator=(const DatabaseConnection &) = delete;

    bool IsOpen() const;
    // The reason the last open or statement failed.
    QString LastError() const;

    bool Exec(const QString &sql, const Bindings &bindings = {});
    std::optional<Recordset> Select(const QString &sql, const Bindings &bindings = {});
    QSqlDatabase &Handle();

private:
    QString m_name;
    QSqlDatabase m_db;
    QString m_error;
};
