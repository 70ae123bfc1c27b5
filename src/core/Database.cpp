#include "Database.h"

#include "ProgramFolder.h"
#include "StatusBoard.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <sys/stat.h>

#include <utility>

namespace {

const QString kConnectionName = QStringLiteral("vantrel-db");
constexpr int kSqliteBusy = 5;

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

// The one connection and what hangs on it; all of it goes when the file changes.
struct SharedConnection {
    FileIdentity identity;
    int busyTimeoutMs = 0;
    QHash<QString, QSqlQuery> statements;
    QHash<QString, QStringList> schemaNames;
};

DatabaseState g_state;
SharedConnection g_connection;

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

void NoteFailure(const QSqlError &error)
{
    if (error.nativeErrorCode().toInt() % 256 != kSqliteBusy)
        return;
    ++g_state.lockWaits;
    if (g_state.inCycle)
        g_state.cycleLock = error.text();
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
    QSqlDatabase db = Database();
    const QString path = DatabasePath();
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (db.isOpen() && identity && *identity == g_connection.identity &&
        g_state.busyTimeoutMs == g_connection.busyTimeoutMs)
        return true;

    CloseDatabase();
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
    g_connection.identity = *opened;
    g_connection.busyTimeoutMs = g_state.busyTimeoutMs;
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

namespace {

QSqlQuery *Prepared(const QString &sql, QString &error)
{
    auto it = g_connection.statements.find(sql);
    if (it == g_connection.statements.end()) {
        QSqlQuery query(Database());
        query.setForwardOnly(true);
        if (!query.prepare(sql)) {
            error = query.lastError().text();
            NoteFailure(query.lastError());
            return nullptr;
        }
        it = g_connection.statements.insert(sql, query);
    }
    return &it.value();
}

// Runs the statement; rows are read by the caller before finish().
QSqlQuery *Run(const QString &sql, const Bindings &bindings, QString &error)
{
    QSqlQuery *query = Prepared(sql, error);
    if (!query)
        return nullptr;
    for (qsizetype i = 0; i < bindings.size(); ++i)
        query->bindValue(int(i), bindings[i]);
    if (!query->exec()) {
        error = query->lastError().text();
        NoteFailure(query->lastError());
        query->finish();
        return nullptr;
    }
    return query;
}

} // namespace

bool DatabaseConnection::Exec(const QString &sql, const Bindings &bindings)
{
    if (!ReadyForStatement())
        return false;
    QSqlQuery *query = Run(sql, bindings, m_error);
    if (!query)
        return false;
    query->finish();
    // Our own schema change must not leave a stale name behind.
    static const QRegularExpression ddl(QStringLiteral("^\\s*(ALTER|CREATE|DROP)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (ddl.match(sql).hasMatch())
        g_connection.schemaNames.clear();
    if (g_state.errorShown) {
        g_state.errorShown = false;
        SetStatusMessage(kDatabaseErrorKey, QStringLiteral("delete"));
    }
    return true;
}

std::optional<Recordset> DatabaseConnection::Select(const QString &sql, const Bindings &bindings)
{
    Recordset rows;
    if (!SelectEach(sql, bindings,
                    [&rows](const QSqlQuery &query) { rows.append(query.record()); }))
        return std::nullopt;
    return rows;
}

bool DatabaseConnection::SelectEach(const QString &sql, const Bindings &bindings,
                                    const std::function<void(const QSqlQuery &)> &row)
{
    if (!ReadyForStatement())
        return false;
    QSqlQuery *query = Run(sql, bindings, m_error);
    if (!query)
        return false;
    while (query->next())
        row(*query);
    const QSqlError error = query->lastError();
    // An unfinished SELECT would keep the file locked against other programs.
    query->finish();
    if (error.isValid()) {
        m_error = error.text();
        NoteFailure(error);
        return false;
    }
    return true;
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
