#include "NotificationEmails.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "Mail.h"
#include "ServerDatabase.h"
#include "SmtpServer.h"
#include "TempProgramFolder.h"

#include <QFile>

#include <functional>

namespace {

// Bodies are written with the program's single-CR line breaks; the wire has CR LF.
QByteArray OnTheWire(const QString &body)
{
    return QString(body).replace(QLatin1Char('\r'), QStringLiteral("\r\n")).toUtf8();
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kHeading =
    QStringLiteral("This email has been sent by:\rCold Store Ltd\r1 Quay Road\r\r");

} // namespace

class MailSenderTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        ASSERT_TRUE(m_server.IsRunning()) << m_server.StartError().toStdString();
        m_server.Clear();
        Config() = ConfigRecord();
        Config().FromAddress = QStringLiteral(" station@example.org ");
        Config().ServerFailureEmailAddress = QStringLiteral(" admin@example.org ");
        Config().OrgName = QStringLiteral("Cold Store Ltd ");
        Config().OrgAddress = QStringLiteral(" 1 Quay Road");
        Clock::SetFixed(QDateTime(QDate(2026, 3, 1), QTime(14, 5, 9)));
        UseServer(QStringLiteral("plain"));
    }

    void TearDown() override
    {
        TheMailClient().CloseConnection();
        Config() = ConfigRecord();
        TempProgramFolder::TearDown();
    }

    // The settings of one of the server's listeners, as the settings dialogs store them.
    void UseServer(const QString &kind, const QString &method = QStringLiteral("NONE"))
    {
        Config().SMTPHost = QStringLiteral("127.0.0.1");
        Config().SMTPPort = qint16(m_server.Port(kind));
        Config().SMTPTimeOut = 5;
        Config().UseSSL = kind == QLatin1String("tls") ? 1 : 0;
        Config().UseStartTLS = kind == QLatin1String("starttls") ? 1 : 0;
        Config().UseAuthentication = method == QLatin1String("NONE") ? 0 : 1;
        Config().AuthenticationMethod = method;
        Config().SMTPUserName = QString::fromLatin1(SmtpServer::kUser);
        Config().SMTPPassword = QString::fromLatin1(SmtpServer::kPassword);
        ConfigureMailServer();
        TheMailClient().CaFile = m_server.CaFile();
    }

    void UseClosedPort()
    {
        Config().SMTPPort = qint16(SmtpServer::ClosedPort());
        ConfigureMailServer();
    }

    bool Exists(const QString &name) const { return QFile::exists(File(name)); }

    SmtpServer &m_server = SmtpServer::Shared();
};

