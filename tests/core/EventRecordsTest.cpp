#include "Clock.h"
#include "Database.h"
#include "ServerDatabase.h"
#include "TempProgramFolder.h"

#include <gtest/gtest.h>

namespace {

class EventRecords : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        Clock::SetFixed(QDateTime(QDate(2026, 5, 4), QTime(13, 7, 9)));
    }

    static void Exec(const QString &sql)
    {
        DatabaseConnection db;
        ASSERT_TRUE(db.Exec(sql)) << qPrintable(db.LastError());
    }

    QStringList ErrorLabels() const
    {
        return Rows(QStringLiteral("SELECT myFunction FROM tblErrors ORDER BY ErrorID"));
    }
};

} // namespace

TEST_F(EventRecords, OpenAndActiveAlarmsOfOneSensorAreFoundInOrder)
{
    Recordset rs;
    qint32 count = 5;
    const auto openAlarms = [&] {
        return RecordOpenAlarms(QStringLiteral("tblAlarms"), QStringLiteral("SensorIDNum"), 7,
                                QStringLiteral("AlarmEnd"), rs, count);
    };
    EXPECT_TRUE(openAlarms());
    EXPECT_EQ(count, 0);

    ASSERT_TRUE(AddAlarmRecord(7, QStringLiteral("2026-05-04 10:00:00"), QStringLiteral("O'Hare"),
                               QStringLiteral("Door 'A'"), QStringLiteral("Open'"), 3, -1));
    ASSERT_TRUE(AddAlarmRecord(7, QStringLiteral("2026-05-04 11:00:00"), {}, {}, {}, 0, -1));
    ASSERT_TRUE(AddAlarmRecord(7, QStringLiteral("2026-05-04 12:00:00"), {}, {}, {}, 0, -1));
    ASSERT_TRUE(AddAlarmRecord(8, QStringLiteral("2026-05-04 12:00:00"), {}, {}, {}, 0, -1));
    Exec(QStringLiteral("UPDATE tblAlarms SET AlarmEnd = 'x', AlarmActive = 0 WHERE IDNum = 2"));
    Exec(QStringLiteral("UPDATE tblAlarms SET AlarmEnd = 'x' WHERE IDNum = 3"));

    ASSERT_TRUE(openAlarms());
    EXPECT_EQ(count, 1);
    EXPECT_EQ(rs.last().value(QStringLiteral("Server")).toString(), QStringLiteral("O'Hare"));
    EXPECT_EQ(rs.last().value(QStringLiteral("Sensor")).toString(), QStringLiteral("Door 'A'"));
    EXPECT_EQ(rs.last().value(QStringLiteral("CurrentData")).toString(), QStringLiteral("Open'"));
    Exec(QStringLiteral("UPDATE tblAlarms SET AlarmEnd = NULL WHERE IDNum = 3"));
    ASSERT_TRUE(openAlarms());
    EXPECT_EQ(count, 2);
    EXPECT_EQ(rs.last().value(QStringLiteral("IDNum")).toInt(), 3);

    // Active alarms count whether open or not; stored truth is -1, so "= 1" would miss them.
    ASSERT_TRUE(RecordActiveAlarms(7, count));
    EXPECT_EQ(count, 2);
    EXPECT_TRUE(ErrorLabels().isEmpty());
}

TEST_F(EventRecords, NamesOutsideTheSchemaFailOpenAlarmsWithItsErrorRow)
{
    const char *names[][3] = {
        {"tblNope", "SensorIDNum", "AlarmEnd"},
        {"tblAlarms", "Nope", "AlarmEnd"},
        {"tblAlarms", "SensorIDNum", "AlarmEnd IS NULL OR 1=1 --"},
    };
    for (const auto &n : names) {
        Recordset rs;
        qint32 count = 5;
        EXPECT_FALSE(RecordOpenAlarms(QLatin1String(n[0]), QLatin1String(n[1]), 7,
                                      QLatin1String(n[2]), rs, count));
        EXPECT_EQ(count, 0);
    }
    EXPECT_EQ(ErrorLabels(), QStringList(3, QStringLiteral("myFunction=Error RecordOpenAlarms")));
}

