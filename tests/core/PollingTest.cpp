#include "AlarmEvaluation.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "DesktopAlert.h"
#include "DeviceLinkFixture.h"
#include "FakeDevice.h"
#include "Mail.h"
#include "Polling.h"
#include "RecordLayouts.h"
#include "ServerDatabase.h"
#include "SmtpServer.h"
#include "StatusGrid.h"

#include <QDir>
#include <QFile>

namespace {

const QString kDegF = QStringLiteral("\u00B0F");

QByteArray OnTheWire(const QString &body)
{
    return QString(body).replace(QLatin1Char('\r'), QStringLiteral("\r\n")).toUtf8();
}

class RecordingAlert final : public DesktopAlert {
public:
    void SetBackColour(int) override {}
    void SetTitleColour(int) override {}
    void SetTextColour(int) override {}
    void SetPicture(const QString &) override {}
    void SetSoundFile(const QString &path) override { sound = path; }
    void SetDisplayTime(int) override {}
    void Show(const QString &text) override { shown.append(text); }

    QString sound;
    QStringList shown;
};

} // namespace

class PollingTest : public DeviceLinkFixture {
protected:
    void SetUp() override
    {
        DeviceLinkFixture::SetUp();
        ASSERT_TRUE(m_smtp.IsRunning()) << m_smtp.StartError().toStdString();
        m_smtp.Clear();
        ResetPollingState();
        InstallStatusGrid(&grid);
        Clock::SetFixed(m_now);
        Config().FromAddress = QStringLiteral("station@example.org");
        Config().ServerFailureEmailAddress = QStringLiteral("admin@example.org");
        Config().OrgName = QStringLiteral("Cold Store Ltd");
        Config().SMTPHost = QStringLiteral("127.0.0.1");
        Config().SMTPPort = qint16(m_smtp.Port(QStringLiteral("plain")));
        Config().SMTPTimeOut = 5;
        Config().AuthenticationMethod = QStringLiteral("NONE");
        Config().CommunicationRetry = 1;
        SaveSettings();
    }

    void TearDown() override
    {
        TheMailClient().CloseConnection();
        ResetPollingState();
        DeviceLinkFixture::TearDown();
    }

    // Every cycle re-reads the settings file: what a test sets must be in it.
    void SaveSettings()
    {
        SetupCrypt();
        ASSERT_TRUE(SaveConfiguration());
        ConfigureMailServer();
    }

    qint32 AddServerAt(const FakeDevice &device, const QString &name, const QString &model,
                       const QString &email = QStringLiteral("ops@example.org,"))
    {
        EXPECT_TRUE(AddServer(name, model, device.Address(), QString(), 1, QString(), email, -1));
        return LastId(QStringLiteral("tblServers"));
    }

    qint32 AddSensor(qint32 serverId, const QString &name, qint16 port,
                     const QString &upper = QStringLiteral("80"),
                     const QString &lower = QStringLiteral("50"),
                     const QString &type = QStringLiteral("Temperature"))
    {
        EXPECT_TRUE(SaveSensorRecord(serverId, name, port, QString(), type, upper, lower,
                                     QStringLiteral("0")));
        return LastId(QStringLiteral("tblSensors"));
    }

    static qint32 LastId(const QString &table)
    {
        DatabaseConnection db;
        return db.Select(QStringLiteral("SELECT MAX(IDNum) FROM ") + table)->first().value(0).toInt();
    }

    int RowOf(qint32 sensorId) const
    {
        for (int row = 1; row < grid.RowCount(); ++row)
            if (grid.Cell(row, StatusColumn::SensorID) == QString::number(sensorId))
                return row;
        return -1;
    }

    QString BoardLine(const QString &start) const
    {
        for (const QString &line : board.Lines())
            if (line.startsWith(start))
                return line;
        return QString();
    }

    QList<ReceivedMail> MailsTo(const QString &recipient) const
    {
        QList<ReceivedMail> mails;
        for (const ReceivedMail &mail : m_smtp.Messages())
            if (mail.rcptTos.contains(recipient))
                mails.append(mail);
        return mails;
    }

    void AdvanceClock(int minutes)
    {
        m_now = m_now.addSecs(60 * minutes);
        Clock::SetFixed(m_now);
    }

    PlainStatusGrid grid{6};
    SmtpServer &m_smtp = SmtpServer::Shared();
    QDateTime m_now{QDate(2026, 3, 1), QTime(9, 0)};
};