TEST_F(MailSenderTest, ConfigureMailServerCopiesTheSettings)
{
    const struct {
        const char *name;
        qint16 useAuthentication, useSsl, useStartTls;
        const char *method, *expectedMethod, *expectedUser, *expectedPassword, *expectedDomain;
        qint32 expectedSsl, expectedStartTls;
    } rows[] = {
        {"authentication off hands over no credentials", 0, 1, 1, " LOGIN ", "NONE", "", "", "", 1,
         1},
        {"NONE with authentication on keeps the trimmed credentials", 1, 0, 0, "NONE", "NONE",
         "user", "pass word", "CORP", 0, 0},
        {"any value but 1 is off", 1, 2, -1, "CRAM-MD5", "CRAM-MD5", "user", "pass word", "CORP", 0,
         0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Config().SMTPHost = QStringLiteral("  mail.example.org  ");
        Config().SMTPPort = 587;
        Config().SMTPTimeOut = 12;
        Config().UseAuthentication = row.useAuthentication;
        Config().UseSSL = row.useSsl;
        Config().UseStartTLS = row.useStartTls;
        Config().AuthenticationMethod = QString::fromLatin1(row.method);
        Config().SMTPUserName = QStringLiteral(" user ");
        Config().SMTPPassword = QStringLiteral(" pass word ");
        Config().LoginDomain = QStringLiteral(" CORP ");
        ConfigureMailServer();
        const MailClient &client = TheMailClient();
        EXPECT_EQ(client.Host, QStringLiteral("mail.example.org"));
        EXPECT_EQ(client.Port, 587);
        EXPECT_EQ(client.TimeoutSeconds, 12);
        EXPECT_EQ(client.Ssl, row.expectedSsl);
        EXPECT_EQ(client.StartTls, row.expectedStartTls);
        EXPECT_EQ(client.AuthMethod, QString::fromLatin1(row.expectedMethod));
        EXPECT_EQ(client.UserName, QString::fromLatin1(row.expectedUser));
        EXPECT_EQ(client.Password, QString::fromLatin1(row.expectedPassword));
        EXPECT_EQ(client.Domain, QString::fromLatin1(row.expectedDomain));
        EXPECT_EQ(Config().SMTPUserName, QStringLiteral(" user "));
    }
}

TEST_F(MailSenderTest, ParseEmailAddressesTurnsLinesIntoACommaList)
{
    const struct {
        const char *name, *list, *expected;
    } rows[] = {
        {"two lines", "a@x.org\r\nb@y.org", "a@x.org,b@y.org"},
        {"each line ended", "a@x.org\r\nb@y.org\r\n", "a@x.org,b@y.org,"},
        {"comma list unchanged", "a@x.org,b@y.org", "a@x.org,b@y.org"},
        {"comma list with final comma unchanged", "a@x.org,b@y.org,", "a@x.org,b@y.org,"},
        {"empty", "", ""},
        {"last line of one character", "a@x.org\r\nb", "a@x.org,b"},
        {"empty line gives a lone comma", "a@x.org\r\n\r\nb@y.org", "a@x.org,,b@y.org"},
        {"lone LF stays", "a@x.org\nb@y.org", "a@x.org\nb@y.org"},
        {"lone CR keeps the next address whole", "a@x.org\rb@y.org", "a@x.org,b@y.org"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString recipients = QStringLiteral("left over");
        EXPECT_TRUE(ParseEmailAddresses(QString::fromLatin1(row.list), recipients));
        EXPECT_EQ(recipients, QString::fromLatin1(row.expected));
    }
    QString recipients;
    EXPECT_FALSE(ParseEmailAddresses(QString(32768, QLatin1Char('a')), recipients));
    const QStringList errors = Rows(QStringLiteral("SELECT myFunction FROM tblErrors"));
    EXPECT_EQ(errors, QStringList{QStringLiteral("myFunction=ParseEmailAddresses")});
}

TEST_F(MailSenderTest, AdministratorAndTestEmailsCarryTheirExactTexts)
{
    const struct {
        const char *name;
        std::function<void()> send;
        const char *recipient;
        QString subject;
        QString body;
    } rows[] = {
        {"shut-down", [] { SendShutdownEmail(); }, "admin@example.org",
         QStringLiteral("Zarvo Vantrel has been shutdown!"),
         kHeading + QStringLiteral(" Vantrel has been shut down 2026-03-01 14:05:09 and is no "
                                   "longer logging data.\r\r")},
        {"up and running", [] { EXPECT_TRUE(SendSytemOKEmail()); }, "admin@example.org",
         QStringLiteral("Zarvo Vantrel is up and running!"),
         kHeading + QStringLiteral(" Vantrel is up and running as of 2026-03-01 14:05:09\r\r")},
        {"text",
         [] {
             QString error;
             EXPECT_TRUE(SendTextEmail(QStringLiteral("Folder /mnt/logs is gone"), error));
             EXPECT_TRUE(error.isEmpty());
         },
         "admin@example.org", QStringLiteral("Message from Zarvo Vantrel"),
         kHeading + QStringLiteral(" Folder /mnt/logs is gone.\r\r")},
        {"test",
         [] {
             QString error;
             EXPECT_TRUE(SendTestEmail(QStringLiteral("ops@example.org"), error));
         },
         "ops@example.org", QStringLiteral("Test Message from Zarvo Vantrel"),
         QStringLiteral("This test email has been sent by Cold Store Ltd located at 1 Quay "
                        "Road.  \r")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        m_server.Clear();
        QFile::remove(File(QStringLiteral("LastSentEmailResult.xml")));
        row.send();
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].RawHeader("Subject"), row.subject.toUtf8());
        EXPECT_EQ(mails[0].body, OnTheWire(row.body));
        EXPECT_EQ(mails[0].rcptTos, QStringList{QString::fromLatin1(row.recipient)});
        EXPECT_EQ(mails[0].mailFrom, QStringLiteral("station@example.org"));
        EXPECT_EQ(mails[0].RawHeader("From"), "\"Zarvo Vantrel\" <station@example.org>");
        const bool isTest = row.subject.startsWith(QLatin1String("Test"));
        EXPECT_EQ(Exists(QStringLiteral("LastSentEmailResult.xml")), !isTest);
        EXPECT_FALSE(Exists(QStringLiteral("LastSentEmailResult.html")));
    }
    EXPECT_TRUE(ReadBytes(File(QStringLiteral("VTP-E_Sent_Mail.log")))
                    .contains("Subject:   Test Message from Zarvo Vantrel"));
    EXPECT_TRUE(Rows(QStringLiteral("SELECT * FROM tblErrors")).isEmpty());
}

TEST_F(MailSenderTest, BlankAdministratorAddressSendsNothing)
{
    Config().ServerFailureEmailAddress = QStringLiteral("   ");
    SendShutdownEmail();
    EXPECT_FALSE(SendSytemOKEmail());
    QString error;
    EXPECT_FALSE(SendTextEmail(QStringLiteral("x"), error));
    EXPECT_EQ(error, QStringLiteral("Device failure email address has not been programmed."));
    EXPECT_TRUE(m_server.Connections().isEmpty());
    EXPECT_FALSE(Exists(QStringLiteral("LastSentEmailResult.xml")));
    EXPECT_TRUE(Rows(QStringLiteral("SELECT * FROM tblErrors")).isEmpty());
}

TEST_F(MailSenderTest, RefusedConnectionIsRecordedAsEachSenderSays)
{
    UseClosedPort();
    SendShutdownEmail();
    EXPECT_TRUE(Exists(QStringLiteral("LastSentEmailResult.xml")));
    EXPECT_TRUE(SendSytemOKEmail());
    QString textError;
    EXPECT_FALSE(SendTextEmail(QStringLiteral("x"), textError));
    EXPECT_TRUE(textError.contains(QLatin1String("Couldn't connect"))) << textError.toStdString();
    QString testError;
    EXPECT_FALSE(SendTestEmail(QStringLiteral("ops@example.org"), testError));
    EXPECT_EQ(testError, textError);
    EXPECT_TRUE(Exists(QStringLiteral("LastSentEmailResult.html")));
    EXPECT_TRUE(ReadBytes(File(QStringLiteral("LastSentEmailResult.xml"))).contains("Couldn't"));

    const QString cause = QStringLiteral("|Cause=") + textError;
    EXPECT_EQ(Rows(QStringLiteral("SELECT myFunction, Cause FROM tblErrors ORDER BY ErrorID")),
              (QStringList{QStringLiteral("myFunction=SendSytemOKEmail") + cause,
                           QStringLiteral("myFunction=SendTextEmail") + cause,
                           QStringLiteral("myFunction=SendTestEmail") + cause}));
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

TEST_F(MailSenderTest, SentTestEmailLeavesTheEarlierHtmlResultAlone)
{
    QFile html(File(QStringLiteral("LastSentEmailResult.html")));
    ASSERT_TRUE(html.open(QIODevice::WriteOnly));
    html.write("earlier");
    html.close();
    QString error;
    ASSERT_TRUE(SendTestEmail(QStringLiteral("ops@example.org"), error));
    EXPECT_EQ(ReadBytes(html.fileName()), "earlier");
    EXPECT_FALSE(SendTestEmail(QStringLiteral("not an address"), error));
    EXPECT_TRUE(error.contains(QLatin1String("\"not an address\" is not an e-mail address.")));
    EXPECT_TRUE(ReadBytes(html.fileName()).contains("not an e-mail address"));
}

TEST_F(MailSenderTest, CloseSmtpChoosesOneConnectionForAllOrOnePerEmail)
{
    for (const qint16 closeSmtp : {0, 1}) {
        SCOPED_TRACE(closeSmtp);
        m_server.Clear();
        TheMailClient().CloseConnection();
        UseServer(QStringLiteral("starttls"), QStringLiteral("LOGIN"));
        Config().CloseSMTP = closeSmtp;
        QString error;
        ASSERT_TRUE(SendTestEmail(QStringLiteral("ops@example.org"), error)) << error.toStdString();
        ASSERT_TRUE(SendTestEmail(QStringLiteral("ops@example.org"), error)) << error.toStdString();
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 2);
        EXPECT_EQ(mails[0].connection == mails[1].connection, closeSmtp == 0);
        // Each e-mail is preceded by a connection of its own that only checks the server.
        EXPECT_EQ(m_server.Connections().size(), closeSmtp == 0 ? 3 : 4);
    }
}

TEST_F(MailSenderTest, SettingsReachEveryTransport)
{
    const struct {
        const char *kind, *method;
    } rows[] = {{"plain", "NONE"}, {"starttls", "PLAIN"}, {"tls", "CRAM-MD5"}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        m_server.Clear();
        UseServer(QString::fromLatin1(row.kind), QString::fromLatin1(row.method));
        QString error;
        ASSERT_TRUE(SendTestEmail(QStringLiteral("ops@example.org"), error)) << error.toStdString();
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].kind, QString::fromLatin1(row.kind));
        EXPECT_EQ(mails[0].login.isEmpty(), QLatin1String(row.method) == QLatin1String("NONE"));
    }
}

