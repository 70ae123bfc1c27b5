#include "PollingFixture.h"

#include "GeneralDate.h"

TEST(RetryLimit, SettingsOutsideOneToFiveGiveThree)
{
    for (const qint16 v : {0, 1, 5, 6, -1})
        EXPECT_EQ(RetryLimit(v), v >= 1 && v <= 5 ? v : 3) << v;
}

TEST_F(PollingTest, HealthySilentAndBusyServersEachGetTheirLineRowsAndRecords)
{
    a.channels[0] = {72, 0, 0};
    b.SetKnob(DeviceCommand::Identify(), {FakeDevice::Behaviour::Silent});
    c.SetKnob(DeviceCommand::ReadCurrentData(), {FakeDevice::Behaviour::Busy});
    const qint32 healthy = AddServerAt(a, u"A healthy"_s, u"RK715"_s);
    const qint32 silent = AddServerAt(b, u"B silent"_s, u"RK730"_s);
    const qint32 sa = AddSensor(healthy, u"Freezer"_s, 0);
    const qint32 sb = AddSensor(silent, u"Chiller"_s, 0);
    const qint32 sc = AddSensor(AddServerAt(c, u"C busy"_s, u"RK730"_s), u"Cellar"_s, 0);

    LogRoutine();

    for (const auto &[device, line] : {std::pair{&a, "A healthy at IP address %1: OK"},
                                       {&b, "B silent at IP address %1: FAILED"},
                                       {&c, "C busy at IP address %1: Is busy"}})
        EXPECT_TRUE(board.Lines().contains(u"Communication with server "_s +
                                           QLatin1String(line).arg(device->Address())));
    EXPECT_TRUE(board.Lines().filter(u"Communication Time: "_s).value(0).endsWith(u" seconds"_s));
    EXPECT_EQ(b.Requests().size(), 1);
    EXPECT_EQ(c.Requests().size(), 2); // one attempt: identify and readings
    EXPECT_EQ(link->Winsock().CurrentState(), SocketControl::State::Closed);

    ASSERT_GT(RowOf(sa), 0);
    EXPECT_EQ(Cell(sa, StatusColumn::Reading), u"72"_s);
    EXPECT_EQ(Cell(sa, StatusColumn::Units), kDegF);
    EXPECT_EQ(Cell(sa, StatusColumn::Status), u"Normal"_s);
    EXPECT_EQ(grid.CellBackColour(RowOf(sa), StatusColumn::Status), kColourGreen);
    ASSERT_GT(RowOf(sb), 0);
    EXPECT_EQ(Cell(sb, StatusColumn::Reading), u"No Data"_s);
    EXPECT_EQ(Cell(sb, StatusColumn::Status), u"NO DATA"_s);
    EXPECT_EQ(grid.CellBackColour(RowOf(sb), StatusColumn::Status), kColourYellow);
    EXPECT_EQ(RowOf(sc), -1); // a busy server's sensors take no row

    EXPECT_TRUE(QFile::exists(SensorHeaderFileName(Folder(), sa)));
    EXPECT_TRUE(QFile::exists(AverageFileName(Folder(), sa)));
    EXPECT_TRUE(QFile::exists(InstantFileName(Folder(), sa, m_now.date())));
    EXPECT_TRUE(QFile::exists(ServerLogFileName(Folder(), u"A healthy"_s, healthy)));
    for (const qint32 id : {sb, sc})
        EXPECT_FALSE(QFile::exists(SensorHeaderFileName(Folder(), id)));
    EXPECT_FALSE(QFile::exists(ServerLogFileName(Folder(), u"B silent"_s, silent)));

    EXPECT_EQ(Rows(u"SELECT ServerIDNum, BackOnLine, EmailSent FROM tblServerFailures"_s),
              QStringList{u"ServerIDNum=%1|BackOnLine=False|EmailSent=False"_s.arg(silent)});
    EXPECT_TRUE(MailsTo("admin").isEmpty());

    // The second silent cycle reports the outage to the administrator with its attempts,
    // each followed by the pause of one second (the last one too).
    Config().CommunicationRetry = 0; // outside 1 to 5: three attempts
    SaveSettings();
    DatabaseConnection db;
    ASSERT_TRUE(db.Exec(u"UPDATE tblServers SET Enabled = 0 WHERE IDNum <> ?"_s, {silent}));
    mainForm.progressMaxima.clear();
    LogRoutine();
    EXPECT_EQ(b.Requests().size(), 4);
    const QList<int> attempt{25, 10, 20, 1,
                             10}; // tenths: connect, reply, close and its pause, then the pause
    EXPECT_EQ(mainForm.progressMaxima, attempt + attempt + attempt);
    const QList<ReceivedMail> reports = MailsTo("admin");
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].body.contains("The device: B silent, did not respond to 3 request(s)"));
}

