#include "Database.h"
#include "PollingFixture.h"
#include "ProgramFolder.h"

#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <unistd.h>

namespace {

// Runs the sqlite3 shell on a file; its output, or the error when it failed.
QString Sqlite3(const QString &file, const QString &sql)
{
    QProcess shell;
    shell.start(u"sqlite3"_s, {u"-bail"_s, file, sql});
    if (!shell.waitForFinished(10000) || shell.exitCode() != 0)
        return u"failed: "_s + QString::fromUtf8(shell.readAllStandardError());
    return QString::fromUtf8(shell.readAllStandardOutput()).trimmed();
}

// Makes a file read-only, for root too (the immutable attribute), or writable again.
void WriteProtect(const QString &file, bool on)
{
    QFile::setPermissions(file, on ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
    if (::geteuid() == 0) {
        ASSERT_EQ(QProcess::execute(u"chattr"_s, {on ? u"+i"_s : u"-i"_s, file}), 0);
    }
}

} // namespace

class CycleDatabaseTest : public PollingTest {
protected:
    // One server whose first sensor is in alarm: every cycle that finds no open row opens one.
    void SetUp() override
    {
        PollingTest::SetUp();
        a.channels[0] = {95, 3, 3};
        a.channels[1] = {70, 0, 0};
        const qint32 server = AddServerAt(a, u"Lab"_s, u"RK730"_s);
        sensor = AddSensor(server, u"Freezer"_s, 0);
        AddSensor(server, u"Chiller"_s, 1); // normal throughout: its alarms are not the Freezer's
    }

    QString Alarms(const QString &file) const
    {
        return Sqlite3(file, u"SELECT group_concat(AlarmStart, ';') FROM tblAlarms"_s);
    }

    qint32 sensor = 0;
};

// A restore renames another file over zarvo.mdb; a clean-up deletes it. Either way the
// file the station had open must never receive another byte. A read-only file in its
// place takes rows again as soon as it is made writable.
TEST_F(CycleDatabaseTest, ReplacedOrDeletedFileIsNeverWrittenThroughTheOldHandle)
{
    for (const QString &how : {u"replaced"_s, u"deleted"_s, u"read-only copy"_s}) {
        SCOPED_TRACE(how.toStdString());
        const bool replace = how != u"deleted"_s;
        const bool readOnly = how == u"read-only copy"_s;
        const QString path = File(u"zarvo.mdb"_s);
        const QString restore = File(u"restore.mdb"_s);
        const QString old = File(u"old.mdb"_s);
        QFile::remove(restore);
        QFile::remove(old);
        ASSERT_TRUE(QFile::copy(path, restore)); // servers and sensors, no alarm
        LogRoutine();
        ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(old).constData()),
                  0);
        const QByteArray before = ReadAll(old);
        ASSERT_EQ(Alarms(old), u"2026-03-01 09:00:00"_s);

        if (replace)
            ASSERT_EQ(::rename(QFile::encodeName(restore).constData(),
                               QFile::encodeName(path).constData()),
                      0);
        else
            ASSERT_TRUE(QFile::remove(path));
        const auto writable = qScopeGuard([&] {
            if (readOnly)
                WriteProtect(path, false);
        });
        if (readOnly)
            WriteProtect(path, true);
        AdvanceClock(1);
        m_smtp.Clear();
        LogRoutine();

        EXPECT_EQ(ReadAll(old), before);
        if (readOnly) {
            EXPECT_EQ(Alarms(path), QString());
            EXPECT_EQ(board.Lines().filter(kDatabaseErrorKey).size(), 1);
            WriteProtect(path, false);
            AdvanceClock(1);
            LogRoutine();
            EXPECT_EQ(Alarms(path), u"2026-03-01 09:02:00"_s);
            EXPECT_EQ(MailsTo("ops").size(), 1); // the one that went out while it was read-only
            EXPECT_EQ(board.Lines().filter(kDatabaseErrorKey).size(), 0);
        } else if (replace) {
            EXPECT_EQ(Alarms(path), u"2026-03-01 09:01:00"_s);
            EXPECT_EQ(MailsTo("ops").size(), 1);
        } else {
            EXPECT_FALSE(QFile::exists(path)); // nothing created in its place
            EXPECT_EQ(board.Lines().filter(kDatabaseErrorKey).size(), 1);
            ASSERT_TRUE(QFile::rename(old, path));
        }
        m_now = QDateTime(QDate(2026, 3, 1), QTime(9, 0));
        Clock::SetFixed(m_now);
        ASSERT_EQ(Sqlite3(path, u"DELETE FROM tblAlarms"_s), QString());
    }
}

