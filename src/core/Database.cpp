#include "Database.h"

#include "ProgramFolder.h"
#include "StatusBoard.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QUrl>

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <utility>

namespace {

const QString kConnectionName = QStringLiteral("vantrel-db");

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity &) const = default;
};

std::optional<FileIdentity> IdentityOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

// The one connection and what hangs on it; all of it goes when the file changes. The
// statements run on the engine's own handle of Qt's connection: Qt's result layer costs
// more per row and per statement than the whole of a polling cycle's reads.
struct SharedConnection {
    sqlite3 *engine = nullptr; // Qt's connection is open
    quint64 open = 0;
    quint64 schemaEdits = 0;
    FileIdentity identity;
    int busyTimeoutMs = 0;
    // The engine found the file write-protected and opened it read-only; it stays so, also
    // once the file is writable again, until it is opened anew: at the next operation.
    bool readOnly = false;
    QHash<QString, sqlite3_stmt *> statements;
    QHash<QString, QStringList> schemaNames;
};

DatabaseState g_state;
SharedConnection g_connection;
quint64 g_opens = 0; // for the whole run: a version never matches one of another opening

QSqlDatabase Database()
{
    return QSqlDatabase::contains(kConnectionName)
               ? QSqlDatabase::database(kConnectionName, false)
               : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnectionName);
}

} // namespace

// mode=rw: a missing file is an error, never a new empty database. The path is
// percent-encoded, so a '#', '?' or '%' in a folder name cannot end the file name early.
QString DatabaseUri(const QString &path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=rw");
}

namespace {

// The engine's message, then the step that failed: the texts the error log has always held.
QString EngineError(const char *step)
{
    return QString(static_cast<const QChar *>(sqlite3_errmsg16(g_connection.engine))) +
           QLatin1Char(' ') + QLatin1String(step);
}

void NoteFailure(int code, const QString &error)
{
    // The connection reports extended codes; the low byte is the primary one.
    if ((code & 0xff) != SQLITE_BUSY)
        return;
    ++g_state.lockWaits;
    if (g_state.inCycle)
        g_state.cycleLock = error;
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

DatabaseState &DatabaseModule()
{
    return g_state;
}

void CloseDatabase()
{
    // Prepared statements keep the file open; they go first.
    for (sqlite3_stmt *statement : std::as_const(g_connection.statements))
        sqlite3_finalize(statement);
    g_connection = SharedConnection{};
    if (QSqlDatabase::contains(kConnectionName))
        Database().close();
}

void ShowDatabaseError(const QString &cause)
{
    SetStatusMessage(kDatabaseErrorKey, cause);
    g_state.errorShown = true;
}

DatabaseCycle::DatabaseCycle()
{
    g_state.inCycle = true;
    ++g_state.cycle;
    g_state.cycleLock.clear();
}

DatabaseCycle::~DatabaseCycle()
{
    g_state.inCycle = false;
    g_state.cycleLock.clear();
}

DatabaseConnection::DatabaseConnection()
{
    m_open = Ready();
    m_checked = m_open;
}

bool DatabaseConnection::ReadyForStatement()
{
    // The check made on construction serves the statement that follows it at once.
    if (std::exchange(m_checked, false))
        return true;
    return m_open = Ready();
}

bool DatabaseConnection::Ready()
{
    if (g_state.inCycle && !g_state.cycleLock.isEmpty()) {
        m_error = g_state.cycleLock;
        return false;
    }
    const QString path = DatabasePath();
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (g_connection.engine && !g_connection.readOnly && identity &&
        *identity == g_connection.identity && g_state.busyTimeoutMs == g_connection.busyTimeoutMs)
        return true;

    CloseDatabase();
    QSqlDatabase db = Database();
    // The kept statements must go while Qt's SQL layer still stands.
    static const bool closedAtExit = (qAddPostRoutine(CloseDatabase), true);
    Q_UNUSED(closedAtExit);
    db.setDatabaseName(DatabaseUri(path));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=") +
                         QString::number(g_state.busyTimeoutMs));
    if (!db.open()) {
        m_error = db.lastError().text();
        return false;
    }
    const std::optional<FileIdentity> opened = IdentityOf(path);
    if (!opened) {
        // Gone between the open and the look: no handle on a file that has no name.
        m_error = QStringLiteral("unable to open database file");
        CloseDatabase();
        return false;
    }
    g_connection.engine = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
    g_connection.open = ++g_opens;
    g_connection.identity = *opened;
    g_connection.busyTimeoutMs = g_state.busyTimeoutMs;
    g_connection.readOnly = sqlite3_db_readonly(g_connection.engine, "main") == 1;
    return true;
}

bool DatabaseConnection::IsOpen() const
{
    return m_open;
}

QString DatabaseConnection::LastError() const
{
    return m_error;
}

QSqlDatabase DatabaseConnection::Handle()
{
    ReadyForStatement();
    return Database();
}

int DatabaseRow::Count() const
{
    return sqlite3_column_count(m_statement);
}

QString DatabaseRow::Name(int column) const
{
    // Quotes never reached the names Qt's layer gave.
    return QString(static_cast<const QChar *>(sqlite3_column_name16(m_statement, column)))
        .remove(QLatin1Char('"'));
}

int DatabaseRow::IndexOf(const QString &name) const
{
    for (int column = 0; column < Count(); ++column)
        if (Name(column).compare(name, Qt::CaseInsensitive) == 0)
            return column;
    return -1;
}

QVariant DatabaseRow::Value(int column) const
{
    if (column < 0)
        return {};
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(m_statement, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_statement, column);
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_statement, column)),
                          sqlite3_column_bytes(m_statement, column));
    default: {
        // Plain ASCII, nearly every text here, needs no conversion by the engine; any other
        // text is converted exactly as it always was.
        const auto *bytes = sqlite3_column_text(m_statement, column);
        const int size = sqlite3_column_bytes(m_statement, column);
        if (std::all_of(bytes, bytes + size, [](unsigned char c) { return c < 0x80; }))
            return QString::fromLatin1(reinterpret_cast<const char *>(bytes), size);
        return QString(static_cast<const QChar *>(sqlite3_column_text16(m_statement, column)),
                       sqlite3_column_bytes16(m_statement, column) / qsizetype(sizeof(QChar)));
    }
    }
}