TEST_F(EventRecords, BackupRowsAreOpenUntilBackOnLineIsSetByRowid)
{
    ASSERT_TRUE(AddLogFileBackupError(QStringLiteral("Can't write to '/mnt/logs'")));
    EXPECT_EQ(Rows(QStringLiteral("SELECT * FROM tblLogFileBackup")),
              QStringList{QStringLiteral("FirstError=2026-05-04 13:07:09|LatestAttempt=NULL|"
                                         "BackOnLine=False|EmailSent=False|"
                                         "Error=Can't write to '/mnt/logs'")});
    Recordset rs;
    qint32 count = 0;
    ASSERT_TRUE(RecordOpenBackupFileErrors(rs, count));
    ASSERT_EQ(count, 1);
    const QVariant rowid = rs[0].value(QStringLiteral("rowid"));
    ASSERT_TRUE(rowid.isValid());

    DatabaseConnection db;
    ASSERT_TRUE(db.Exec(
        QStringLiteral("UPDATE tblLogFileBackup SET BackOnLine = 'now' WHERE rowid = ?"), {rowid}));
    ASSERT_TRUE(RecordOpenBackupFileErrors(rs, count));
    EXPECT_EQ(count, 0);
}

TEST_F(EventRecords, ServerBackOnlineClosesOnlyItsOldestOpenFailure)
{
    Exec(QStringLiteral(
        "INSERT INTO tblServerFailures (ServerIDNum, ServerName, OffLine, BackOnLine,"
        " EmailSent) VALUES (2, 'b', 't1', 'False', 'False'), (1, 'a', 't2', 'False',"
        " 'False'), (1, 'a', 't3', 'False', 'False')"));
    QString error;
    ASSERT_TRUE(MarkServerBackOnline(1, error));
    const QString failures =
        QStringLiteral("SELECT IDNum, BackOnLine FROM tblServerFailures ORDER BY IDNum");
    EXPECT_EQ(Rows(failures), (QStringList{QStringLiteral("IDNum=1|BackOnLine=False"),
                                           QStringLiteral("IDNum=2|BackOnLine=2026-05-04 13:07:09"),
                                           QStringLiteral("IDNum=3|BackOnLine=False")}));
    ASSERT_TRUE(MarkServerBackOnline(9, error));
    EXPECT_EQ(Rows(failures).at(2), QStringLiteral("IDNum=3|BackOnLine=False"));

    Exec(QStringLiteral("DROP TABLE tblServerFailures"));
    EXPECT_FALSE(MarkServerBackOnline(1, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(ErrorLabels().isEmpty()) << "the caller records it";
}

TEST_F(EventRecords, FailuresAreRecordedUnderEachOperationsLabel)
{
    EXPECT_TRUE(DeleteSystemErrors()) << "an empty log empties fine";
    // Each failure is provoked on a file that still has tblErrors for the error row.
    ASSERT_TRUE(RecordSystemError(QStringLiteral("first"), QStringLiteral("row")));
    Exec(QStringLiteral(
        "CREATE TRIGGER keep BEFORE DELETE ON tblErrors BEGIN SELECT RAISE(ABORT, 'kept'); END"));
    EXPECT_FALSE(DeleteSystemErrors());
    Exec(QStringLiteral("DROP TABLE tblServerFailures"));
    EXPECT_FALSE(DeleteServerErrors());
    Exec(QStringLiteral("DROP TABLE tblServers"));
    Recordset rs;
    qint32 count = 5;
    EXPECT_FALSE(RecordServers(rs, count));
    EXPECT_EQ(count, 0);
    Exec(QStringLiteral("DROP TABLE tblAlarms"));
    EXPECT_FALSE(AddAlarmRecord(1, QStringLiteral("t"), {}, {}, {}, 0, -1));
    count = 5;
    EXPECT_FALSE(RecordActiveAlarms(1, count));
    EXPECT_EQ(count, 0);
    Exec(QStringLiteral("DROP TABLE tblLogFileBackup"));
    EXPECT_FALSE(AddLogFileBackupError(QStringLiteral("e")));
    count = 5;
    EXPECT_FALSE(RecordOpenBackupFileErrors(rs, count));
    EXPECT_EQ(count, 0);
    Exec(QStringLiteral("DROP TABLE tblSensors"));
    qint16 sensors = 5;
    EXPECT_FALSE(CountNamedSensors(sensors));
    EXPECT_EQ(sensors, 0);

    EXPECT_EQ(
        ErrorLabels(),
        (QStringList{QStringLiteral("myFunction=first"),
                     QStringLiteral("myFunction=DeleteSystemErrors()"),
                     QStringLiteral("myFunction=DeleteServerErrors()"),
                     QStringLiteral("myFunction=RecordServers()"),
                     QStringLiteral("myFunction=Error adding alarm record to tblAlarms"),
                     QStringLiteral("myFunction=RecordActiveAlarms"),
                     QStringLiteral("myFunction=Error adding alarm record to tblLogFileBackup"),
                     QStringLiteral("myFunction=Error RecordOpenBackupFileErrors()")}));
    EXPECT_TRUE(Rows(QStringLiteral("SELECT * FROM tblErrors WHERE Cause IS NULL OR Cause = ''"))
                    .isEmpty());
}