class ServerMailTest : public MailSenderTest {
protected:
    // A server row as the device manager stores it; its IDNum.
    qint32 AddStationServer(const QString &notes, const QString &addresses)
    {
        EXPECT_TRUE(AddServer(QStringLiteral("Freezer Room"), QStringLiteral("RK715"),
                              QStringLiteral("10.0.0.7"), notes, 1, QString(), addresses, -1));
        return Rows(QStringLiteral("SELECT IDNum FROM tblServers ORDER BY IDNum DESC"))
            .value(0)
            .section(QLatin1Char('='), 1)
            .toInt();
    }

    QStringList FailureRows() const
    {
        return Rows(QStringLiteral("SELECT ServerIDNum, ServerName, OffLine, BackOnLine, EmailSent"
                                   " FROM tblServerFailures ORDER BY IDNum"));
    }

    void SetTime(int hour, int minute)
    {
        Clock::SetFixed(QDateTime(QDate(2026, 3, 1), QTime(hour, minute)));
    }
};

TEST_F(ServerMailTest, AlarmEmailsCarryTheirExactTexts)
{
    const qint32 withNotes = AddStationServer(QStringLiteral("  Back room, shelf 3  "),
                                              QStringLiteral("ops@example.org,lab@example.org,"));
    const qint32 withoutNotes = [&] {
        EXPECT_TRUE(AddServer(QStringLiteral("Lab"), QStringLiteral("RK730"),
                              QStringLiteral("10.0.0.8"), QString(), 1, QString(),
                              QStringLiteral("ops@example.org\r\nlab@example.org"), -1));
        return withNotes + 1;
    }();
    const QString message = QStringLiteral("Freezer 2 reads -5.0\u00B0F\r");
    const struct {
        const char *name;
        const char *subjectSetting;
        std::function<bool(QString &)> send;
        QByteArray subject;
        QString body;
    } rows[] = {
        {"first alarm", "",
         [&](QString &e) {
             return SendAlarmEmail(withNotes, QStringLiteral("Freezer 2"), message, e, {});
         },
         " Freezer 2 is in alarm!", message + QStringLiteral("Back room, shelf 3")},
        {"reminder", "",
         [&](QString &e) {
             return SendAlarmEmail(withNotes, QStringLiteral("Freezer 2"), message, e,
                                   QStringLiteral("REMINDER"));
         },
         "REMINDER Freezer 2 is in alarm!", message + QStringLiteral("Back room, shelf 3")},
        {"first alarm with a configured subject", "  Cold store alarm  ",
         [&](QString &e) {
             return SendAlarmEmail(withoutNotes, QStringLiteral("Freezer 2"), message, e, {});
         },
         " Cold store alarm", message},
        {"reminder with a configured subject", "Cold store alarm",
         [&](QString &e) {
             return SendAlarmEmail(withoutNotes, QStringLiteral("Freezer 2"), message, e,
                                   QStringLiteral("REMINDER"));
         },
         "REMINDER Cold store alarm", message},
        {"cleared", "Cold store alarm",
         [&](QString &e) {
             return SendAlarmClearedEmail(withNotes, QStringLiteral("Freezer 2"),
                                          QStringLiteral("The sensor is back within limits."), e);
         },
         "Freezer 2 Alarm Cleared!",
         QStringLiteral("Freezer 2 is no longer in alarm.\rThe sensor is back within limits.")},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        m_server.Clear();
        QFile::remove(File(QStringLiteral("LastSentEmailResult.xml")));
        Config().AlarmEmailSubjectLine = QString::fromLatin1(row.subjectSetting);
        QString error;
        ASSERT_TRUE(row.send(error));
        EXPECT_TRUE(error.isEmpty());
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].RawHeader("Subject"), row.subject);
        EXPECT_EQ(mails[0].body, OnTheWire(row.body));
        EXPECT_EQ(mails[0].rcptTos, (QStringList{QStringLiteral("ops@example.org"),
                                                 QStringLiteral("lab@example.org")}));
        EXPECT_TRUE(Exists(QStringLiteral("LastSentEmailResult.xml")));
    }
}