namespace {

sqlite3_stmt *Prepared(const QString &sql, QString &error)
{
    if (sqlite3_stmt *kept = g_connection.statements.value(sql))
        return kept;
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *statement = nullptr;
    const char *rest = nullptr;
    const int code = sqlite3_prepare_v3(g_connection.engine, text.constData(), int(text.size()),
                                        SQLITE_PREPARE_PERSISTENT, &statement, &rest);
    if (code != SQLITE_OK) {
        error = EngineError("Unable to execute statement");
        NoteFailure(code, error);
        return nullptr;
    }
    if (!statement) { // nothing but blanks or comments
        error = QStringLiteral("No query Unable to fetch row");
        return nullptr;
    }
    if (!QString::fromUtf8(rest, text.constEnd() - rest).trimmed().isEmpty()) {
        sqlite3_finalize(statement);
        error = EngineError("Unable to execute multiple statements at a time");
        return nullptr;
    }
    g_connection.statements.insert(sql, statement);
    return statement;
}

// A null text has always been stored as NULL, as has a value read from a NULL.
bool IsNull(const QVariant &value)
{
    return value.isNull() || (value.typeId() == QMetaType::QString &&
                              static_cast<const QString *>(value.constData())->isNull());
}

bool Bind(sqlite3_stmt *statement, const Bindings &bindings, QString &error)
{
    if (sqlite3_bind_parameter_count(statement) != bindings.size()) {
        error = QStringLiteral("Parameter count mismatch");
        return false;
    }
    for (int i = 0; i < int(bindings.size()); ++i) {
        const QVariant &value = bindings[i];
        const int at = i + 1;
        int code = SQLITE_OK;
        // The values live until the statement is reset, so the engine need not copy them.
        if (IsNull(value)) {
            code = sqlite3_bind_null(statement, at);
        } else {
            switch (value.typeId()) {
            case QMetaType::Int:
            case QMetaType::Bool:
                code = sqlite3_bind_int(statement, at, value.toInt());
                break;
            case QMetaType::Double:
                code = sqlite3_bind_double(statement, at, value.toDouble());
                break;
            case QMetaType::UInt:
            case QMetaType::LongLong:
                code = sqlite3_bind_int64(statement, at, value.toLongLong());
                break;
            case QMetaType::QString: {
                const QString *text = static_cast<const QString *>(value.constData());
                code = sqlite3_bind_text16(statement, at, text->constData(),
                                           int(text->size() * sizeof(QChar)), SQLITE_STATIC);
                break;
            }
            default: {
                const QString text = value.toString();
                code = sqlite3_bind_text16(statement, at, text.constData(),
                                           int(text.size() * sizeof(QChar)), SQLITE_TRANSIENT);
                break;
            }
            }
        }
        if (code != SQLITE_OK) {
            error = EngineError("Unable to bind parameters");
            return false;
        }
    }
    return true;
}

// A kept statement with its values bound, for one operation: reset when it goes, so no
// read transaction or unread SELECT outlives the operation.
class Statement {
public:
    Statement(const QString &sql, const Bindings &bindings, QString &error)
        : m_statement(Prepared(sql, error)), m_error(error)
    {
        if (m_statement && !Bind(m_statement, bindings, error)) {
            Reset();
            m_statement = nullptr;
        }
    }
    ~Statement()
    {
        if (m_statement)
            Reset();
    }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt *Handle() const { return m_statement; }
    // SQLITE_ROW, SQLITE_DONE, or a failure with its text in the error.
    int Step()
    {
        const int code = sqlite3_step(m_statement);
        if (code != SQLITE_ROW && code != SQLITE_DONE) {
            m_error = EngineError("Unable to fetch row");
            NoteFailure(code, m_error);
        }
        return code;
    }

private:
    void Reset()
    {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }

