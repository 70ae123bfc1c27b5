#include "Database.h"
#include "Clock.h"
#include "ScriptedPrompt.h"
#include "ServerDatabase.h"
#include "TempProgramFolder.h"

#include <QFile>
#include <QSqlQuery>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// "table: column TYPE, column TYPE ..." per table, keys marked with "pk".
QStringList SchemaOutline()
{
    DatabaseConnection db;
    QStringList outline;
    const auto tables = db.Select(u"SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                  "name NOT LIKE 'sqlite%' ORDER BY name"_s);
    for (const QSqlRecord &table : tables.value_or(Recordset{})) {
        const QString name = table.value(0).toString();
        QStringList columns;
        const auto info = db.Select(u"SELECT name, type, pk FROM pragma_table_info(?)"_s, {name});
        for (const QSqlRecord &c : *info)
            columns << c.value(0).toString() + u' ' + c.value(1).toString() +
                           (c.value(2).toInt() ? u" pk"_s : QString());
        outline << name + u": "_s + columns.join(u", "_s);
    }
    return outline;
}

const QStringList kShippedOutline = {
    u"tblAlarms: IDNum INTEGER pk, SensorIDNum INTEGER, AlarmStart TEXT, AlarmEnd TEXT, "
    "AlarmActive INTEGER, Server TEXT, Sensor TEXT, CurrentData TEXT, TOL INTEGER, "
    "CauseOfAlarm TEXT, EmailSent TEXT, Resolution TEXT"_s,
    u"tblErrors: ErrorID INTEGER pk, myTime TEXT, myFunction TEXT, Cause TEXT"_s,
    u"tblLogFileBackup: FirstError TEXT, LatestAttempt TEXT, BackOnLine TEXT, EmailSent TEXT, "
    "Error TEXT"_s,
    u"tblSensors: IDNum INTEGER pk, ServerIDNum INTEGER, SensorName TEXT, PortNum INTEGER, "
    "SensorNotes TEXT, SensorType TEXT, UpperLimit REAL, LowerLimit REAL, TOL INTEGER"_s,
    u"tblServerFailures: IDNum INTEGER pk, ServerIDNum INTEGER, ServerName TEXT, OffLine TEXT, "
    "BackOnLine TEXT, EmailSent TEXT"_s,
    u"tblServers: IDNum INTEGER pk, ServerName TEXT, ServerModel TEXT, ServerIPAddress TEXT, "
    "ServerNotes TEXT, Enabled INTEGER, UserPassword TEXT, EmailAddress TEXT, Comm INTEGER"_s,
};

class DatabaseTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        Clock::SetFixed(QDateTime(QDate(2026, 5, 4), QTime(13, 7, 9)));
    }

    static void Exec(const QString &sql)
    {
        DatabaseConnection db;
        ASSERT_TRUE(db.Exec(sql)) << db.LastError().toStdString();
    }
    // Adds a server and returns its IDNum.
    qint32 Add(const QString &name, const QString &ip, qint16 comm = -1)
    {
        EXPECT_TRUE(
            AddServer(name, u"RK715"_s, ip, u"notes"_s, 1, u"pw"_s, u"a@b.example,"_s, comm));
        return LastId(u"tblServers"_s);
    }
    // Turns the shipped file into one written before the four later columns existed.
    static void DropLaterColumns()
    {
        for (const char *column : {"tblAlarms DROP Resolution", "tblSensors DROP UpperLimit",
                                   "tblSensors DROP LowerLimit", "tblSensors DROP TOL"})
            Exec(u"ALTER TABLE "_s + QLatin1String(column));
    }

    ScriptedPrompt m_prompt;
};

} // namespace

TEST_F(DatabaseTest, ShippedFileHoldsExactlyTheSixTablesAndTheirColumns)
{
    EXPECT_EQ(SchemaOutline(), kShippedOutline);
}

