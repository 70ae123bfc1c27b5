#include "Clock.h"
#include "Database.h"
#include "ServerDatabase.h"
#include "TempProgramFolder.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// "table: column TYPE, column TYPE ..." per table, keys marked with "pk".
QStringList SchemaOutline()
{
    DatabaseConnection db;
    QStringList outline;
    const auto tables =
        db.Select(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                                 "LIKE 'sqlite%' ORDER BY name"));
    if (!tables)
        return {QStringLiteral("error: ") + db.LastError()};
    for (const QSqlRecord &table : *tables) {
        const QString name = table.value(0).toString();
        QStringList columns;
        const auto info =
            db.Select(QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"), {name});
        for (const QSqlRecord &c : *info)
            columns << c.value(0).toString() + QLatin1Char(' ') + c.value(1).toString() +
                           (c.value(2).toInt() ? QStringLiteral(" pk") : QString());
        outline << name + QStringLiteral(": ") + columns.join(QStringLiteral(", "));
    }
    return outline;
}

// Turns the shipped file into one written before the four later columns existed.
void DropLaterColumns()
{
    DatabaseConnection db;
    for (const char *statement : {"ALTER TABLE tblAlarms DROP COLUMN Resolution",
                                  "ALTER TABLE tblSensors DROP COLUMN UpperLimit",
                                  "ALTER TABLE tblSensors DROP COLUMN LowerLimit",
                                  "ALTER TABLE tblSensors DROP COLUMN TOL"})
        ASSERT_TRUE(db.Exec(QLatin1String(statement))) << qPrintable(db.LastError());
}

const QStringList kShippedOutline = {
    QStringLiteral(
        "tblAlarms: IDNum INTEGER pk, SensorIDNum INTEGER, AlarmStart TEXT, AlarmEnd TEXT, "
        "AlarmActive INTEGER, Server TEXT, Sensor TEXT, CurrentData TEXT, TOL INTEGER, "
        "CauseOfAlarm TEXT, EmailSent TEXT, Resolution TEXT"),
    QStringLiteral("tblErrors: ErrorID INTEGER pk, myTime TEXT, myFunction TEXT, Cause TEXT"),
    QStringLiteral("tblLogFileBackup: FirstError TEXT, LatestAttempt TEXT, BackOnLine TEXT, "
                   "EmailSent TEXT, Error TEXT"),
    QStringLiteral(
        "tblSensors: IDNum INTEGER pk, ServerIDNum INTEGER, SensorName TEXT, PortNum INTEGER, "
        "SensorNotes TEXT, SensorType TEXT, UpperLimit REAL, LowerLimit REAL, TOL INTEGER"),
    QStringLiteral("tblServerFailures: IDNum INTEGER pk, ServerIDNum INTEGER, ServerName TEXT, "
                   "OffLine TEXT, BackOnLine TEXT, EmailSent TEXT"),
    QStringLiteral(
        "tblServers: IDNum INTEGER pk, ServerName TEXT, ServerModel TEXT, ServerIPAddress TEXT, "
        "ServerNotes TEXT, Enabled INTEGER, UserPassword TEXT, EmailAddress TEXT, Comm INTEGER"),
};

} // namespace

using DatabaseSchema = TempProgramFolder;

TEST_F(DatabaseSchema, ShippedFileHoldsExactlyTheSixTablesAndTheirColumns)
{
    EXPECT_EQ(SchemaOutline(), kShippedOutline);
}

TEST_F(DatabaseSchema, UpgradeAddsTheFourMissingColumnsOncePerRun)
{
    DropLaterColumns();
    ASSERT_NE(SchemaOutline(), kShippedOutline);

    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_EQ(SchemaOutline(), kShippedOutline);

    // A later activation in the same run does not look again.
    DropLaterColumns();
    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_NE(SchemaOutline(), kShippedOutline);
}

TEST_F(DatabaseSchema, UpgradeLeavesACompleteFileAlone)
{
    const QStringList before = Rows(QStringLiteral("SELECT sql FROM sqlite_master ORDER BY name"));
    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_EQ(Rows(QStringLiteral("SELECT sql FROM sqlite_master ORDER BY name")), before);
}

TEST_F(DatabaseSchema, UpgradeWithTheFileMissingReturnsTrueAndDoesNotRunLater)
{
    const QString path = File(QStringLiteral("zarvo.mdb"));
    const QString aside = File(QStringLiteral("aside.mdb"));
    DropLaterColumns();
    ASSERT_TRUE(QFile::rename(path, aside));

    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(QFile::rename(aside, path));
    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_NE(SchemaOutline(), kShippedOutline);
}

TEST_F(DatabaseSchema, OpeningAMissingFileFailsInsteadOfCreatingOne)
{
    const QString path = File(QStringLiteral("zarvo.mdb"));
    ASSERT_TRUE(QFile::remove(path));
    {
        DatabaseConnection db;
        EXPECT_FALSE(db.IsOpen());
        EXPECT_FALSE(db.LastError().isEmpty());
    }
    EXPECT_FALSE(RecordSystemError(QStringLiteral("label"), QStringLiteral("cause")));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(DatabaseSchema, ErrorRowKeepsQuotesAndWritesMidnightAsTheDateAlone)
{
    Clock::SetFixed(QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    EXPECT_TRUE(RecordSystemError(QStringLiteral("Server 'Lab' check"),
                                  QStringLiteral("can't read; \"x\"'); DROP TABLE tblErrors; --")));
    EXPECT_EQ(Rows(QStringLiteral("SELECT myTime, myFunction, Cause FROM tblErrors")),
              QStringList{QStringLiteral("myTime=2026-03-01|myFunction=Server 'Lab' check|"
                                         "Cause=can't read; \"x\"'); DROP TABLE tblErrors; --")});
}