TEST_F(ServerMailTest, AlarmEmailFailuresGiveTheirErrorTexts)
{
    const qint32 noAddress = AddStationServer(QString(), QStringLiteral(" , "));
    QString error;
    EXPECT_FALSE(SendAlarmEmail(noAddress, QStringLiteral("S"), QStringLiteral("m"), error, {}));
    EXPECT_EQ(error, QStringLiteral("No recipient address was given."));
    EXPECT_FALSE(Exists(QStringLiteral("LastSentEmailResult.xml")));
    EXPECT_TRUE(m_server.Connections().isEmpty());

    ASSERT_TRUE(UpdateServerEmail(noAddress, QString(32768, QLatin1Char('a'))));
    error.clear();
    EXPECT_FALSE(SendAlarmClearedEmail(noAddress, QStringLiteral("S"), QStringLiteral("m"), error));
    EXPECT_EQ(error, QStringLiteral("Error in ParseEmailAddress()"));

    // Refused at the connection check: the component's text.
    ASSERT_TRUE(UpdateServerEmail(noAddress, QStringLiteral("ops@example.org,")));
    UseClosedPort();
    error.clear();
    EXPECT_FALSE(SendAlarmEmail(noAddress, QStringLiteral("S"), QStringLiteral("m"), error, {}));
    EXPECT_TRUE(error.contains(QLatin1String("Couldn't connect"))) << error.toStdString();
    EXPECT_TRUE(Exists(QStringLiteral("LastSentEmailResult.xml")));

    // Refused after it (the server wants a log-in before MAIL FROM): no text.
    UseServer(QStringLiteral("starttls"));
    error.clear();
    EXPECT_FALSE(SendAlarmEmail(noAddress, QStringLiteral("S"), QStringLiteral("m"), error, {}));
    EXPECT_TRUE(error.isEmpty());
    EXPECT_TRUE(ReadBytes(File(QStringLiteral("LastSentEmailResult.xml"))).contains("530"));
    EXPECT_TRUE(m_server.Messages().isEmpty());
    EXPECT_EQ(Rows(QStringLiteral("SELECT myFunction FROM tblErrors")),
              QStringList{QStringLiteral("myFunction=ParseEmailAddresses")});
}