// Between cycles the station holds no lock: another program may take the whole file.
TEST_F(CycleDatabaseTest, IdleStationLeavesTheFileFreeForAnExclusiveTransaction)
{
    LogRoutine();
    const DatabaseConnection open; // the connection stays open between operations
    ASSERT_TRUE(open.IsOpen());
    EXPECT_EQ(Sqlite3(File(u"zarvo.mdb"_s), u"BEGIN EXCLUSIVE; SELECT count(*) FROM tblAlarms; "
                                            "COMMIT;"_s),
              u"1"_s);
    AdvanceClock(1);
    LogRoutine();
    EXPECT_EQ(ErrorRows(), QStringList());
}

namespace {

// A sqlite3 shell holding an exclusive transaction on the file until Release().
class ExclusiveLock {
public:
    explicit ExclusiveLock(const QString &file, const QString &marker)
    {
        m_shell.start(u"sqlite3"_s, {file});
        m_shell.write((u"BEGIN EXCLUSIVE;\n.system touch '"_s + marker + u"'\n"_s).toUtf8());
        for (int i = 0; i < 500 && !QFile::exists(marker); ++i)
            m_shell.waitForReadyRead(10);
    }
    ~ExclusiveLock() { Release(); }
    void Release()
    {
        if (m_shell.state() == QProcess::NotRunning)
            return;
        m_shell.write("COMMIT;\n.quit\n");
        m_shell.closeWriteChannel();
        m_shell.waitForFinished(10000);
    }

private:
    QProcess m_shell;
};

QList<float> InstantReadings(const QString &path)
{
    QList<float> readings;
    const QByteArray bytes = ReadAll(path);
    for (qsizetype at = 0; at + InstantRecord::kLength <= bytes.size();
         at += InstantRecord::kLength)
        readings << InstantRecord::Decode(bytes.mid(at, InstantRecord::kLength))->reading;
    return readings;
}

} // namespace

// Another program holding the file for two cycles: the readings keep reaching the files,
// the grid and the board, each cycle waits out the lock once, and the rows follow after.
TEST_F(CycleDatabaseTest, LockedDatabaseCostsOneWaitPerCycleAndLosesNoReading)
{
    a.channels[0] = {70, 0, 0};
    LogRoutine();
    DatabaseModule().busyTimeoutMs = 200;
    const QString line = u"Communication with server Lab at IP address "_s + a.Address();
    {
        ExclusiveLock lock(File(u"zarvo.mdb"_s), File(u"held"_s));
        ASSERT_TRUE(QFile::exists(File(u"held"_s)));
        for (const float reading : {71.0f, 95.0f}) {
            a.channels[0] = {qint16(reading), 1, quint8(reading > 80 ? 3 : 0)};
            const int waits = DatabaseModule().lockWaits;
            AdvanceClock(1);
            LogRoutine();
            EXPECT_EQ(DatabaseModule().lockWaits, waits + 1);
            EXPECT_TRUE(board.Lines().contains(line + u": OK"_s));
            const QStringList errors = board.Lines().filter(kDatabaseErrorKey);
            ASSERT_EQ(errors.size(), 1);
            EXPECT_TRUE(errors[0].contains(u"database is locked"_s));
        }
        // Outside a cycle every operation waits its turn again.
        const int waits = DatabaseModule().lockWaits;
        EXPECT_FALSE(RecordSystemError(u"one"_s, u"cause"_s));
        EXPECT_FALSE(RecordSystemError(u"two"_s, u"cause"_s));
        EXPECT_EQ(DatabaseModule().lockWaits, waits + 2);
        EXPECT_EQ(Cell(sensor, StatusColumn::Status), u"ALARM: High Limit"_s);
        EXPECT_TRUE(MailsTo("ops").isEmpty()); // unknown rows: neither new nor reminded
    }
    EXPECT_EQ(InstantReadings(InstantFileName(Folder(), sensor, m_now.date())),
              (QList<float>{70, 71, 95}));

    AdvanceClock(1);
    LogRoutine();
    EXPECT_TRUE(board.Lines().filter(kDatabaseErrorKey).isEmpty());
    EXPECT_EQ(Alarms(File(u"zarvo.mdb"_s)), u"2026-03-01 09:03:00"_s);
    EXPECT_EQ(MailsTo("ops").size(), 1);
}

