#pragma once

#include <QFile>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <optional>

struct sqlite3;

// Sizes are 64-bit: a database past 2 GiB must not turn negative.
// Shown in thousands of bytes, halves rounded up, no separator (1,234,567 -> 1235).
qint64 KBytes(qint64 bytes);

// The line comparing a compacted copy with the original; empty when the copy is larger.
QString ComparisonLine(qint64 startBytes, qint64 compactedBytes);

// Every table of a database with its number of rows.
using TableCounts = QMap<QString, qint64>;

// One engine connection to one file, closed and let go with the object.
class SqliteConnection {
public:
    // The file must exist: opening never creates one.
    explicit SqliteConnection(const QString &path);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection &) = delete;
    SqliteConnection &operator=(const SqliteConnection &) = delete;

    // Runs a statement with its bound values; the rows' first column, or nothing with
    // the engine's description in Error().
    std::optional<QVariantList> Run(const QString &sql, const QVariantList &bindings = {});
    QString Error() const { return m_error; }
    // The engine's code for the last failure (5 when another connection holds a lock).
    QString ErrorCode() const { return m_code; }
    // Closing then leaves a write-ahead log as it stands instead of folding it into the
    // file and removing it.
    void KeepLogOnClose();
    // Everything the database holds replaced by what `source` holds, in one transaction of
    // the file's own journal mode: a reader sees the old contents or the new ones.
    bool CopyFrom(SqliteConnection &source);

private:
    sqlite3 *Handle() const;

    QString m_name;
    QSqlDatabase m_db;
    QString m_error;
    QString m_code;
};

// A database file opened for this program alone. No other process may read or write it
// while this object lives, because its contents are written anew at the end of a run.
// Everything that reads the file goes through this object: a second handle on it, once
// closed, would drop this process's locks with it (POSIX record locks belong to the
// process). Until WriteBack() it changes no byte of the file or of its write-ahead log.
class ExclusiveDatabase {
public:
    enum class State { Held, InUse, Failed };

    // Never creates the file; a missing one is Failed.
    explicit ExclusiveDatabase(const QString &path);
    ~ExclusiveDatabase();
    ExclusiveDatabase(const ExclusiveDatabase &) = delete;
    ExclusiveDatabase &operator=(const ExclusiveDatabase &) = delete;

    State Status() const { return m_state; }
    // The description of the last failure.
    QString Error() const;

    std::optional<TableCounts> Counts();
    // The database as it stands, also what only its write-ahead log holds: the file's
    // bytes, whole since nobody else can write to them, with the log folded into the copy.
    bool CopyBytes(const QString &target);
    // A compacted copy written by the engine; it refuses a target that is not empty.
    bool WriteCopy(const QString &target);
    // The file's contents replaced by those of `copy` in one transaction, the file shrunk
    // to their size. The file itself stays: a program that opened it before or during the
    // run goes on with the one file and its one log.
    bool WriteBack(const QString &copy);

private:
    bool Failed(const QString &error);

    QString m_path;
    QFile m_bytes; // closed only after the engine's connection
    std::optional<SqliteConnection> m_file;
    State m_state = State::Failed;
    bool m_wal = false;
    bool m_hadLog = false;
    bool m_written = false;
    QString m_error; // of a file operation; the engine's own are kept by m_file
};

// Why a copy is not fit to stand in for the original: it fails the engine's integrity
// check or its tables differ from the counted ones. Empty when the copy is sound.
QString CheckCopy(const QString &path, const TableCounts &original);

// Puts `from` in the place of `to` in one step, so `to` never goes missing.
bool ReplaceFile(const QString &from, const QString &to, QString &error);