TEST(RetryLimit, SettingsOutsideOneToFiveGiveThree)
{
    for (const qint16 v : {0, 6, -1, 32767})
        EXPECT_EQ(RetryLimit(v), 3) << v;
    for (const qint16 v : {1, 2, 5})
        EXPECT_EQ(RetryLimit(v), v);
}

TEST_F(PollingTest, HealthySilentAndBusyServersEachGetTheirLineRowsAndRecords)
{
    FakeDevice healthy, silent, busy;
    ASSERT_TRUE(healthy.Listen() && silent.Listen() && busy.Listen());
    healthy.channels[0] = {72, 0, 0};
    silent.SetKnob(DeviceCommand::Identify(), {FakeDevice::Behaviour::Silent});
    busy.SetKnob(DeviceCommand::ReadCurrentData(), {FakeDevice::Behaviour::Busy});
    const qint32 a = AddServerAt(healthy, QStringLiteral("A healthy"), QStringLiteral("RK715"));
    const qint32 b = AddServerAt(silent, QStringLiteral("B silent"), QStringLiteral("RK730"));
    const qint32 c = AddServerAt(busy, QStringLiteral("C busy"), QStringLiteral("RK730"));
    const qint32 sa = AddSensor(a, QStringLiteral("Freezer"), 0);
    const qint32 sb = AddSensor(b, QStringLiteral("Chiller"), 0);
    const qint32 sc = AddSensor(c, QStringLiteral("Cellar"), 0);
    Config().CommunicationRetry = 0; // outside 1 to 5: three attempts
    SaveSettings();

    LogRoutine();

    const auto line = [](const FakeDevice &d, const char *name, const char *outcome) -> QString {
        return QStringLiteral("Communication with server ") + QString::fromLatin1(name) +
               QStringLiteral(" at IP address ") + d.Address() + QString::fromLatin1(outcome);
    };
    EXPECT_TRUE(board.Lines().contains(line(healthy, "A healthy", ": OK")));
    EXPECT_TRUE(board.Lines().contains(line(silent, "B silent", ": FAILED")));
    EXPECT_TRUE(board.Lines().contains(line(busy, "C busy", ": Is busy")));
    EXPECT_TRUE(BoardLine(QStringLiteral("Communication Time: ")).endsWith(QStringLiteral(" seconds")));
    EXPECT_EQ(silent.Requests().size(), 3);
    EXPECT_EQ(busy.Requests().size(), 2);            // one attempt: identify and readings
    EXPECT_EQ(link->Winsock().CurrentState(), SocketControl::State::Closed);

    ASSERT_GT(RowOf(sa), 0);
    EXPECT_EQ(grid.Cell(RowOf(sa), StatusColumn::Reading), QStringLiteral("72"));
    EXPECT_EQ(grid.Cell(RowOf(sa), StatusColumn::Units), kDegF);
    EXPECT_EQ(grid.Cell(RowOf(sa), StatusColumn::Status), QStringLiteral("Normal"));
    EXPECT_EQ(grid.CellBackColour(RowOf(sa), StatusColumn::Status), kColourGreen);
    ASSERT_GT(RowOf(sb), 0);
    EXPECT_EQ(grid.Cell(RowOf(sb), StatusColumn::Reading), QStringLiteral("No Data"));
    EXPECT_EQ(grid.Cell(RowOf(sb), StatusColumn::Status), QStringLiteral("NO DATA"));
    EXPECT_EQ(grid.CellBackColour(RowOf(sb), StatusColumn::Status), kColourYellow);
    EXPECT_EQ(RowOf(sc), -1); // a busy server's sensors take no row

    EXPECT_TRUE(QFile::exists(SensorHeaderFileName(Folder(), sa)));
    EXPECT_TRUE(QFile::exists(AverageFileName(Folder(), sa)));
    EXPECT_TRUE(QFile::exists(InstantFileName(Folder(), sa, m_now.date())));
    EXPECT_TRUE(QFile::exists(ServerLogFileName(Folder(), QStringLiteral("A healthy"), a)));
    for (const qint32 id : {sb, sc})
        EXPECT_FALSE(QFile::exists(SensorHeaderFileName(Folder(), id)));
    EXPECT_FALSE(QFile::exists(ServerLogFileName(Folder(), QStringLiteral("B silent"), b)));

    EXPECT_EQ(Rows(QStringLiteral("SELECT ServerIDNum, BackOnLine, EmailSent FROM tblServerFailures")),
              QStringList{QStringLiteral("ServerIDNum=%1|BackOnLine=False|EmailSent=False").arg(b)});
    EXPECT_TRUE(MailsTo(QStringLiteral("admin@example.org")).isEmpty());

    // The second silent cycle reports the outage to the administrator, once.
    Config().CommunicationRetry = 1;
    SaveSettings();
    LogRoutine();
    const QList<ReceivedMail> reports = MailsTo(QStringLiteral("admin@example.org"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].subject, QStringLiteral("Message from Zarvo Vantrel"));
    EXPECT_TRUE(reports[0].body.contains("The device: B silent, did not respond to 1 request(s)"));
}