TEST_F(ServerMailTest, SilentServerOpensARowThenReportsItOnce)
{
    const qint32 id = AddStationServer(QString(), QString());
    const QString prefix = QStringLiteral("ServerIDNum=%1|ServerName=Freezer Room|").arg(id);
    QString error;

    SetTime(9, 0); // an outage of one cycle: opened, closed, never reported
    ASSERT_TRUE(ReportServerNoResponse(id, 3, error)) << error.toStdString();
    SetTime(9, 1);
    ASSERT_TRUE(MarkServerBackOnline(id, error));
    const QString shortOutage =
        prefix + QStringLiteral("OffLine=2026-03-01 09:00:00|"
                                "BackOnLine=2026-03-01 09:01:00|EmailSent=False");
    EXPECT_EQ(FailureRows(), QStringList{shortOutage});

    SetTime(10, 0);
    ASSERT_TRUE(ReportServerNoResponse(id, 3, error));
    EXPECT_TRUE(m_server.Messages().isEmpty());
    SetTime(10, 1);
    ASSERT_TRUE(ReportServerNoResponse(id, 3, error));
    SetTime(10, 2);
    ASSERT_TRUE(ReportServerNoResponse(id, 3, error));

    const QList<ReceivedMail> mails = m_server.Messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].RawHeader("Subject"), "Message from Zarvo Vantrel");
    EXPECT_EQ(
        mails[0].body,
        OnTheWire(kHeading +
                  QStringLiteral(" The device: Freezer Room, did not respond to 3 request(s) for "
                                 "data.  The servers's IP address is: 10.0.0.7.\r\r")));
    EXPECT_EQ(mails[0].rcptTos, QStringList{QStringLiteral("admin@example.org")});
    EXPECT_EQ(FailureRows(),
              (QStringList{shortOutage, prefix + QStringLiteral("OffLine=2026-03-01 10:00:00|"
                                                                "BackOnLine=False|"
                                                                "EmailSent=2026-03-01 10:01:00")}));
}

