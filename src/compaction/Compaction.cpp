#include "Compaction.h"

#include "Database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString NextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("packwell-%1").arg(++counter);
}

QString Quoted(QString identifier)
{
    return QLatin1Char('"') + identifier.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

std::optional<TableCounts> CountRows(SqliteConnection &file)
{
    const auto names =
        file.Run(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    if (!names)
        return std::nullopt;
    TableCounts counts;
    for (const QVariant &name : *names) {
        // A table name cannot be bound; it comes from the file itself and is quoted.
        const auto count =
            file.Run(QStringLiteral("SELECT count(*) FROM ") + Quoted(name.toString()));
        if (!count)
            return std::nullopt;
        counts.insert(name.toString(), count->value(0).toLongLong());
    }
    return counts;
}

} // namespace

qint64 KBytes(qint64 bytes)
{
    return (bytes + 500) / 1000;
}

QString ComparisonLine(qint64 startBytes, qint64 compactedBytes)
{
    if (compactedBytes < startBytes)
        return QStringLiteral("Successfully compacted database");
    if (compactedBytes == startBytes)
        return QStringLiteral("Database is ") + QString::number(KBytes(startBytes)) +
               QStringLiteral(" kbytes and could not be compacted further.");
    return {};
}

SqliteConnection::SqliteConnection(const QString &path) : m_name(NextConnectionName())
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(DatabaseUri(path));
    // No busy wait: a file another program holds is reported at once, not waited for.
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=0"));
    if (!m_db.open()) {
        m_error = m_db.lastError().databaseText();
        m_code = m_db.lastError().nativeErrorCode();
    }
}

SqliteConnection::~SqliteConnection()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

std::optional<QVariantList> SqliteConnection::Run(const QString &sql, const QVariantList &bindings)
{
    if (!m_db.isOpen())
        return std::nullopt;
    QSqlQuery query(m_db);
    bool done = query.prepare(sql);
    if (done) {
        for (const QVariant &value : bindings)
            query.addBindValue(value);
        done = query.exec();
    }
    QVariantList rows;
    while (done && query.next())
        rows.append(query.value(0));
    if (query.lastError().isValid()) {
        m_error = query.lastError().databaseText();
        m_code = query.lastError().nativeErrorCode();
        return std::nullopt;
    }
    return rows;
}

ExclusiveDatabase::ExclusiveDatabase(const QString &path) : m_file(path)
{
    // Readers of a database in WAL mode take no lock that would stop us.
    if (QFileInfo::exists(path + QStringLiteral("-wal"))) {
        m_state = State::InUse;
        return;
    }
    // In exclusive locking mode the lock taken by BEGIN EXCLUSIVE outlives the COMMIT
    // and is held until the connection closes.
    const bool held = m_file.Run(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")) &&
                      m_file.Run(QStringLiteral("BEGIN EXCLUSIVE")) &&
                      m_file.Run(QStringLiteral("COMMIT"));
    if (held)
        m_state = State::Held;
    else if (m_file.ErrorCode().toInt() % 256 == 5) // SQLITE_BUSY and its extended codes
        m_state = State::InUse;
}

std::optional<TableCounts> ExclusiveDatabase::Counts()
{
    return CountRows(m_file);
}

bool ExclusiveDatabase::WriteCopy(const QString &target)
{
    return m_file.Run(QStringLiteral("VACUUM INTO ?"), {target}).has_value();
}

QString CheckCopy(const QString &path, const TableCounts &original)
{
    // Read-write: a read-only connection skips the CHECK constraints in the check.
    SqliteConnection copy(path);
    const auto verdict = copy.Run(QStringLiteral("PRAGMA integrity_check(3)"));
    if (!verdict)
        return copy.Error();
    if (verdict->size() != 1 || verdict->value(0).toString() != QLatin1String("ok")) {
        QStringList problems;
        for (const QVariant &line : *verdict)
            problems << line.toString();
        return problems.join(QStringLiteral("; "));
    }
    const auto counts = CountRows(copy);
    if (!counts)
        return copy.Error();
    for (auto table = original.cbegin(); table != original.cend(); ++table) {
        if (!counts->contains(table.key()))
            return QStringLiteral("table ") + table.key() + QStringLiteral(" is missing");
        if (counts->value(table.key()) != table.value())
            return QStringLiteral("table %1 holds %2 rows instead of %3")
                .arg(table.key())
                .arg(counts->value(table.key()))
                .arg(table.value());
    }
    return {};
}

bool ReplaceFile(const QString &from, const QString &to, QString &error)
{
    // QFile::rename refuses an existing target; rename(2) swaps it in atomically.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}