TEST_F(PollingTest, AlarmOpensRemindsAndClosesWithItsEmails)
{
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    device.channels[0] = {qint16(853), 12, 3};
    device.tenths = true;
    const qint32 server = AddServerAt(device, QStringLiteral("Lab"), QStringLiteral("RK715"));
    const qint32 sensor = AddSensor(server, QStringLiteral("Freezer"), 0);
    Config().ReminderIndex = 2;
    SaveSettings();

    LogRoutine();
    const QString message = QStringLiteral(" WARNING Freezer is 85.3 ") + kDegF +
                            QStringLiteral(" and is above the upper limit (80.0") + kDegF +
                            QStringLiteral(") by 5.3") + kDegF +
                            QStringLiteral(" and has been out of limits for 12 minutes.\r\r");
    QList<ReceivedMail> mails = MailsTo(QStringLiteral("ops@example.org"));
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].RawHeader("Subject"), " Freezer is in alarm!");
    EXPECT_EQ(mails[0].body, OnTheWire(message));
    EXPECT_EQ(grid.Cell(RowOf(sensor), StatusColumn::Status), QStringLiteral("ALARM: High Limit"));
    EXPECT_EQ(Rows(QStringLiteral("SELECT AlarmStart, AlarmEnd, AlarmActive, CurrentData, TOL, "
                                  "EmailSent, CauseOfAlarm FROM tblAlarms")),
              QStringList{QStringLiteral("AlarmStart=2026-03-01 09:00:00|AlarmEnd=NULL|AlarmActive=-1|"
                                         "CurrentData=85.3|TOL=12|EmailSent=2026-03-01 09:00:00|"
                                         "CauseOfAlarm=") + message});

    AdvanceClock(59);
    LogRoutine();
    EXPECT_EQ(MailsTo(QStringLiteral("ops@example.org")).size(), 1);
    AdvanceClock(1);
    LogRoutine();
    mails = MailsTo(QStringLiteral("ops@example.org"));
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[1].RawHeader("Subject"), "REMINDER Freezer is in alarm!");
    EXPECT_EQ(Rows(QStringLiteral("SELECT AlarmStart, EmailSent FROM tblAlarms WHERE AlarmEnd IS NULL")),
              (QStringList{QStringLiteral("AlarmStart=2026-03-01 09:00:00|EmailSent=2026-03-01 09:00:00"),
                           QStringLiteral("AlarmStart=2026-03-01 09:00:00|EmailSent=2026-03-01 10:00:00")}));

    device.channels[0] = {700, 0, 0};
    LogRoutine();
    EXPECT_EQ(grid.Cell(RowOf(sensor), StatusColumn::Status), QStringLiteral("ALARM"));
    LogRoutine();
    EXPECT_EQ(grid.Cell(RowOf(sensor), StatusColumn::Status), QStringLiteral("Normal"));
    mails = MailsTo(QStringLiteral("ops@example.org"));
    ASSERT_EQ(mails.size(), 4);
    for (const int i : {2, 3}) {
        EXPECT_EQ(mails[i].RawHeader("Subject"), "Freezer Alarm Cleared!");
        EXPECT_EQ(mails[i].body, OnTheWire(QStringLiteral("Freezer is no longer in alarm.\rThe sensor is back within limits.")));
    }
    EXPECT_EQ(Rows(QStringLiteral("SELECT COUNT(*) AS n FROM tblAlarms WHERE AlarmEnd IS NULL OR AlarmActive <> 0")),
              QStringList{QStringLiteral("n=0")});
}

TEST_F(PollingTest, ServerWithoutAddressesRecordsWhyAndGetsNoReminders)
{
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    device.channels[1] = {999, 0, 0};
    const qint32 server = AddServerAt(device, QStringLiteral("Lab"), QStringLiteral("RK730"), QString());
    AddSensor(server, QStringLiteral("Probe"), 1);
    Config().ReminderIndex = 1;
    SaveSettings();

    LogRoutine();
    AdvanceClock(120);
    LogRoutine();
    EXPECT_TRUE(m_smtp.Messages().isEmpty());
    EXPECT_EQ(Rows(QStringLiteral("SELECT EmailSent, CauseOfAlarm FROM tblAlarms")),
              QStringList{QStringLiteral(
                  "EmailSent=An attempt to send an alarm email was made at: 2026-03-01 09:00:00\r"
                  "The email could not be sent as no email addresses have been programmed for "
                  "this device.|CauseOfAlarm=  Sensor Probe has failed open.\r\r")});
}

