#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

struct sqlite3_stmt;

// Rows read into memory: SQLite blocks writers while a SELECT is unfinished, so no
// statement outlives the operation that ran it.
using Recordset = QList<QSqlRecord>;
// Values for the statement's ? placeholders, in order.
using Bindings = QVariantList;

QString DatabasePath();
// The engine's name for an existing database file: opening it never creates one.
QString DatabaseUri(const QString &path);
bool DatabaseFileExists();

// One row of a SELECT while it is read, straight from the engine, valid only inside the
// call it is handed to. Values come as the rest of the program has always seen them:
// whole numbers as qint64, reals as double, texts, blobs as bytes, NULL as a null text.
class DatabaseRow {
public:
    explicit DatabaseRow(sqlite3_stmt *statement) : m_statement(statement) {}
    int Count() const;
    QString Name(int column) const;
    // The column of that name, letter case aside; -1 when the result has none.
    int IndexOf(const QString &name) const;
    // Nothing, as for a name the row lacks, for a column below 0.
    QVariant Value(int column) const;

private:
    sqlite3_stmt *m_statement;
};

// Where the file stands: any change to its rows or tables, by another program or through
// this connection, or another file in its place, gives a different version.
struct DatabaseVersion {
    quint64 open = 0;        // which opening of the file
    qint64 theirs = 0;       // the engine's mark for other connections' commits
    qint64 rowsChanged = 0;  // by this connection
    quint64 schemaEdits = 0; // ALTER, CREATE or DROP run by this connection
    bool operator==(const DatabaseVersion &) const = default;
};

// The status-board key of a database failure that the error log could not take.
inline const QString kDatabaseErrorKey = QStringLiteral("Database error: ");

// Module state of the program's one connection to zarvo.mdb.
struct DatabaseState {
    int busyTimeoutMs = 5000; // one wait on another program's lock
    int lockWaits = 0;        // statements that waited out a lock, for the whole run
    bool inCycle = false;     // a polling cycle runs
    int cycle = 0;            // the cycles begun, for what is read once per cycle
    QString cycleLock;        // the lock error met in this cycle; later statements fail at once
    bool errorShown = false;  // a "Database error: " line is up
};
DatabaseState &DatabaseModule();
// Closes the connection; the next operation opens it again.
void CloseDatabase();

// One operation on the program's single connection to zarvo.mdb. The connection lives
// for the run, but before every statement it checks that zarvo.mdb is still the file it
// opened (device and inode): a replaced file is reopened, a deleted one fails as a
// missing file does, and nothing is ever created. No unread SELECT survives a
// statement, and no transaction the operation, so the file is never locked between
// operations. Statements are prepared once and reused; every value is bound, never
// spliced in.
class DatabaseConnection {
public:
    DatabaseConnection();
    DatabaseConnection(const DatabaseConnection &) = delete;
    DatabaseConnection &operator=(const DatabaseConnection &) = delete;

    bool IsOpen() const;
    // The reason the last open or statement failed.
    QString LastError() const;

    [[nodiscard]] bool Exec(const QString &sql, const Bindings &bindings = {});
    [[nodiscard]] std::optional<Recordset> Select(const QString &sql,
                                                  const Bindings &bindings = {});
    // The same, each row handed to `row` as it is read, for values taken by column index:
    // no record is built and no name looked up per value. `row` runs no statement of its
    // own. False when the SELECT failed.
    [[nodiscard]] bool SelectEach(const QString &sql, const Bindings &bindings,
                                  const std::function<void(const DatabaseRow &)> &row);
    // The file's version now, for reads kept while it stays the same.
    std::optional<DatabaseVersion> Version();
    // Table and column names cannot be bound. A name handed in is accepted only when the
    // file's own schema holds it (letter case aside), and comes back as the schema spells
    // it: the table, then the columns. Looked up once per connection.
    std::optional<QStringList> SchemaNames(const QString &table, const QStringList &columns);
    // For a query model; it must read all its rows at once.
    QSqlDatabase Handle();

private:
    bool Ready();
    bool ReadyForStatement();
    QString m_error;
    bool m_open = false;
    bool m_checked = false; // Ready() ran on construction and no statement has used it yet
};

// Statements run on the connection between this and Commit() take effect together or not
// at all: leaving the scope uncommitted rolls them back. Never held across a device wait,
// an e-mail send or a message box.
class DatabaseTransaction {
public:
    explicit DatabaseTransaction(DatabaseConnection &db);
    ~DatabaseTransaction();
    DatabaseTransaction(const DatabaseTransaction &) = delete;
    DatabaseTransaction &operator=(const DatabaseTransaction &) = delete;

    bool IsOpen() const { return m_open; }
    [[nodiscard]] bool Commit();

private:
    DatabaseConnection &m_db;
    bool m_open;
};

// The span of one polling cycle: after the first "database is locked" in it, every
// further statement fails at once, so another program's lock costs one wait per cycle.
class DatabaseCycle {
public:
    DatabaseCycle();
    ~DatabaseCycle();
    DatabaseCycle(const DatabaseCycle &) = delete;
    DatabaseCycle &operator=(const DatabaseCycle &) = delete;
};

// A database failure the error log could not take: a status-board line until a write succeeds.
void ShowDatabaseError(const QString &cause);