// A lock met by a statement kept from before, or by one the engine must first prepare,
// waits once and says so as it always did.
TEST_F(CycleDatabaseTest, LockMetByAKeptOrANewStatementIsCountedAndToldAlike)
{
    DatabaseModule().busyTimeoutMs = 100;
    const QString read = u"SELECT COUNT(*) FROM tblSensors"_s;
    const QString write = u"UPDATE tblSensors SET TOL = TOL"_s;
    {
        DatabaseConnection db;
        ASSERT_TRUE(db.Select(read) && db.Exec(write));
    }
    const struct {
        const char *name;
        bool reopened;
        bool select;
        const char *error;
    } rows[] = {
        {"kept read", false, true, "database is locked Unable to fetch row"},
        {"kept write", false, false, "database is locked Unable to fetch row"},
        {"read on a new connection", true, true, "database is locked Unable to execute statement"},
    };
    ExclusiveLock lock(File(u"zarvo.mdb"_s), File(u"held"_s));
    ASSERT_TRUE(QFile::exists(File(u"held"_s)));
    for (const auto &row : rows) {
        if (row.reopened)
            CloseDatabase();
        const int waits = DatabaseModule().lockWaits;
        DatabaseConnection db;
        EXPECT_FALSE(row.select ? db.Select(read).has_value() : db.Exec(write)) << row.name;
        EXPECT_EQ(db.LastError(), QLatin1String(row.error)) << row.name;
        EXPECT_EQ(DatabaseModule().lockWaits, waits + 1) << row.name;
    }
}

// The server and sensor rows are kept between cycles while the file is unchanged; every
// way it can change shows in the next read.
TEST_F(CycleDatabaseTest, KeptRowsFollowEveryChangeOfTheFile)
{
    const QString path = File(u"zarvo.mdb"_s);
    const QString restore = File(u"restore.mdb"_s);
    ASSERT_TRUE(QFile::copy(path, restore));
    ASSERT_EQ(Sqlite3(restore, u"UPDATE tblServers SET ServerName = 'Restored'"_s), QString());
    const auto seen = [] {
        Recordset servers;
        qint32 count = 0;
        QHash<qint32, QList<ServerSensor>> sensors;
        QString error;
        if (!RecordServers(servers, count) || !OpenAllServerSensors(sensors, error))
            return u"failed"_s;
        QStringList names;
        for (const QSqlRecord &server : std::as_const(servers)) {
            names << server.value(u"ServerName"_s).toString() + u"/%1 fields"_s.arg(server.count());
            for (const ServerSensor &sensor : sensors.value(server.value(u"IDNum"_s).toInt()))
                names << sensor.name;
        }
        return names.join(u", "_s);
    };
    const auto own = [](const QString &sql) {
        DatabaseConnection db;
        ASSERT_TRUE(db.Exec(sql)) << db.LastError().toStdString();
    };
    const struct {
        const char *name;
        std::function<void()> change;
        QString seen;
    } rows[] = {
        {"another program's write",
         [&] { Sqlite3(path, u"UPDATE tblSensors SET SensorName = 'Deep' WHERE PortNum = 0"_s); },
         u"Lab/9 fields, Deep, Chiller"_s},
        {"a write of ours", [&] { own(u"UPDATE tblServers SET ServerName = 'Lab 2'"_s); },
         u"Lab 2/9 fields, Deep, Chiller"_s},
        {"a column of ours", [&] { own(u"ALTER TABLE tblServers ADD COLUMN Extra TEXT"_s); },
         u"Lab 2/10 fields, Deep, Chiller"_s},
        {"another file renamed over it",
         [&] {
             ASSERT_EQ(::rename(QFile::encodeName(restore).constData(),
                                QFile::encodeName(path).constData()),
                       0);
         },
         u"Restored/9 fields, Freezer, Chiller"_s},
    };
    for (const auto &row : rows) {
        // Read on a connection of its own, so no count of the last one's can tell it apart.
        CloseDatabase();
        const QString before = seen();
        EXPECT_EQ(seen(), before) << row.name;
        row.change();
        EXPECT_EQ(seen(), row.seen) << row.name;
    }
    // A file that cannot be read is a failure, never the rows kept from before.
    ASSERT_TRUE(QFile::rename(path, File(u"aside.mdb"_s)));
    EXPECT_EQ(seen(), u"failed"_s);
    ASSERT_TRUE(QFile::rename(File(u"aside.mdb"_s), path));
    CloseDatabase(); // the kept statements go with the connection, and the file is let go
    EXPECT_EQ(OpenFiles(), QStringList());
}

