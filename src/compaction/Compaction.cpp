#include "Compaction.h"

#include "Database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sqlite3.h>
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

// Writes what `from` holds, from its start, to a new file; the failure's description, or
// nothing. A short write is tried again, so a full disk gives the system's reason.
std::optional<QString> CopyFile(QFile &from, const QString &target)
{
    QFile copy(target);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return copy.errorString();
    from.seek(0);
    for (;;) {
        const QByteArray block = from.read(1 << 20);
        if (block.isEmpty())
            break;
        for (qint64 done = 0; done < block.size();) {
            const qint64 written = copy.write(block.constData() + done, block.size() - done);
            if (written <= 0)
                return copy.errorString();
            done += written;
        }
        // Each block sent on to the disk at once, so the fsync waits only for the last.
        ::sync_file_range(copy.handle(), copy.pos() - block.size(), block.size(),
                          SYNC_FILE_RANGE_WRITE);
    }
    if (from.error() != QFileDevice::NoError)
        return from.errorString();
    // On the disk before the original is written over.
    if (::fsync(copy.handle()) != 0)
        return SystemError();
    return std::nullopt;
}

QString LogOf(const QString &path)
{
    return path + QStringLiteral("-wal");
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
        return;
    }
    // A run reads the file and its copy several times over: through a mapping the pages
    // are not copied for each read. The engine keeps the size within what it allows.
    Run(QStringLiteral("PRAGMA mmap_size = 4294967296"));
}

SqliteConnection::~SqliteConnection()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

sqlite3 *SqliteConnection::Handle() const
{
    return *static_cast<sqlite3 *const *>(m_db.driver()->handle().constData());
}

void SqliteConnection::KeepLogOnClose()
{
    if (m_db.isOpen())
        sqlite3_db_config(Handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

bool SqliteConnection::CopyFrom(SqliteConnection &source)
{
    if (!source.m_db.isOpen()) {
        m_error = source.m_error;
        m_code = source.m_code;
        return false;
    }
    sqlite3_backup *backup = sqlite3_backup_init(Handle(), "main", source.Handle(), "main");
    if (!backup) {
        m_error = QString::fromUtf8(sqlite3_errmsg(Handle()));
        return false;
    }
    // All pages in one step, so in one transaction; its errors are the step's.
    const int step = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (step == SQLITE_DONE)
        return true;
    m_code = QString::number(step);
    m_error = QString::fromUtf8(sqlite3_errstr(step));
    return false;
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

ExclusiveDatabase::ExclusiveDatabase(const QString &path)
    : m_path(path), m_bytes(path), m_hadLog(QFileInfo::exists(LogOf(path)))
{
    m_file.emplace(path);
    m_file->KeepLogOnClose();
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
    if (!mode)
        return;
    m_wal = mode->value(0).toString() == QLatin1String("wal");
    if (!m_bytes.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        Failed(m_bytes.errorString());
        return;
    }
    m_state = State::Held;
}

ExclusiveDatabase::~ExclusiveDatabase()
{
    // Reading a file in WAL mode makes an empty log beside it; one that was not there is
    // not left behind. Removed while the file is held, so the log is nobody else's.
    if (m_file && m_wal && (!m_hadLog || m_written) && QFileInfo(LogOf(m_path)).size() == 0)
        QFile::remove(LogOf(m_path));
    // The index a crashed program left describes a log that is gone.
    if (m_written && m_wal)
        QFile::remove(m_path + QStringLiteral("-shm"));
}

bool ExclusiveDatabase::Failed(const QString &error)
{
    m_error = error;
    return false;
}

QString ExclusiveDatabase::Error() const
{
    return m_error.isEmpty() && m_file ? m_file->Error() : m_error;
}

std::optional<TableCounts> ExclusiveDatabase::Counts()
{
    return CountRows(*m_file);
}

bool ExclusiveDatabase::CopyBytes(const QString &target)
{
    if (const auto error = CopyFile(m_bytes, target))
        return Failed(*error);
    QFile log(LogOf(m_path));
    if (!m_wal || log.size() == 0)
        return true;
    // The log beside the copy, for the engine to fold into it and remove.
    const QString copyLog = LogOf(target);
    QFile::remove(copyLog); // one left when an earlier run was killed
    std::optional<QString> error;
    if (!log.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        error = log.errorString();
    else
        error = CopyFile(log, copyLog);
    if (!error) {
        SqliteConnection copy(target);
        if (!copy.Run(QStringLiteral("PRAGMA locking_mode = EXCLUSIVE")) ||
            !copy.Run(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")))
            error = copy.Error();
    }
    QFile::remove(copyLog);
    return error ? Failed(*error) : true;
}

bool ExclusiveDatabase::WriteCopy(const QString &target)
{
    // The engine syncs the copy as it would the file. A scratch copy need not be synced:
    // it is checked, and one cut short by a crash is reported by the next run. The file's
    // own writes are synced in full again.
    const bool written = m_file->Run(QStringLiteral("PRAGMA synchronous = OFF")) &&
                         m_file->Run(QStringLiteral("VACUUM INTO ?"), {target});
    return m_file->Run(QStringLiteral("PRAGMA synchronous = FULL")) && written;
}

bool ExclusiveDatabase::WriteBack(const QString &copy)
{
    SqliteConnection source(copy);
    if (!m_file->CopyFrom(source))
        return false;
    m_written = true;
    // In WAL mode the new contents stand in the log: folded into the file, which the
    // engine then cuts to their size.
    if (!m_wal)
        return true;
    return m_file->Run(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")).has_value();
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