TEST_F(PollingTest, AlarmOpensRemindsAndClosesWithItsEmails)
{
    a.channels[0] = {853, 12, 3};
    a.tenths = true;
    const qint32 sensor = AddSensor(AddServerAt(a, u"Lab"_s, u"RK715"_s), u"Freezer"_s, 0);
    Config().ReminderIndex = 2;
    SaveSettings();

    LogRoutine();
    const QString message = u" WARNING Freezer is 85.3 \u00B0F and is above the upper limit "
                            "(80.0\u00B0F) by 5.3\u00B0F and has been out of limits for 12 "
                            "minutes.\r\r"_s;
    QList<ReceivedMail> mails = MailsTo("ops");
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].RawHeader("Subject"), " Freezer is in alarm!");
    EXPECT_EQ(mails[0].body, OnTheWire(message));
    EXPECT_EQ(Cell(sensor, StatusColumn::Status), u"ALARM: High Limit"_s);
    EXPECT_EQ(Rows(u"SELECT AlarmStart, AlarmEnd, AlarmActive, CurrentData, TOL, EmailSent, "
                   "CauseOfAlarm FROM tblAlarms"_s),
              QStringList{u"AlarmStart=2026-03-01 09:00:00|AlarmEnd=NULL|AlarmActive=-1|"
                          "CurrentData=85.3|TOL=12|EmailSent=2026-03-01 09:00:00|"
                          "CauseOfAlarm="_s +
                          message});

    AdvanceClock(59);
    LogRoutine();
    EXPECT_EQ(MailsTo("ops").size(), 1);
    AdvanceClock(1);
    LogRoutine();
    mails = MailsTo("ops");
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[1].RawHeader("Subject"), "REMINDER Freezer is in alarm!");
    EXPECT_EQ(Rows(u"SELECT AlarmStart, EmailSent FROM tblAlarms WHERE AlarmEnd IS NULL"_s),
              (QStringList{u"AlarmStart=2026-03-01 09:00:00|EmailSent=2026-03-01 09:00:00"_s,
                           u"AlarmStart=2026-03-01 09:00:00|EmailSent=2026-03-01 10:00:00"_s}));
    AdvanceClock(59);
    LogRoutine();
    EXPECT_EQ(MailsTo("ops").size(), 2) << "the next reminder is an interval away";

    // One open row is closed per normal pass.
    a.channels[0] = {700, 0, 0};
    LogRoutine();
    EXPECT_EQ(Cell(sensor, StatusColumn::Status), u"ALARM"_s);
    LogRoutine();
    EXPECT_EQ(Cell(sensor, StatusColumn::Status), u"Normal"_s);
    mails = MailsTo("ops");
    ASSERT_EQ(mails.size(), 4);
    for (const int i : {2, 3}) {
        EXPECT_EQ(mails[i].RawHeader("Subject"), "Freezer Alarm Cleared!");
        EXPECT_EQ(mails[i].body, OnTheWire(u"Freezer is no longer in alarm.\rThe sensor is back "
                                           "within limits."_s));
    }
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblAlarms WHERE AlarmEnd IS NULL OR AlarmActive <> 0"_s),
              QStringList{u"COUNT(*)=0"_s});
}