// A '#', '?' or '%' in the folder must neither lose the rows nor create another file.
TEST_F(CycleDatabaseTest, FolderNameWithUriCharactersHoldsTheRows)
{
    const QString folder = File(u"station#2 ?%"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(File(u"zarvo.mdb"_s), folder + u"/zarvo.mdb"_s));
    SetProgramFolder(folder);
    SaveSettings();
    const QStringList before = QDir(Folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    LogRoutine();

    EXPECT_EQ(Alarms(folder + u"/zarvo.mdb"_s), u"2026-03-01 09:00:00"_s);
    EXPECT_EQ(QDir(Folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    EXPECT_TRUE(board.Lines().filter(kDatabaseErrorKey).isEmpty());
}

// A trigger stands in for a database that refuses one kind of write.
TEST_F(CycleDatabaseTest, RefusedAlarmInsertStillMailsOnceAndTheRowFollows)
{
    const QString refuse =
        u"CREATE TRIGGER refuse BEFORE INSERT ON tblAlarms BEGIN SELECT RAISE(ABORT, 'disk says no'); END"_s;
    ASSERT_EQ(Sqlite3(File(u"zarvo.mdb"_s), refuse), QString());
    LogRoutine();
    AdvanceClock(1);
    LogRoutine();
    EXPECT_EQ(MailsTo("ops").size(), 1);
    const QStringList refused = ErrorRows();
    EXPECT_EQ(refused.size(), 2); // one per cycle
    for (const QString &error : refused)
        EXPECT_TRUE(error.startsWith(
            u"myFunction=Error adding alarm record to tblAlarms|Cause=disk says no"_s));

    ASSERT_EQ(Sqlite3(File(u"zarvo.mdb"_s), u"DROP TRIGGER refuse"_s), QString());
    AdvanceClock(1);
    LogRoutine();
    AdvanceClock(1);
    LogRoutine(); // no reminders are set
    EXPECT_EQ(MailsTo("ops").size(), 1);
    EXPECT_EQ(Rows(u"SELECT AlarmStart, EmailSent FROM tblAlarms"_s),
              QStringList{u"AlarmStart=2026-03-01 09:02:00|EmailSent=2026-03-01 09:00:00"_s});

    // Back to normal: closed, and only then cleared.
    ASSERT_EQ(Sqlite3(File(u"zarvo.mdb"_s),
                      u"CREATE TRIGGER refuse BEFORE UPDATE ON tblAlarms BEGIN SELECT RAISE(ABORT, "
                      "'disk says no'); END"_s),
              QString());
    a.channels[0] = {70, 0, 0};
    for (int pass = 1; pass <= 2; ++pass) {
        AdvanceClock(1);
        LogRoutine();
    }
    EXPECT_EQ(ErrorRows().filter(u"CompareToEmailLimitsErr"_s).size(), 2); // one per pass
    EXPECT_EQ(MailsTo("ops").size(), 1);
    EXPECT_EQ(Cell(sensor, StatusColumn::Status), u"ALARM"_s);
    ASSERT_EQ(Sqlite3(File(u"zarvo.mdb"_s), u"DROP TRIGGER refuse"_s), QString());
    AdvanceClock(1);
    LogRoutine();
    ASSERT_EQ(MailsTo("ops").size(), 2);
    EXPECT_EQ(MailsTo("ops")[1].subject, u"Freezer Alarm Cleared!"_s);
    EXPECT_EQ(Cell(sensor, StatusColumn::Status), u"Normal"_s);

    // Mailed while its row is refused, and normal again before that is mended: those told
    // of the alarm are told that it cleared.
    ASSERT_EQ(Sqlite3(File(u"zarvo.mdb"_s), refuse), QString());
    a.channels[0] = {95, 3, 3};
    AdvanceClock(1);
    LogRoutine();
    a.channels[0] = {70, 0, 0};
    AdvanceClock(1);
    LogRoutine();
    ASSERT_EQ(MailsTo("ops").size(), 4);
    EXPECT_EQ(MailsTo("ops")[3].subject, u"Freezer Alarm Cleared!"_s);
}

// Nobody may first hear of an alarm from its "cleared" e-mail.
TEST_F(CycleDatabaseTest, FirstAlarmEmailIsTriedEachCycleUntilSent)
{
    Config().ReminderIndex = 1;
    Config().SMTPPort = qint16(SmtpServer::ClosedPort());
    SaveSettings();
    LogRoutine();
    EXPECT_TRUE(Rows(u"SELECT EmailSent FROM tblAlarms"_s)
                    .value(0)
                    .startsWith(u"EmailSent=There was an error sending an alarm email "_s));

    Config().SMTPPort = qint16(m_smtp.Port(u"plain"_s));
    SaveSettings();
    AdvanceClock(1);
    LogRoutine();
    ASSERT_EQ(MailsTo("ops").size(), 1);
    EXPECT_EQ(MailsTo("ops")[0].RawHeader("Subject"), " Freezer is in alarm!");
    EXPECT_EQ(Rows(u"SELECT EmailSent FROM tblAlarms"_s),
              QStringList{u"EmailSent=2026-03-01 09:01:00"_s});
    // Reminders count from the e-mail that went out.
    AdvanceClock(29);
    LogRoutine();
    EXPECT_EQ(MailsTo("ops").size(), 1);
    // One the mail server refuses is not recorded, so the next cycle tries again.
    Config().SMTPPort = qint16(SmtpServer::ClosedPort());
    SaveSettings();
    AdvanceClock(1);
    LogRoutine();
    EXPECT_EQ(Rows(u"SELECT EmailSent FROM tblAlarms"_s),
              QStringList{u"EmailSent=2026-03-01 09:01:00"_s});
    Config().SMTPPort = qint16(m_smtp.Port(u"plain"_s));
    SaveSettings();
    AdvanceClock(1);
    LogRoutine();
    ASSERT_EQ(MailsTo("ops").size(), 2);
    EXPECT_EQ(MailsTo("ops")[1].RawHeader("Subject"), "REMINDER Freezer is in alarm!");
}

// Killed while the alarm e-mail waits on a mail server that never answers, the station
// sends that e-mail once it runs again.
TEST_F(CycleDatabaseTest, AlarmEmailCutShortByAKillGoesOutAfterTheRestart)
{
    if (const QString folder = qEnvironmentVariable("VANTREL_KILLED_STATION"); !folder.isEmpty()) {
        // The station that is killed: one cycle over the first process's folder.
        SetProgramFolder(folder);
        ASSERT_TRUE(ReadConfiguration());
        ConfigureMailServer();
        LogRoutine();
        return;
    }
    QTcpServer mute; // takes the connection and never says a word
    ASSERT_TRUE(mute.listen(QHostAddress::LocalHost, SmtpServer::ClosedPort()));
    Config().SMTPPort = qint16(mute.serverPort());
    Config().SMTPTimeOut = 60;
    SaveSettings();
    QProcess station;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"VANTREL_KILLED_STATION"_s, Folder());
    station.setProcessEnvironment(environment);
    const ::testing::TestInfo *self = ::testing::UnitTest::GetInstance()->current_test_info();
    station.start(QCoreApplication::applicationFilePath(),
                  {u"--gtest_filter="_s + QLatin1String(self->test_suite_name()) + u'.' +
                   QLatin1String(self->name())});
    // The fake device answers from this process's event loop meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return mute.hasPendingConnections(); }, 30000));
    station.kill();
    station.waitForFinished();
    EXPECT_EQ(Rows(u"SELECT EmailSent FROM tblAlarms"_s), QStringList{u"EmailSent=NULL"_s});

    Config().SMTPPort = qint16(m_smtp.Port(u"plain"_s));
    Config().SMTPTimeOut = 5;
    SaveSettings();
    LogRoutine();
    ASSERT_EQ(MailsTo("ops").size(), 1);
    EXPECT_EQ(MailsTo("ops")[0].RawHeader("Subject"), " Freezer is in alarm!");
    EXPECT_EQ(Rows(u"SELECT EmailSent FROM tblAlarms"_s),
              QStringList{u"EmailSent=2026-03-01 09:00:00"_s});
}

// The sensor rows are read once per cycle: what another program changes between two
// cycles is what the next one shows and records.
TEST_F(CycleDatabaseTest, SensorRowsChangedBetweenCyclesAreTheNextCyclesRows)
{
    LogRoutine();
    ASSERT_EQ(Cell(sensor, StatusColumn::Sensor), u"Freezer"_s);
    ASSERT_EQ(Sqlite3(File(u"zarvo.mdb"_s),
                      u"UPDATE tblSensors SET SensorName = 'Deep freezer' WHERE IDNum = %1"_s.arg(
                          sensor)),
              QString());
    AdvanceClock(1);
    LogRoutine();
    EXPECT_EQ(Cell(sensor, StatusColumn::Sensor), u"Deep freezer"_s);
    EXPECT_EQ(SensorHeaderRecord::Decode(ReadAll(SensorHeaderFileName(Folder(), sensor)))
                  ->sensorName.trimmed(),
              u"Deep freezer"_s);
}
