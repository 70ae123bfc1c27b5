#include "TempProgramFolder.h"

#include "AlarmEvaluation.h"
#include "Clock.h"
#include "Database.h"
#include "ProgramFolder.h"
#include "SensorRecordFiles.h"
#include "ServerDatabase.h"
#include "StatusBoard.h"
#include "StatusGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlField>

void TempProgramFolder::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(
        QFile::copy(QStringLiteral(VANTREL_TEMPLATE_DB), File(QStringLiteral("zarvo.mdb"))));
    QFile::setPermissions(File(QStringLiteral("zarvo.mdb")), QFile::ReadOwner | QFile::WriteOwner);
    SetProgramFolder(m_dir.path());
    Clock::SetFixed(std::nullopt);
    ServerDatabaseModule() = {};
    CloseDatabase();
    DatabaseModule() = {};
    ResetAlarmEvaluationState();
    CloseRecordFiles();
}

void TempProgramFolder::TearDown()
{
    CloseDatabase();
    CloseRecordFiles();
    SetProgramFolder({});
    Clock::SetFixed(std::nullopt);
    InstallStatusBoard(nullptr);
    InstallStatusGrid(nullptr);
}

QString TempProgramFolder::Folder() const
{
    return m_dir.path();
}

QString TempProgramFolder::File(const QString &name) const
{
    return m_dir.filePath(name);
}

QStringList TempProgramFolder::Rows(const QString &sql) const
{
    DatabaseConnection db;
    QStringList lines;
    const auto rows = db.Select(sql);
    if (!rows)
        return {QStringLiteral("error: ") + db.LastError()};
    for (const QSqlRecord &row : *rows) {
        QStringList cells;
        for (int i = 0; i < row.count(); ++i) {
            const QVariant v = row.value(i);
            cells << row.fieldName(i) + QLatin1Char('=') +
                         (v.isNull() ? QStringLiteral("NULL") : v.toString());
        }
        lines << cells.join(QLatin1Char('|'));
    }
    return lines;
}

QStringList TempProgramFolder::ErrorRows() const
{
    return Rows(QStringLiteral("SELECT myFunction, Cause FROM tblErrors ORDER BY ErrorID"));
}

qint32 TempProgramFolder::LastId(const QString &table) const
{
    return Rows(QStringLiteral("SELECT MAX(IDNum) FROM ") + table)
        .value(0)
        .section(u'=', 1)
        .toInt();
}

QStringList TempProgramFolder::OpenFiles() const
{
    QStringList open;
    for (const QFileInfo &descriptor :
         QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files))
        if (const QString target = descriptor.symLinkTarget(); target.startsWith(Folder()))
            open << target;
    return open;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
