#pragma once

#include "Main.h"
#include "ProgramInfo.h"
#include "ScriptedPrompt.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QListWidget>
#include <QMap>
#include <QProcess>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>

// The Debian sqlite3 program: makes, reads and locks the files as another program would.
inline QString Sqlite(const QStringList &arguments, const QString &sql)
{
    QProcess process;
    process.start(QStringLiteral(SQLITE3_PROGRAM), arguments + QStringList{sql});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

inline QString Sqlite(const QString &path, const QString &sql)
{
    return Sqlite({QStringLiteral("-bail"), path}, sql);
}

// Everything a file holds, as text; read only, so a missing file is not created.
inline QString Dump(const QString &path)
{
    return Sqlite({QStringLiteral("-readonly"), path}, QStringLiteral(".dump"));
}

inline QString IntegrityCheck(const QString &path)
{
    return Sqlite({QStringLiteral("-readonly"), path}, QStringLiteral("PRAGMA integrity_check"));
}

// A few thousand readings of which half are then deleted, so compaction has room to win.
inline QString MakeDatabase(const QString &path, const QString &extraSql = {}, int pageSize = 4096)
{
    return Sqlite(
        path, QStringLiteral("PRAGMA page_size = %1;").arg(pageSize) +
                  QStringLiteral(
                      "CREATE TABLE tblReadings (id INTEGER PRIMARY KEY, sensor TEXT, reading "
                      "REAL, note TEXT);"
                      "CREATE TABLE \"tbl \"\"Notes\"\"\" (body TEXT);"
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                      "4000) INSERT INTO tblReadings (sensor, reading, note) "
                      "SELECT 'Sensor ' || (i % 8), i * 0.5, hex(randomblob(40)) FROM n;"
                      "INSERT INTO \"tbl \"\"Notes\"\"\" VALUES ('it''s cold');"
                      "DELETE FROM tblReadings WHERE id % 2 = 0;") +
                  extraSql);
}

// A mount of the test's own, undone with the object. Mounting needs the right to; where
// the machine does not give it, Error() says why and the test cannot show what needs it.
class Mount {
public:
    Mount(const QString &source, const QString &target, const char *type, unsigned long flags,
          const char *options = nullptr)
        : m_target(QFile::encodeName(target))
    {
        if (::mount(QFile::encodeName(source).constData(), m_target.constData(), type, flags,
                    options) != 0)
            m_error = std::strerror(errno);
    }
    ~Mount()
    {
        if (!m_error)
            ::umount2(m_target.constData(), MNT_DETACH);
    }
    Mount(const Mount &) = delete;
    Mount &operator=(const Mount &) = delete;

    const char *Error() const { return m_error; }

private:
    QByteArray m_target;
    const char *m_error = nullptr;
};

// Whether `process` says `text` before it falls silent for 5 s.
inline bool Said(QProcess &process, const QByteArray &text)
{
    QByteArray heard = process.readAllStandardOutput();
    while (!heard.contains(text)) {
        if (!process.waitForReadyRead(5000))
            return false;
        heard += process.readAllStandardOutput();
    }
    return true;
}

// The file in WAL mode with a row that only its log holds, and the index beside it, as a
// program killed after a commit leaves them.
inline bool LeaveCrashedWritersLog(const QString &path)
{
    QProcess writer;
    writer.start(QStringLiteral(SQLITE3_PROGRAM), {path});
    writer.write("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;\n"
                 "INSERT INTO tblReadings (note) VALUES ('only in the log'); SELECT 'written';\n");
    if (!Said(writer, "written"))
        return false;
    writer.kill();
    return writer.waitForFinished();
}

class PackwellFixture : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        ProgramInfo::SetTitle(QStringLiteral("Packwell"));
    }
    void TearDown() override
    {
        ProgramInfo::SetTitle({});
        TempProgramFolder::TearDown();
    }

    QString Database() const { return File(QStringLiteral("finch.mdb")); }

    QStringList Lines() const
    {
        QStringList lines;
        for (int row = 0; row < window.List->count(); ++row)
            lines << window.List->item(row)->text();
        return lines;
    }

    // Every file of the program folder with its bytes.
    QMap<QString, QByteArray> Files() const
    {
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(Folder()).entryList(QDir::Files))
            files.insert(name, ReadAll(File(name)));
        return files;
    }

    ScriptedPrompt prompt;
    Main window;
};