    sqlite3_stmt *m_statement;
    QString &m_error;
};

} // namespace

bool DatabaseConnection::Exec(const QString &sql, const Bindings &bindings)
{
    if (!ReadyForStatement())
        return false;
    {
        Statement statement(sql, bindings, m_error);
        if (!statement)
            return false;
        const int code = statement.Step();
        if (code != SQLITE_ROW && code != SQLITE_DONE)
            return false;
    }
    // Our own schema change must not leave a stale name behind.
    static const QRegularExpression ddl(QStringLiteral("^\\s*(ALTER|CREATE|DROP)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (ddl.match(sql).hasMatch()) {
        g_connection.schemaNames.clear();
        ++g_connection.schemaEdits;
    }
    if (g_state.errorShown) {
        g_state.errorShown = false;
        SetStatusMessage(kDatabaseErrorKey, QStringLiteral("delete"));
    }
    return true;
}

std::optional<Recordset> DatabaseConnection::Select(const QString &sql, const Bindings &bindings)
{
    Recordset rows;
    QSqlRecord layout; // the names, taken at the first row
    if (!SelectEach(sql, bindings, [&](const DatabaseRow &row) {
            const int count = row.Count();
            if (rows.isEmpty())
                for (int column = 0; column < count; ++column)
                    layout.append(QSqlField(row.Name(column)));
            QSqlRecord record = layout;
            for (int column = 0; column < count; ++column)
                record.setValue(column, row.Value(column));
            rows.append(record);
        }))
        return std::nullopt;
    return rows;
}

bool DatabaseConnection::SelectEach(const QString &sql, const Bindings &bindings,
                                    const std::function<void(const DatabaseRow &)> &row)
{
    if (!ReadyForStatement())
        return false;
    Statement statement(sql, bindings, m_error);
    if (!statement)
        return false;
    const DatabaseRow current(statement.Handle());
    for (;;) {
        const int code = statement.Step();
        if (code != SQLITE_ROW)
            return code == SQLITE_DONE;
        row(current);
    }
}

DatabaseTransaction::DatabaseTransaction(DatabaseConnection &db)
    : m_db(db), m_open(db.Exec(QStringLiteral("BEGIN IMMEDIATE")))
{
}

DatabaseTransaction::~DatabaseTransaction()
{
    if (m_open)
        (void)m_db.Exec(QStringLiteral("ROLLBACK"));
}

bool DatabaseTransaction::Commit()
{
    // A commit that failed (a lock held elsewhere) leaves the transaction open: rolled back.
    if (!m_open || !m_db.Exec(QStringLiteral("COMMIT")))
        return false;
    m_open = false;
    return true;
}

std::optional<DatabaseVersion> DatabaseConnection::Version()
{
    // Read before the rows it stands for: a commit in between only costs a second read.
    qint64 theirs = 0;
    if (!SelectEach(QStringLiteral("PRAGMA data_version"), {},
                    [&theirs](const DatabaseRow &row) { theirs = row.Value(0).toLongLong(); }))
        return std::nullopt;
    return DatabaseVersion{g_connection.open, theirs, sqlite3_total_changes64(g_connection.engine),
                           g_connection.schemaEdits};
}

std::optional<QStringList> DatabaseConnection::SchemaNames(const QString &table,
                                                           const QStringList &columns)
{
    const QString key = (QStringList{table} + columns).join(QLatin1Char('\n')).toLower();
    if (!ReadyForStatement())
        return std::nullopt;
    if (const auto known = g_connection.schemaNames.constFind(key);
        known != g_connection.schemaNames.constEnd())
        return *known;

    const auto tables =
        Select(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"
                              " AND name NOT LIKE 'sqlite%' AND name = ? COLLATE NOCASE"),
               {table});
    if (!tables)
        return std::nullopt;
    if (tables->isEmpty()) {
        m_error = QStringLiteral("There is no table named \"") + table + QStringLiteral("\".");
        return std::nullopt;
    }
    QStringList names{tables->first().value(0).toString()};
    for (const QString &column : columns) {
        const auto found = Select(
            QStringLiteral("SELECT name FROM pragma_table_info(?) WHERE name = ? COLLATE NOCASE"),
            {names.first(), column});
        if (!found)
            return std::nullopt;
        if (found->isEmpty()) {
            m_error = QStringLiteral("Table ") + names.first() +
                      QStringLiteral(" has no column \"") + column + QStringLiteral("\".");
            return std::nullopt;
        }
        names << found->first().value(0).toString();
    }
    // Only names found are kept: a column the upgrade adds later is looked up again.
    g_connection.schemaNames.insert(key, names);
    return names;
}