TEST_F(PollingTest, DailyEmailGoesOutOncePerDayAtTheDueHour)
{
    Config().SystemOKEmail = 1;
    Config().OKHour = 10;
    Config().OKHourAMPM = 0;
    SaveSettings();
    const auto dailyMails = [&] { return MailsTo(QStringLiteral("admin@example.org")).size(); };

    LogRoutine();
    EXPECT_EQ(dailyMails(), 0);
    EXPECT_EQ(ConfigText(Config().LastSystemOKEmail), QStringLiteral("2026-03-01 09:00:00"));
    AdvanceClock(60 * 3); // 12:00 the same day
    LogRoutine();
    EXPECT_EQ(dailyMails(), 0);
    AdvanceClock(60 * 21 + 30); // 09:30 next day: before the hour
    LogRoutine();
    EXPECT_EQ(dailyMails(), 0);
    AdvanceClock(30);
    LogRoutine();
    ASSERT_EQ(dailyMails(), 1);
    EXPECT_EQ(MailsTo(QStringLiteral("admin@example.org"))[0].subject,
              QStringLiteral("Zarvo Vantrel is up and running!"));
    AdvanceClock(60);
    LogRoutine();
    EXPECT_EQ(dailyMails(), 1);
}

TEST_F(PollingTest, FaultWithOneServerLeavesTheNextPolledAndEvaluated)
{
    FakeDevice first, second;
    ASSERT_TRUE(first.Listen() && second.Listen());
    second.channels[0] = {66, 0, 0};
    const qint32 a = AddServerAt(first, QStringLiteral("A"), QStringLiteral("RK730"));
    const qint32 b = AddServerAt(second, QStringLiteral("B"), QStringLiteral("RK730"));
    AddSensor(a, QStringLiteral("One"), 0);
    const qint32 sb = AddSensor(b, QStringLiteral("Two"), 0);
    DatabaseConnection db;
    ASSERT_TRUE(db.Exec(QStringLiteral("INSERT INTO tblServerFailures (ServerIDNum, BackOnLine, EmailSent) "
                                       "VALUES (?, 'False', 'False')"), {a}));
    ASSERT_TRUE(db.Exec(QStringLiteral("CREATE TRIGGER broken BEFORE UPDATE ON tblServerFailures "
                                       "WHEN OLD.ServerIDNum = %1 BEGIN SELECT RAISE(ABORT, 'disk says no'); END")
                            .arg(a)));

    LogRoutine();

    const QStringList errors = Rows(QStringLiteral("SELECT myFunction, Cause FROM tblErrors"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("myFunction=Log Routine|Cause=disk says no")));
    EXPECT_TRUE(errors[0].endsWith(QLatin1Char(' ') + first.Address()));
    ASSERT_GT(RowOf(sb), 0);
    EXPECT_EQ(grid.Cell(RowOf(sb), StatusColumn::Reading), QStringLiteral("66"));
    EXPECT_FALSE(BoardLine(QStringLiteral("Communication with server B ")).isEmpty());
    EXPECT_FALSE(BoardLine(QStringLiteral("Communication Time: ")).isEmpty());
}

TEST_F(PollingTest, EverySensorKeepsItsRowWhenAnEarlierServerIsBusy)
{
    FakeDevice first, second;
    ASSERT_TRUE(first.Listen() && second.Listen());
    first.channels[0] = {60, 0, 0};
    second.channels[0] = {70, 0, 0};
    const qint32 sa = AddSensor(AddServerAt(first, QStringLiteral("A"), QStringLiteral("RK730")), QStringLiteral("One"), 0);
    const qint32 sb = AddSensor(AddServerAt(second, QStringLiteral("B"), QStringLiteral("RK730")), QStringLiteral("Two"), 0);
    LogRoutine();
    ASSERT_EQ(RowOf(sa), 1);
    ASSERT_EQ(RowOf(sb), 2);

    first.SetKnob(DeviceCommand::ReadCurrentData(), {FakeDevice::Behaviour::Busy});
    second.channels[0] = {71, 0, 0};
    LogRoutine();
    EXPECT_EQ(RowOf(sa), 1);
    EXPECT_EQ(grid.Cell(1, StatusColumn::Reading), QStringLiteral("60"));
    EXPECT_EQ(RowOf(sb), 2);
    EXPECT_EQ(grid.Cell(2, StatusColumn::Reading), QStringLiteral("71"));
}