// While an alarm is open its state code chooses text and colour; a first e-mail that
// cannot be sent is explained in the alarm row and on the status board.
TEST_F(PollingTest, OpenAlarmsShowTheirStateAndAFailedEmailIsExplained)
{
    const struct {
        quint8 state;
        const char *text;
        int colour;
    } rows[] = {
        {2, "ALARM: Low Limit", 255},
        {3, "ALARM: High Limit", 255},
        {4, "WARNING: Low Limit", 0 + 153 * 256 + 204 * 65536},
        {5, "WARNING: High Limit", 255 + 102 * 256},
        {1, "ALARM", 255},
    };
    const qint32 server = AddServerAt(a, u"Lab"_s, u"RK730"_s);
    QList<qint32> sensors;
    for (qint16 port = 0; port < qint16(std::size(rows)); ++port) {
        a.channels[port] = {72, 3, rows[port].state};
        sensors << AddSensor(server, u"Probe %1"_s.arg(port), port);
    }
    Config().SMTPPort = qint16(SmtpServer::ClosedPort());
    SaveSettings();

    LogRoutine();
    for (int port = 0; port < int(std::size(rows)); ++port) {
        SCOPED_TRACE(rows[port].text);
        ASSERT_GT(RowOf(sensors[port]), 0);
        EXPECT_EQ(Cell(sensors[port], StatusColumn::Status), QLatin1String(rows[port].text));
        EXPECT_EQ(grid.CellBackColour(RowOf(sensors[port]), StatusColumn::Status),
                  rows[port].colour);
    }
    const QStringList sent = Rows(u"SELECT EmailSent FROM tblAlarms"_s);
    ASSERT_EQ(sent.size(), qsizetype(std::size(rows)));
    for (const QString &row : sent)
        EXPECT_TRUE(
            row.startsWith(u"EmailSent=There was an error sending an alarm email "
                           "2026-03-01 09:00:00\rThe email error is:\rFailed to connect"_s) &&
            row.endsWith(u"Couldn't connect to server"_s))
            << row.toStdString();
    EXPECT_TRUE(board.Lines().contains(u"Error sending Alarm EmailSee Alarm Tab for details"_s));
}

TEST_F(PollingTest, ServerWithoutAddressesRecordsWhyAndGetsNoReminders)
{
    a.channels[1] = {999, 0, 0};
    AddSensor(AddServerAt(a, u"Lab"_s, u"RK730"_s, QString()), u"Probe"_s, 1);
    Config().ReminderIndex = 1;
    SaveSettings();

    LogRoutine();
    AdvanceClock(120);
    LogRoutine();
    EXPECT_TRUE(m_smtp.Messages().isEmpty());
    EXPECT_EQ(Rows(u"SELECT EmailSent, CauseOfAlarm FROM tblAlarms"_s),
              QStringList{u"EmailSent=An attempt to send an alarm email was made at: 2026-03-01 "
                          "09:00:00\rThe email could not be sent as no email addresses have been "
                          "programmed for this device.|CauseOfAlarm=  Sensor Probe has failed "
                          "open.\r\r"_s});
}