TEST_F(DatabaseTest, UpgradeAddsTheMissingColumnsOncePerRunAndNeverCreatesTheFile)
{
    EXPECT_TRUE(UpgradeDatabaseSchema()); // a complete file is left alone
    EXPECT_EQ(SchemaOutline(), kShippedOutline);
    ServerDatabaseModule() = {};
    DropLaterColumns();
    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_EQ(SchemaOutline(), kShippedOutline);
    DropLaterColumns(); // a later activation in the same run does not look again
    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_NE(SchemaOutline(), kShippedOutline);

    // With the file missing the upgrade counts as done; opening it never creates one.
    ServerDatabaseModule() = {};
    const QString path = File(u"zarvo.mdb"_s);
    ASSERT_TRUE(QFile::rename(path, File(u"aside.mdb"_s)));
    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_FALSE(DatabaseConnection().IsOpen());
    EXPECT_FALSE(RecordSystemError(u"label"_s, u"cause"_s));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(QFile::rename(File(u"aside.mdb"_s), path));
    EXPECT_TRUE(UpgradeDatabaseSchema());
    EXPECT_NE(SchemaOutline(), kShippedOutline);
}

// Every value is bound, never pasted into the statement.
TEST_F(DatabaseTest, QuotedTextsAreStoredAndReadBackIntact)
{
    const QString name = u"O'Brien's lab"_s;
    const QString sql = u"it's ok'); DROP TABLE tblServers; --"_s;
    const QString ip = u"10.0.0.'1"_s;
    ASSERT_TRUE(AddServer(name, u"RK'715"_s, ip, sql, 1, u"p'w\"d"_s, u"o'b@lab.example,"_s, -1));
    Recordset rs;
    ASSERT_TRUE(OpenServerRecord(1, rs));
    EXPECT_EQ(rs.value(0).value(u"ServerNotes"_s).toString(), sql);
    EXPECT_EQ(rs.value(0).value(u"UserPassword"_s).toString(), u"p'w\"d"_s);
    QString holder;
    EXPECT_FALSE(VerifyUniqueIPAddress(ip, holder));
    EXPECT_EQ(holder, name);
    ASSERT_TRUE(UpdateServer(1, u"Lab 'B'"_s, u"m"_s, ip, sql, 0, {}, {}, 0));
    ASSERT_TRUE(UpdateServerEmail(1, u"x'y@z.example,"_s));
    QVariant value;
    ASSERT_TRUE(GetServerField(1, u"tblServers"_s, u"ServerName"_s, value));
    EXPECT_EQ(value.toString(), u"Lab 'B'"_s);

    ASSERT_TRUE(
        SaveSensorRecord(4, u"Lab's \"cold\" room"_s, 2, sql, u"Temp"_s, u" 1e1 "_s, {}, {}));
    QString notes;
    ASSERT_TRUE(LoadSensorNotes(4, 2, notes));
    EXPECT_EQ(notes, sql);
    // The second save of the port updates the row.
    ASSERT_TRUE(
        SaveSensorRecord(4, u"Lab's \"cool\" room"_s, 2, u"n'2"_s, u"Temp"_s, u" 1e1 "_s, {}, {}));
    ASSERT_TRUE(LoadSensorNotes(4, 2, notes));
    EXPECT_EQ(notes, u"n'2"_s);
    ASSERT_TRUE(AddAlarmRecord(7, u"t"_s, u"O'Hare"_s, u"Door 'A'"_s, u"Open'"_s, 3, -1));
    ASSERT_TRUE(AddLogFileBackupError(u"Can't write to '/mnt/logs'"_s));
    Clock::SetFixed(QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    ASSERT_TRUE(RecordSystemError(u"Server 'Lab' check"_s, sql));

    EXPECT_EQ(Rows(u"SELECT SensorName, UpperLimit, LowerLimit, TOL FROM tblSensors"_s),
              QStringList{u"SensorName=Lab's \"cool\" room|UpperLimit=10|LowerLimit=NULL|"
                          "TOL=NULL"_s});
    EXPECT_EQ(Rows(u"SELECT Server, Sensor, CurrentData FROM tblAlarms"_s),
              QStringList{u"Server=O'Hare|Sensor=Door 'A'|CurrentData=Open'"_s});
    EXPECT_EQ(Rows(u"SELECT * FROM tblLogFileBackup"_s),
              QStringList{u"FirstError=2026-05-04 13:07:09|LatestAttempt=NULL|BackOnLine=False|"
                          "EmailSent=False|Error=Can't write to '/mnt/logs'"_s});
    // Midnight is written as the date alone.
    EXPECT_EQ(Rows(u"SELECT myTime, myFunction, Cause FROM tblErrors"_s),
              QStringList{u"myTime=2026-03-01|myFunction=Server 'Lab' check|Cause="_s + sql});
    EXPECT_TRUE(m_prompt.Texts().isEmpty());
}

TEST_F(DatabaseTest, TableAndFieldNamesOutsideTheSchemaAreRefused)
{
    const qint32 id = Add(u"Lab"_s, u"10.0.0.9"_s);
    const struct {
        const char *name, *table, *field;
        bool found;
    } rows[] = {
        {"named field", "tblServers", "ServerIPAddress", true},
        {"letter case as the old engine", "TBLSERVERS", "serveripaddress", true},
        {"no such table", "tblNope", "ServerIPAddress", false},
        {"no such field", "tblServers", "Nope", false},
        {"table without IDNum", "tblErrors", "Cause", false},
        {"internal table", "sqlite_master", "name", false},
        {"statement in the table name", "tblServers; DELETE FROM tblServers; --", "ServerName",
         false},
        {"statement in the field name", "tblServers", "ServerName FROM tblServers; --", false},
    };
    for (const auto &row : rows) {
        QVariant value = u"unchanged"_s;
        EXPECT_EQ(GetServerField(id, QLatin1String(row.table), QLatin1String(row.field), value),
                  row.found)
            << row.name;
        EXPECT_EQ(value.toString(), row.found ? u"10.0.0.9"_s : u"unchanged"_s) << row.name;
    }
    Recordset rs;
    qint32 count = 5;
    EXPECT_FALSE(RecordOpenAlarms(u"tblAlarms"_s, u"SensorIDNum"_s, 7,
                                  u"AlarmEnd IS NULL OR 1=1 --"_s, rs, count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(ErrorRows().size(), 1);
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblServers"_s), QStringList{u"COUNT(*)=1"_s});
}

TEST_F(DatabaseTest, ServersAreUniqueByAddressAndListedByName)
{
    QList<ServerTreeEntry> nodes{{u"stale"_s, {}, 2}};
    EXPECT_FALSE(LoadServers(nodes));
    ASSERT_EQ(nodes.size(), 1);
    EXPECT_EQ(nodes[0].key, u"MainNode"_s);
    EXPECT_EQ(nodes[0].text, u"Available Zarvo Devices"_s);

    const qint32 zeta = Add(u"zeta"_s, u"10.0.0.3"_s, -1);
    const qint32 alpha = Add(u"alpha"_s, u"10.0.0.1"_s, 0);
    const qint32 mid = Add(u"Mid-floor freezer number 12"_s, u"10.0.0.2"_s, -1);
    EXPECT_FALSE(AddServer(u"Second"_s, {}, u"10.0.0.1"_s, {}, 1, {}, {}, -1));
    EXPECT_EQ(m_prompt.Texts(), QStringList{u"The IP address for this server is not unique.  "
                                            "Please verify the desired IP address."_s});
    ASSERT_TRUE(EnableDisableServer(zeta, 1, 0));

    ASSERT_TRUE(LoadServers(nodes));
    ASSERT_EQ(nodes.size(), 4);
    const struct {
        qint32 id;
        QString text;
        int picture; // 2: not communicating
    } expected[] = {{alpha, u"alpha                @ IP 10.0.0.1"_s, 2},
                    {mid, u"Mid-floor freezer nu @ IP 10.0.0.2"_s, 1},
                    {zeta, u"zeta                 @ IP 10.0.0.3"_s, 2}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(nodes[i + 1].key, u"SERVER%1"_s.arg(expected[i].id));
        EXPECT_EQ(nodes[i + 1].text, expected[i].text);
        EXPECT_EQ(nodes[i + 1].picture, expected[i].picture);
    }

    // Texts left empty are stored as empty text, never as a missing value.
    ASSERT_TRUE(AddServer(QString(), {}, u"10.0.0.6"_s, {}, 0, {}, {}, 0));
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblServers WHERE ServerName = '' AND ServerNotes = '' "
                   "AND EmailAddress = ''"_s),
              QStringList{u"COUNT(*)=1"_s});
}

TEST_F(DatabaseTest, SensorLimitsThatAreNotNumbersAreRefusedAndNothingIsStored)
{
    ASSERT_TRUE(SaveSensorRecord(1, u"Kept"_s, 3, {}, {}, u"30"_s, u"10"_s, u"2"_s));
    const QStringList before = Rows(u"SELECT * FROM tblSensors"_s);
    const struct {
        const char *upper, *lower, *tol, *description;
    } rows[] = {
        {"abc", "10", "2", "Upper limit \"abc\" is not a number."},
        {"30", "1,500", "2", "Lower limit \"1,500\" is not a number."},
        {"inf", "10", "2", "Upper limit \"inf\" is not a number."},
        {"1e39", "10", "2", "Upper limit \"1e39\" is not a number."},
        {"30", "10", "2.5", "Time out of limits \"2.5\" is not a whole number."},
    };
    for (const auto &row : rows) {
        for (const qint16 port : {3, 4}) { // an update, then an insert
            EXPECT_FALSE(SaveSensorRecord(1, u"Changed"_s, port, {}, {}, QLatin1String(row.upper),
                                          QLatin1String(row.lower), QLatin1String(row.tol)));
            EXPECT_EQ(m_prompt.Texts().value(m_prompt.Texts().size() - 1),
                      u"Error saving sensor record for port %1, the error is "_s.arg(port) +
                          QLatin1String(row.description));
        }
    }
    EXPECT_EQ(Rows(u"SELECT * FROM tblSensors"_s), before);
}

// Another program reading the file when the rows are committed: none of them is kept, and
// the operator is told.
TEST_F(DatabaseTest, SensorRowsWhoseCommitFailsAreAllTakenBack)
{
    ASSERT_TRUE(SaveSensorRecord(1, u"Kept"_s, 3, {}, {}, u"30"_s, u"10"_s, u"2"_s));
    const QStringList before = Rows(u"SELECT * FROM tblSensors"_s);
    DatabaseModule().busyTimeoutMs = 20;
    {
        QSqlDatabase reader =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        reader.setDatabaseName(File(u"zarvo.mdb"_s));
        ASSERT_TRUE(reader.open());
        QSqlQuery read(reader);
        ASSERT_TRUE(read.exec(u"BEGIN"_s) && read.exec(u"SELECT * FROM tblSensors"_s));
        EXPECT_FALSE(SaveSensorRecords(
            1, {{u"Changed"_s, 3, {}, {}, {}, {}, {}}, {u"New"_s, 4, {}, {}, {}, {}, {}}}));
        EXPECT_TRUE(m_prompt.Texts().value(0).startsWith(
            u"Error saving sensor record for port 4, the error is database is locked"_s));
        read.finish();
        reader.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    EXPECT_EQ(Rows(u"SELECT * FROM tblSensors"_s), before);
}

TEST_F(DatabaseTest, OpenRowsAreFoundAndClosedOnlyForTheirOwnSensorOrServer)
{
    for (const qint32 sensor : {7, 7, 7, 8})
        ASSERT_TRUE(AddAlarmRecord(sensor, u"t"_s, {}, {}, {}, 0, -1));
    Exec(u"UPDATE tblAlarms SET AlarmEnd = 'x', AlarmActive = 0 WHERE IDNum = 2"_s);
    Exec(u"UPDATE tblAlarms SET AlarmEnd = 'x' WHERE IDNum = 3"_s);
    Recordset rs;
    qint32 count = 0;
    ASSERT_TRUE(RecordOpenAlarms(u"tblAlarms"_s, u"SensorIDNum"_s, 7, u"AlarmEnd"_s, rs, count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(rs.value(0).value(u"IDNum"_s).toInt(), 1);
    // Active whether open or not; stored truth is -1, so "= 1" would miss them.
    ASSERT_TRUE(RecordActiveAlarms(7, count));
    EXPECT_EQ(count, 2);

    Exec(u"INSERT INTO tblServerFailures (ServerIDNum, ServerName, OffLine, BackOnLine, "
         "EmailSent) VALUES (2, 'b', 't1', 'False', 'False'), (1, 'a', 't2', 'False', 'False'), "
         "(1, 'a', 't3', 'False', 'False')"_s);
    QString error;
    ASSERT_TRUE(MarkServerBackOnline(1, error));
    EXPECT_EQ(Rows(u"SELECT BackOnLine FROM tblServerFailures ORDER BY IDNum"_s),
              (QStringList{u"BackOnLine=False"_s, u"BackOnLine=2026-05-04 13:07:09"_s,
                           u"BackOnLine=False"_s}));

    for (const auto &[server, port, name] :
         {std::tuple{1, 3, "c"}, {1, 1, "a"}, {1, 2, ""}, {2, 1, "other"}})
        ASSERT_TRUE(SaveSensorRecord(server, QLatin1String(name), port, {}, {}, {}, {}, {}));
    qint16 sensors = 0;
    EXPECT_TRUE(CountNamedSensors(sensors));
    EXPECT_EQ(sensors, 3);
    QHash<qint32, QList<ServerSensor>> named;
    ASSERT_TRUE(OpenAllServerSensors(named, error));
    EXPECT_EQ(named.value(1).size(), 2);
    EXPECT_EQ(named.value(1).value(0).name, u"a"_s);
    EXPECT_EQ(named.value(1).value(1).port, 3);
    EXPECT_EQ(named.value(2).value(0).name, u"other"_s);
    EXPECT_TRUE(ErrorRows().isEmpty());
}

TEST_F(DatabaseTest, FailuresAreRecordedUnderEachOperationsLabel)
{
    ASSERT_TRUE(RecordSystemError(u"first"_s, u"row"_s)); // something for the trigger to keep
    Exec(u"CREATE TRIGGER keep BEFORE DELETE ON tblErrors BEGIN SELECT RAISE(ABORT, 'kept'); "
         "END"_s);
    EXPECT_FALSE(DeleteSystemErrors());
    Recordset rs;
    qint32 count = 5;
    qint16 sensors = 5;
    const struct {
        const char *table;
        std::function<bool()> operation;
    } rows[] = {
        {"tblServerFailures", [] { return DeleteServerErrors(); }},
        {"tblServers", [&] { return RecordServers(rs, count); }},
        {"tblAlarms", [] { return AddAlarmRecord(1, u"t"_s, {}, {}, {}, 0, -1); }},
        {"tblAlarms", [&] { return RecordActiveAlarms(1, count); }},
        {"tblLogFileBackup", [] { return AddLogFileBackupError(u"e"_s); }},
        {"tblLogFileBackup", [&] { return RecordOpenBackupFileErrors(rs, count); }},
        {"tblSensors", [&] { return CountNamedSensors(sensors); }},
    };
    for (const auto &row : rows) {
        Exec(u"DROP TABLE IF EXISTS "_s + QLatin1String(row.table));
        EXPECT_FALSE(row.operation()) << row.table;
    }
    EXPECT_EQ(count, 0);
    EXPECT_EQ(sensors, 0);
    EXPECT_EQ(Rows(u"SELECT myFunction FROM tblErrors WHERE Cause <> ''"_s),
              (QStringList{u"myFunction=first"_s, u"myFunction=DeleteSystemErrors()"_s,
                           u"myFunction=DeleteServerErrors()"_s, u"myFunction=RecordServers()"_s,
                           u"myFunction=Error adding alarm record to tblAlarms"_s,
                           u"myFunction=RecordActiveAlarms"_s,
                           u"myFunction=Error adding alarm record to tblLogFileBackup"_s,
                           u"myFunction=Error RecordOpenBackupFileErrors()"_s}));
}

// Values reach the callers as they always have, and every value is bound as it always was.
TEST_F(DatabaseTest, ValuesKeepTheirKindBothWays)
{
    const QVariant null(QMetaType::fromType<QString>());
    const struct {
        const char *name;
        QString expression;
        Bindings bound;
        QVariant expected;
    } rows[] = {
        {"whole number", u"42"_s, {}, qint64(42)},
        {"real", u"2.5"_s, {}, 2.5},
        {"NULL", u"NULL"_s, {}, null},
        {"plain text", u"'O''Brien'"_s, {}, u"O'Brien"_s},
        {"other text", u"'K\u00fchlraum 4 \u00b0C'"_s, {}, u"K\u00fchlraum 4 \u00b0C"_s},
        {"bytes", u"X'00FF'"_s, {}, QByteArray("\0\xff", 2)},
        {"bound null text", u"?"_s, {QString()}, null},
        {"bound empty text", u"?"_s, {u""_s}, u""_s},
        {"bound nothing", u"?"_s, {QVariant()}, null},
        {"bound int", u"?"_s, {7}, qint64(7)},
        {"bound truth", u"?"_s, {true}, qint64(1)},
        {"bound unsigned", u"?"_s, {4000000000u}, qint64(4000000000)},
        {"bound long", u"?"_s, {qint64(1) << 40}, qint64(1) << 40},
        {"bound real", u"?"_s, {0.25}, 0.25},
        {"bound other kind as its text", u"?"_s, {QVariant::fromValue(qint16(7))}, u"7"_s},
    };
    DatabaseConnection db;
    for (const auto &row : rows) {
        const auto read = db.Select(u"SELECT "_s + row.expression + u" AS Value"_s, row.bound);
        ASSERT_TRUE(read) << row.name << ": " << db.LastError().toStdString();
        const QVariant value = read->value(0).value(u"value"_s);
        EXPECT_EQ(value.metaType(), row.expected.metaType()) << row.name;
        EXPECT_EQ(value.isNull(), row.expected.isNull()) << row.name;
        EXPECT_EQ(value, row.expected) << row.name;
    }

    // Columns by name, letter case aside, as a file of another age may spell them.
    QList<int> at;
    ASSERT_TRUE(db.SelectEach(
        u"SELECT 1 AS UpperLimit, 2 AS \"lower\"\"Limit\""_s, {}, [&](const DatabaseRow &row) {
            for (const QString &name : {u"upperlimit"_s, u"LOWERLIMIT"_s, u"TOL"_s})
                at << row.IndexOf(name);
            at << (row.Value(-1).isValid() ? 1 : -1);
        }));
    EXPECT_EQ(at, (QList<int>{0, 1, -1, -1}));
}

TEST_F(DatabaseTest, FailedStatementsSayWhatTheyAlwaysSaid)
{
    const struct {
        const char *sql;
        Bindings bound;
        const char *error;
    } rows[] = {
        {"SELECT * FROM tblNope", {}, "no such table: tblNope Unable to execute statement"},
        {"SELECT 1; SELECT 2", {}, "not an error Unable to execute multiple statements at a time"},
        {" -- nothing", {}, "No query Unable to fetch row"},
        {"SELECT ?", {}, "Parameter count mismatch"},
        {"INSERT INTO tblErrors (ErrorID) VALUES (?), (?)",
         {1, 1},
         "UNIQUE constraint failed: tblErrors.ErrorID Unable to fetch row"},
    };
    DatabaseConnection db;
    for (const auto &row : rows) {
        EXPECT_FALSE(db.Exec(QLatin1String(row.sql), row.bound)) << row.sql;
        EXPECT_EQ(db.LastError(), QLatin1String(row.error));
        // The same statement again, kept or not, fails alike and leaves nothing behind.
        EXPECT_FALSE(db.Select(QLatin1String(row.sql), row.bound)) << row.sql;
        EXPECT_EQ(db.LastError(), QLatin1String(row.error));
    }
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblErrors"_s), QStringList{u"COUNT(*)=0"_s});
    EXPECT_EQ(DatabaseModule().lockWaits, 0);
    CloseDatabase(); // nothing a failed statement left keeps the file open
    EXPECT_EQ(OpenFiles(), QStringList());
}