TEST_F(PollingTest, MissingLimitIsAbsentAndAPortOutOfRangeIsSkipped)
{
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    device.channels[0] = {95, 0, 3};
    device.channels[1] = {40, 0, 0};
    const qint32 server = AddServerAt(device, QStringLiteral("Lab"), QStringLiteral("RK730"), QString());
    const qint32 first = AddSensor(server, QStringLiteral("First"), 0, QString(), QStringLiteral("50"));
    const qint32 stray = AddSensor(server, QStringLiteral("Stray"), 12);

    LogRoutine();

    QFile header(SensorHeaderFileName(Folder(), first));
    ASSERT_TRUE(header.open(QIODevice::ReadOnly));
    const auto record = SensorHeaderRecord::Decode(header.readAll());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->upperLimit, 0);
    EXPECT_EQ(record->lowerLimit, 50);
    EXPECT_FALSE(Rows(QStringLiteral("SELECT CauseOfAlarm FROM tblAlarms")).first().contains(QStringLiteral("above")));
    EXPECT_EQ(RowOf(stray), -1);
    EXPECT_EQ(Rows(QStringLiteral("SELECT myFunction FROM tblErrors")),
              QStringList{QStringLiteral("myFunction=CompareToEmailLimitsErr")});
}

TEST_F(PollingTest, PopUpOncePerCycleWhenAnyFilledRowIsNotNormal)
{
    RecordingAlert alert;
    InstallDesktopAlert(&alert);
    const auto fill = [&](int row, const QString &status) {
        grid.SetCell(row, StatusColumn::SensorID, QString::number(row));
        grid.SetCell(row, StatusColumn::Status, status);
    };
    fill(1, QStringLiteral("Normal"));
    NotifyAlarm();
    EXPECT_TRUE(alert.shown.isEmpty()); // the empty rows do not count

    fill(2, QStringLiteral("NO DATA"));
    fill(3, QStringLiteral("ALARM"));
    NotifyAlarm();
    EXPECT_EQ(alert.shown, QStringList{QStringLiteral("There is a temperature alarm.  Please view status on Vantrel.")});
    EXPECT_EQ(alert.sound, File(QStringLiteral("ding.wav")));

    Config().PopUps = 1;
    SaveSettings();
    alert.shown.clear();
    LogRoutine();
    EXPECT_EQ(alert.shown.size(), 1);
    InstallDesktopAlert(nullptr);
}

TEST_F(PollingTest, UnwritableLogFolderIsReportedOncePerOutage)
{
    FakeDevice device;
    ASSERT_TRUE(device.Listen());
    device.channels[0] = {61, 0, 0};
    const qint32 sensor = AddSensor(AddServerAt(device, QStringLiteral("Lab"), QStringLiteral("RK730")),
                                    QStringLiteral("Probe"), 0);
    const QString logFolder = File(QStringLiteral("Backup Copies"));
    Polling().LogDirectory = QStringLiteral("  ") + logFolder + QStringLiteral(" ");

    LogRoutine();
    LogRoutine();
    const QString notice = QStringLiteral("There was an error writing data log files to the programmed directory ") +
                           logFolder + QStringLiteral(".  A backup copy is being kept in ") + Folder();
    const QList<ReceivedMail> mails = MailsTo(QStringLiteral("admin@example.org"));
    ASSERT_EQ(mails.size(), 1);
    EXPECT_TRUE(QString::fromUtf8(mails[0].body).contains(notice));
    EXPECT_EQ(Rows(QStringLiteral("SELECT BackOnLine, EmailSent, Error FROM tblLogFileBackup")),
              QStringList{QStringLiteral("BackOnLine=False|EmailSent=2026-03-01 09:00:00|Error=Failed to "
                                         "write log files to backup directory ") + logFolder});
    EXPECT_TRUE(QFile::exists(AverageFileName(Folder(), sensor)));

    ASSERT_TRUE(QDir().mkpath(logFolder));
    AdvanceClock(5);
    LogRoutine();
    EXPECT_TRUE(QFile::exists(AverageFileName(logFolder, sensor)));
    EXPECT_EQ(Rows(QStringLiteral("SELECT LatestAttempt, BackOnLine FROM tblLogFileBackup")),
              QStringList{QStringLiteral("LatestAttempt=2026-03-01 09:05:00|BackOnLine=2026-03-01 09:05:00")});
}