TEST_F(ServerMailTest, FailedReportKeepsItsErrorTextAndIsNotRetried)
{
    const struct {
        const char *name;
        const char *administrator;
        bool closedPort;
        const char *stored;
    } rows[] = {
        {"no administrator address", " ", false,
         "Device failure email address has not been programmed."},
        {"mail server refuses", "admin@example.org", true, "Couldn't connect"},
    };
    const qint32 id = AddStationServer(QString(), QString());
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(DeleteServerErrors());
        Config().ServerFailureEmailAddress = QString::fromLatin1(row.administrator);
        if (row.closedPort)
            UseClosedPort();
        QString error;
        for (int cycle = 0; cycle < 3; ++cycle)
            ASSERT_TRUE(ReportServerNoResponse(id, 2, error));
        const QStringList failures =
            Rows(QStringLiteral("SELECT EmailSent FROM tblServerFailures"));
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures[0].contains(QString::fromLatin1(row.stored)))
            << failures[0].toStdString();
        EXPECT_TRUE(m_server.Messages().isEmpty());
    }
}

TEST_F(ServerMailTest, NoResponseReportLeavesADatabaseFailureToItsCaller)
{
    ASSERT_TRUE(QFile::remove(File(QStringLiteral("zarvo.mdb"))));
    QString error;
    EXPECT_FALSE(ReportServerNoResponse(1, 3, error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m_server.Connections().isEmpty());
}