// The first cycle only notes the time; then once per calendar day, at the first cycle at or
// after the hour, also when the settings file cannot keep the moment.
TEST_F(PollingTest, DailyEmailGoesOutOncePerCalendarDayAtTheDueHour)
{
    const struct {
        const char *name;
        qint16 hour, pm;
        QTime first;
        bool unwritable;
        QList<std::pair<int, int>> cycles; // minutes on, e-mails sent by then
    } rows[] = {
        {"10 AM",
         10,
         0,
         QTime(9, 0),
         false,
         {{180, 0}, {21 * 60 + 30, 0}, {30, 1}, {60, 1}}}, // 12:00, 09:30 next day, 10:00, 11:00
        {"a new day, not 24 hours", 10, 0, QTime(22, 0), false, {{12 * 60, 1}}},
        {"12 AM is midnight", 12, 0, QTime(9, 0), false, {{14 * 60 + 50, 0}, {10, 1}}},
        {"10 PM", 10, 1, QTime(9, 0), false, {{24 * 60 + 60, 0}, {12 * 60, 1}}},
        {"settings file that cannot be written",
         10,
         0,
         QTime(9, 0),
         true,
         {{25 * 60, 1}, {60, 1}, {24 * 60, 2}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        m_smtp.Clear();
        ResetPollingState();
        m_now = QDateTime(QDate(2026, 3, 1), row.first);
        Clock::SetFixed(m_now);
        Config().SystemOKEmail = 1;
        Config().OKHour = row.hour;
        Config().OKHourAMPM = row.pm;
        Config().LastSystemOKEmail = QString();
        SaveSettings();
        LogRoutine();
        EXPECT_EQ(ConfigText(Config().LastSystemOKEmail), GeneralDateText(m_now));
        if (row.unwritable) {
            // Read through a link whose target's name leaves no room for the save's
            // temporary file: the file reads, but no save can replace it.
            const QString target = File(QString(250, u'c'));
            ASSERT_TRUE(QFile::rename(File(u"VantrelConfig.dat"_s), target));
            ASSERT_TRUE(QFile::link(target, File(u"VantrelConfig.dat"_s)));
        }
        for (const auto &[minutes, sent] : row.cycles) {
            AdvanceClock(minutes);
            LogRoutine();
            EXPECT_EQ(MailsTo("admin").size(), sent) << m_now.toString().toStdString();
        }
        EXPECT_EQ(MailsTo("admin").value(0).subject, u"Zarvo Vantrel is up and running!"_s);
        EXPECT_EQ(ErrorRows().size(), row.unwritable ? 2 : 0);
    }
}

TEST_F(PollingTest, FaultWithOneServerLeavesItAndTheNextPolledAndEvaluated)
{
    b.channels[0] = {66, 0, 0};
    const qint32 first = AddServerAt(a, u"A"_s, u"RK730"_s);
    AddSensor(first, u"One"_s, 0);
    const qint32 sb = AddSensor(AddServerAt(b, u"B"_s, u"RK730"_s), u"Two"_s, 0);
    DatabaseConnection db;
    ASSERT_TRUE(db.Exec(u"INSERT INTO tblServerFailures (ServerIDNum, BackOnLine, EmailSent) "
                        "VALUES (?, 'False', 'False')"_s,
                        {first}));
    ASSERT_TRUE(db.Exec(
        u"CREATE TRIGGER broken BEFORE UPDATE ON tblServerFailures WHEN "
        "OLD.ServerIDNum = %1 BEGIN SELECT RAISE(ABORT, 'disk says no'); END"_s.arg(first)));

    LogRoutine();

    const QStringList errors = ErrorRows();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(u"myFunction=Log Routine|Cause=disk says no"_s));
    EXPECT_TRUE(errors[0].endsWith(u' ' + a.Address()));
    ASSERT_GT(RowOf(sb), 0);
    EXPECT_EQ(Cell(sb, StatusColumn::Reading), u"66"_s);
    EXPECT_EQ(board.Lines().filter(u"Communication with server B "_s).size(), 1);
    // The server whose failure row could not be closed still has its readings shown.
    EXPECT_TRUE(board.Lines().contains(u"Communication with server A at IP address "_s +
                                       a.Address() + u": OK"_s));
    EXPECT_EQ(grid.Cell(1, StatusColumn::Sensor), u"One"_s);
    EXPECT_EQ(board.Lines().filter(u"Communication Time: "_s).size(), 1);
}

TEST_F(PollingTest, EverySensorKeepsItsRowWhenAnEarlierServerIsBusy)
{
    a.channels[0] = {60, 0, 0};
    b.channels[0] = {70, 0, 0};
    // Stored under names the device manager no longer takes: still polled, still recorded.
    const qint32 dots = AddServerAt(a, u".."_s, u"RK715"_s);
    const qint32 tab = AddServerAt(b, u"B\t2"_s, u"RK715"_s);
    const qint32 sa = AddSensor(dots, u"One"_s, 0);
    const qint32 sb = AddSensor(tab, u"Two"_s, 0);
    LogRoutine();
    ASSERT_EQ(RowOf(sa), 1);
    ASSERT_EQ(RowOf(sb), 2);
    EXPECT_EQ(ReadAll(ServerLogFileName(Folder(), u".."_s, dots)).size(), ServerLogRecord::kLength);
    EXPECT_EQ(ReadAll(ServerLogFileName(Folder(), u"B\t2"_s, tab)).size(),
              ServerLogRecord::kLength);
    EXPECT_EQ(ErrorRows(), QStringList());

    a.SetKnob(DeviceCommand::ReadCurrentData(), {FakeDevice::Behaviour::Busy});
    b.channels[0] = {71, 0, 0};
    LogRoutine();
    EXPECT_EQ(grid.Cell(1, StatusColumn::SensorID), QString::number(sa));
    EXPECT_EQ(grid.Cell(1, StatusColumn::Reading), u"60"_s);
    EXPECT_EQ(grid.Cell(2, StatusColumn::SensorID), QString::number(sb));
    EXPECT_EQ(grid.Cell(2, StatusColumn::Reading), u"71"_s);
}

// Neither a missing limit nor a port outside 0 to 9 may borrow from the sensor before.
TEST_F(PollingTest, MissingLimitIsAbsentAndAPortOutOfRangeIsSkipped)
{
    a.channels[0] = {60, 0, 0};
    a.channels[1] = {95, 0, 3};
    const qint32 server = AddServerAt(a, u"Lab"_s, u"RK730"_s, QString());
    AddSensor(server, u"Limited"_s, 0);
    const qint32 missing = AddSensor(server, u"Missing"_s, 1, QString(), u"50"_s);
    const qint32 stray = AddSensor(server, u"Stray"_s, 12);

    LogRoutine();

    const auto header =
        SensorHeaderRecord::Decode(ReadAll(SensorHeaderFileName(Folder(), missing)));
    ASSERT_TRUE(header);
    EXPECT_EQ(header->upperLimit, 0);
    EXPECT_EQ(header->lowerLimit, 50);
    const QStringList alarms = Rows(u"SELECT SensorIDNum, CauseOfAlarm FROM tblAlarms"_s);
    ASSERT_EQ(alarms.size(), 1);
    EXPECT_TRUE(alarms[0].startsWith(u"SensorIDNum=%1|"_s.arg(missing)));
    EXPECT_FALSE(alarms[0].contains(u"above"_s));
    EXPECT_EQ(RowOf(stray), -1);
    EXPECT_EQ(Rows(u"SELECT myFunction FROM tblErrors"_s),
              QStringList{u"myFunction=CompareToEmailLimitsErr"_s});
}

TEST_F(PollingTest, PopUpOncePerCycleWhenAnyFilledRowIsNotNormal)
{
    RecordingAlert alert;
    InstallDesktopAlert(&alert);
    const auto fill = [&](int row, const QString &status) {
        grid.SetCell(row, StatusColumn::SensorID, QString::number(row));
        grid.SetCell(row, StatusColumn::Status, status);
    };
    fill(1, u"Normal"_s);
    NotifyAlarm();
    EXPECT_TRUE(alert.shown.isEmpty()); // the empty rows do not count

    fill(2, u"NO DATA"_s);
    fill(3, u"ALARM"_s);
    NotifyAlarm();
    EXPECT_EQ(alert.shown,
              QStringList{u"There is a temperature alarm.  Please view status on Vantrel."_s});
    EXPECT_EQ(alert.sound, QCoreApplication::applicationDirPath() + u"/ding.wav"_s);

    Config().PopUps = 1;
    SaveSettings();
    alert.shown.clear();
    LogRoutine();
    EXPECT_EQ(alert.shown.size(), 1);
    InstallDesktopAlert(nullptr);
}

// The operator's folder name is kept as typed, letter case included.
TEST_F(PollingTest, UnwritableLogFolderIsReportedOncePerOutage)
{
    a.channels[0] = {61, 0, 0};
    const qint32 sensor = AddSensor(AddServerAt(a, u"Lab"_s, u"RK730"_s), u"Probe"_s, 0);
    const QString logFolder = File(u"Backup Copies"_s);
    Polling().LogDirectory = u"  "_s + logFolder + u" "_s;

    LogRoutine();
    LogRoutine();
    const QList<ReceivedMail> mails = MailsTo("admin");
    ASSERT_EQ(mails.size(), 1);
    EXPECT_TRUE(QString::fromUtf8(mails[0].body)
                    .contains(u"There was an error writing data log files to the programmed "
                              "directory "_s +
                              logFolder + u".  A backup copy is being kept in "_s + Folder()));
    EXPECT_EQ(Rows(u"SELECT BackOnLine, EmailSent, Error FROM tblLogFileBackup"_s),
              QStringList{u"BackOnLine=False|EmailSent=2026-03-01 09:00:00|Error=Failed to "
                          "write log files to backup directory "_s +
                          logFolder});
    EXPECT_TRUE(QFile::exists(AverageFileName(Folder(), sensor)));

    ASSERT_TRUE(QDir().mkpath(logFolder));
    AdvanceClock(5);
    LogRoutine();
    EXPECT_TRUE(QFile::exists(AverageFileName(logFolder, sensor)));
    EXPECT_EQ(Rows(u"SELECT LatestAttempt, BackOnLine FROM tblLogFileBackup"_s),
              QStringList{u"LatestAttempt=2026-03-01 09:05:00|BackOnLine=2026-03-01 09:05:00"_s});
}
