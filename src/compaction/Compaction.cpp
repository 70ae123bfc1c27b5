#include "Compaction.h"

#include "Database.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

QString NextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("packwell-%1").arg(++counter);
}

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
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

ExclusiveDatabase::ExclusiveDatabase(const QString &path) : m_bytes(path)
{
    m_file.emplace(path);
    // In exclusive locking mode the lock taken by BEGIN EXCLUSIVE outlives the COMMIT and
    // is held until the connection closes. In WAL mode too it is a lock on the file
    // itself, which any other connection to it refuses.
    const bool held = m_file->Run(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")) &&
                      m_file->Run(QStringLiteral("BEGIN EXCLUSIVE")) &&
                      m_file->Run(QStringLiteral("COMMIT"));
    if (!held) {
        if (m_file->ErrorCode().toInt() % 256 == 5) // SQLITE_BUSY and its extended codes
            m_state = State::InUse;
        return;
    }
    const auto mode = m_file->Run(QStringLiteral("PRAGMA journal_mode"));
    m_wal = mode && mode->value(0).toString() == QLatin1String("wal");
    // What the log holds goes into the file, so that the file's bytes are the database.
    if (!mode || (m_wal && !m_file->Run(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"))))
        return;
    if (!m_bytes.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        Failed(m_bytes.errorString());
        return;
    }
    m_state = State::Held;
}

bool ExclusiveDatabase::Failed(const QString &error)
{
    m_error = error;
    return false;
}

QString ExclusiveDatabase::Error() const
{
    return m_error.isEmpty() ? m_file->Error() : m_error;
}

std::optional<TableCounts> ExclusiveDatabase::Counts()
{
    return CountRows(*m_file);
}

bool ExclusiveDatabase::CopyBytes(const QString &target)
{
    QFile copy(target);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return Failed(copy.errorString());
    m_bytes.seek(0);
    for (;;) {
        const QByteArray block = m_bytes.read(1 << 20);
        if (block.isEmpty())
            break;
        if (copy.write(block) != block.size())
            return Failed(copy.errorString());
    }
    if (m_bytes.error() != QFileDevice::NoError)
        return Failed(m_bytes.errorString());
    // On the disk before the original can be replaced.
    if (::fsync(copy.handle()) != 0)
        return Failed(SystemError());
    return true;
}

bool ExclusiveDatabase::WriteCopy(const QString &target)
{
    if (!m_file->Run(QStringLiteral("VACUUM INTO ?"), {target}))
        return false;
    // The engine writes its copy with a rollback journal, whatever the file's mode.
    if (m_wal) {
        SqliteConnection copy(target);
        if (!copy.Run(QStringLiteral("PRAGMA journal_mode = WAL")))
            return Failed(copy.Error());
    }
    return true;
}

void ExclusiveDatabase::Release()
{
    m_file.reset();
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
    error = SystemError();
    return false;
}
