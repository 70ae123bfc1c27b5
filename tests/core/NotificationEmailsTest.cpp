#include "NotificationEmails.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "Mail.h"
#include "ServerDatabase.h"
#include "SmtpServer.h"
#include "TempProgramFolder.h"

#include <QFile>
#include <QRegularExpression>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QString kHeading = u"This email has been sent by:\rCold Store Ltd\r1 Quay Road\r\r"_s;
const QString kXml = u"LastSentEmailResult.xml"_s;
const QString kHtml = u"LastSentEmailResult.html"_s;

} // namespace

class MailSenderTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        ASSERT_TRUE(m_server.IsRunning()) << m_server.StartError().toStdString();
        m_server.Clear();
        Config() = ConfigRecord();
        Config().FromAddress = u" station@example.org "_s;
        Config().ServerFailureEmailAddress = u" admin@example.org "_s;
        Config().OrgName = u"Cold Store Ltd "_s;
        Config().OrgAddress = u" 1 Quay Road"_s;
        SetTime(14, 5, 9);
        UseServer("plain", "LOGIN", 0); // authentication off: no credentials handed over
    }

    void TearDown() override
    {
        TheMailClient().CloseConnection();
        Config() = ConfigRecord();
        TempProgramFolder::TearDown();
    }

    // The settings of one of the server's listeners, as the settings dialogs store them.
    void UseServer(const char *kind, const char *method = "NONE", qint16 useAuthentication = -1)
    {
        const QLatin1String k(kind);
        Config().SMTPHost = u"  127.0.0.1 "_s;
        Config().SMTPPort = qint16(m_server.Port(k));
        Config().SMTPTimeOut = 5;
        Config().UseSSL = k == "tls"_L1 ? 1 : 2; // anything but 1 is off
        Config().UseStartTLS = k == "starttls"_L1;
        Config().AuthenticationMethod = QLatin1String(method);
        Config().UseAuthentication =
            useAuthentication >= 0 ? useAuthentication : QLatin1String(method) != "NONE"_L1;
        Config().SMTPUserName = u" "_s + QLatin1String(SmtpServer::kUser);
        Config().SMTPPassword = QLatin1String(SmtpServer::kPassword);
        ConfigureMailServer();
        TheMailClient().CaFile = m_server.CaFile();
    }
    void UseClosedPort()
    {
        Config().SMTPPort = qint16(SmtpServer::ClosedPort());
        ConfigureMailServer();
    }
    void SetTime(int hour, int minute, int second = 0)
    {
        Clock::SetFixed(QDateTime(QDate(2026, 3, 1), QTime(hour, minute, second)));
    }
    bool Exists(const QString &name) const { return QFile::exists(File(name)); }

    // A server row as the device manager stores it; its IDNum.
    qint32 AddStationServer(const QString &notes, const QString &addresses)
    {
        EXPECT_TRUE(AddServer(u"Freezer Room"_s, u"RK715"_s, u"10.0.0.7"_s, notes, 1, QString(),
                              addresses, -1));
        return LastId(u"tblServers"_s);
    }

    SmtpServer &m_server = SmtpServer::Shared();
};

TEST_F(MailSenderTest, ParseEmailAddressesTurnsLinesIntoACommaList)
{
    const struct {
        const char *name, *list, *expected;
    } rows[] = {
        {"two lines", "a@x.org\r\nb@y.org", "a@x.org,b@y.org"},
        {"each line ended", "a@x.org\r\nb@y.org\r\n", "a@x.org,b@y.org,"},
        {"comma list unchanged", "a@x.org,b@y.org,", "a@x.org,b@y.org,"},
        {"last line of one character", "a@x.org\r\nb", "a@x.org,b"},
        {"empty line gives a lone comma", "a@x.org\r\n\r\nb@y.org", "a@x.org,,b@y.org"},
        {"lone LF stays", "a@x.org\nb@y.org", "a@x.org\nb@y.org"},
        {"lone CR keeps the next address whole", "a@x.org\rb@y.org", "a@x.org,b@y.org"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QString recipients = u"left over"_s;
        EXPECT_TRUE(ParseEmailAddresses(QLatin1String(row.list), recipients));
        EXPECT_EQ(recipients, QLatin1String(row.expected));
    }
    QString recipients;
    EXPECT_FALSE(ParseEmailAddresses(QString(32768, u'a'), recipients));
    EXPECT_EQ(Rows(u"SELECT myFunction FROM tblErrors"_s),
              QStringList{u"myFunction=ParseEmailAddresses"_s});
}

TEST_F(MailSenderTest, AdministratorAndTestEmailsCarryTheirExactTexts)
{
    QString error;
    const struct {
        const char *name;
        std::function<bool()> send;
        const char *recipient;
        QString subject, body;
    } rows[] = {
        {"shut-down", [] { return SendShutdownEmail(), true; }, "admin@example.org",
         u"Zarvo Vantrel has been shutdown!"_s,
         kHeading + u" Vantrel has been shut down 2026-03-01 14:05:09 and is no longer logging "
                    "data.\r\r"_s},
        {"up and running", [] { return SendSytemOKEmail(); }, "admin@example.org",
         u"Zarvo Vantrel is up and running!"_s,
         kHeading + u" Vantrel is up and running as of 2026-03-01 14:05:09\r\r"_s},
        {"text", [&] { return SendTextEmail(u"Folder /mnt/logs is gone"_s, error); },
         "admin@example.org", u"Message from Zarvo Vantrel"_s,
         kHeading + u" Folder /mnt/logs is gone.\r\r"_s},
        {"test", [&] { return SendTestEmail(u"ops@example.org"_s, error); }, "ops@example.org",
         u"Test Message from Zarvo Vantrel"_s,
         u"This test email has been sent by Cold Store Ltd located at 1 Quay Road.  \r"_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        m_server.Clear();
        QFile::remove(File(kXml));
        ASSERT_TRUE(row.send());
        EXPECT_TRUE(error.isEmpty());
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].RawHeader("Subject"), row.subject.toUtf8());
        EXPECT_EQ(mails[0].body, OnTheWire(row.body));
        EXPECT_EQ(mails[0].rcptTos, QStringList{QLatin1String(row.recipient)});
        EXPECT_EQ(mails[0].RawHeader("From"), "\"Zarvo Vantrel\" <station@example.org>");
        EXPECT_TRUE(mails[0].login.isEmpty());
        EXPECT_EQ(Exists(kXml), QLatin1String(row.name) != "test"_L1);
        EXPECT_FALSE(Exists(kHtml));
    }
    EXPECT_TRUE(ReadAll(File(u"VTP-E_Sent_Mail.log"_s))
                    .contains("Subject:   Test Message from Zarvo Vantrel"));
    EXPECT_TRUE(ErrorRows().isEmpty());

    Config().ServerFailureEmailAddress = u"   "_s;
    m_server.Clear();
    SendShutdownEmail();
    EXPECT_FALSE(SendSytemOKEmail());
    EXPECT_FALSE(SendTextEmail(u"x"_s, error));
    EXPECT_EQ(error, u"Device failure email address has not been programmed."_s);
    EXPECT_TRUE(m_server.Connections().isEmpty());
    EXPECT_TRUE(ErrorRows().isEmpty());
}

// The component's text counts the milliseconds the refusal took, which a busy machine
// can make differ from one attempt to the next.
static QString WithoutTiming(QString text)
{
    return text.replace(QRegularExpression(u"after \\d+ ms"_s), u"after ms"_s);
}
static QStringList WithoutTiming(QStringList texts)
{
    for (QString &text : texts)
        text = WithoutTiming(text);
    return texts;
}

// The connection check fails before anything is sent; each sender records it its way,
// and the apostrophe in the component's text reaches the error table.
TEST_F(MailSenderTest, RefusedConnectionIsRecordedAsEachSenderSays)
{
    UseClosedPort();
    SendShutdownEmail();
    EXPECT_TRUE(Exists(kXml));
    EXPECT_TRUE(SendSytemOKEmail());
    QString textError;
    EXPECT_FALSE(SendTextEmail(u"x"_s, textError));
    EXPECT_TRUE(textError.contains("Couldn't connect"_L1)) << textError.toStdString();
    QString testError;
    EXPECT_FALSE(SendTestEmail(u"ops@example.org"_s, testError));
    EXPECT_EQ(WithoutTiming(testError), WithoutTiming(textError));
    EXPECT_TRUE(Exists(kHtml));
    EXPECT_TRUE(ReadAll(File(kXml)).contains("Couldn't"));

    const QString cause = u"|Cause="_s + WithoutTiming(textError);
    EXPECT_EQ(WithoutTiming(ErrorRows()), (QStringList{u"myFunction=SendSytemOKEmail"_s + cause,
                                                       u"myFunction=SendTextEmail"_s + cause,
                                                       u"myFunction=SendTestEmail"_s + cause}));
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

// The settings reach the transport too: TLS mode and log-in method.
TEST_F(MailSenderTest, CloseSmtpChoosesOneConnectionForAllOrOnePerEmail)
{
    for (const auto &[closeSmtp, kind, method] :
         {std::tuple{0, "starttls", "LOGIN"}, {1, "tls", "CRAM-MD5"}}) {
        SCOPED_TRACE(kind);
        m_server.Clear();
        TheMailClient().CloseConnection();
        UseServer(kind, method);
        Config().CloseSMTP = qint16(closeSmtp);
        QString error;
        ASSERT_TRUE(SendTestEmail(u"ops@example.org"_s, error)) << error.toStdString();
        ASSERT_TRUE(SendTestEmail(u"ops@example.org"_s, error)) << error.toStdString();
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 2);
        EXPECT_EQ(mails[1].kind, QLatin1String(kind));
        EXPECT_EQ(mails[1].login, QLatin1String(SmtpServer::kUser));
        EXPECT_EQ(mails[0].connection == mails[1].connection, closeSmtp == 0);
        // Each e-mail is preceded by a connection of its own that only checks the server.
        EXPECT_EQ(m_server.Connections().size(), closeSmtp == 0 ? 3 : 4);
    }
}

TEST_F(MailSenderTest, AlarmEmailsCarryTheirExactTexts)
{
    const qint32 withNotes =
        AddStationServer(u"  Back room, shelf 3  "_s, u"ops@example.org,lab@example.org,"_s);
    ASSERT_TRUE(AddServer(u"Lab"_s, u"RK730"_s, u"10.0.0.8"_s, QString(), 1, QString(),
                          u"ops@example.org\r\nlab@example.org"_s, -1));
    const qint32 withoutNotes = withNotes + 1;
    const QString message = u"Freezer 2 reads -5.0\u00B0F\r"_s;
    const QString notes = u"Back room, shelf 3"_s;
    const struct {
        const char *name, *subjectSetting;
        qint32 server;
        const char *prefix; // null: the cleared e-mail
        QByteArray subject;
        QString body;
    } rows[] = {
        {"first alarm", "", withNotes, "", " Freezer 2 is in alarm!", message + notes},
        {"reminder", "", withNotes, "REMINDER", "REMINDER Freezer 2 is in alarm!", message + notes},
        {"configured subject", "  Cold store alarm  ", withoutNotes, "", " Cold store alarm",
         message},
        {"configured subject reminder", "Cold store alarm", withoutNotes, "REMINDER",
         "REMINDER Cold store alarm", message},
        {"cleared", "Cold store alarm", withNotes, nullptr, "Freezer 2 Alarm Cleared!",
         u"Freezer 2 is no longer in alarm.\rThe sensor is back within limits."_s},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        m_server.Clear();
        Config().AlarmEmailSubjectLine = QLatin1String(row.subjectSetting);
        QString error;
        ASSERT_TRUE(row.prefix
                        ? SendAlarmEmail(row.server, u"Freezer 2"_s, message, error,
                                         QLatin1String(row.prefix))
                        : SendAlarmClearedEmail(row.server, u"Freezer 2"_s,
                                                u"The sensor is back within limits."_s, error));
        EXPECT_TRUE(error.isEmpty());
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].RawHeader("Subject"), row.subject);
        EXPECT_EQ(mails[0].body, OnTheWire(row.body));
        EXPECT_EQ(mails[0].rcptTos, (QStringList{u"ops@example.org"_s, u"lab@example.org"_s}));
    }
    EXPECT_TRUE(Exists(kXml));
}

TEST_F(MailSenderTest, AlarmEmailFailuresGiveTheirErrorTexts)
{
    const qint32 id = AddStationServer(QString(), u" , "_s);
    QString error;
    EXPECT_FALSE(SendAlarmEmail(id, u"S"_s, u"m"_s, error, {}));
    EXPECT_EQ(error, u"No recipient address was given."_s);
    EXPECT_TRUE(m_server.Connections().isEmpty());

    // Refused at the connection check: the component's text.
    ASSERT_TRUE(UpdateServerEmail(id, u"ops@example.org,"_s));
    UseClosedPort();
    EXPECT_FALSE(SendAlarmEmail(id, u"S"_s, u"m"_s, error, {}));
    EXPECT_TRUE(error.contains("Couldn't connect"_L1)) << error.toStdString();
    EXPECT_TRUE(Exists(kXml));
}

TEST_F(MailSenderTest, SilentServerOpensARowThenReportsItOnce)
{
    const qint32 id = AddStationServer(QString(), QString());
    const auto failures = [this] {
        return Rows(u"SELECT ServerIDNum, ServerName, OffLine, BackOnLine, EmailSent"
                    " FROM tblServerFailures ORDER BY IDNum"_s);
    };
    const QString prefix = u"ServerIDNum=%1|ServerName=Freezer Room|"_s.arg(id);
    QString error;

    SetTime(9, 0); // an outage of one cycle: opened, closed, never reported
    ASSERT_TRUE(ReportServerNoResponse(id, 3, error)) << error.toStdString();
    SetTime(9, 1);
    ASSERT_TRUE(MarkServerBackOnline(id, error));
    const QString shortOutage = prefix + u"OffLine=2026-03-01 09:00:00|"
                                         "BackOnLine=2026-03-01 09:01:00|EmailSent=False"_s;
    EXPECT_EQ(failures(), QStringList{shortOutage});

    for (const int minute : {0, 1, 2}) {
        SetTime(10, minute);
        ASSERT_TRUE(ReportServerNoResponse(id, 3, error));
        EXPECT_EQ(m_server.Messages().size(), minute == 0 ? 0 : 1);
    }
    const QList<ReceivedMail> mails = m_server.Messages();
    EXPECT_EQ(mails[0].RawHeader("Subject"), "Message from Zarvo Vantrel");
    EXPECT_EQ(mails[0].body,
              OnTheWire(kHeading + u" The device: Freezer Room, did not respond to 3 request(s) "
                                   "for data.  The servers's IP address is: 10.0.0.7.\r\r"_s));
    EXPECT_EQ(mails[0].rcptTos, QStringList{u"admin@example.org"_s});
    EXPECT_EQ(failures(), (QStringList{shortOutage, prefix + u"OffLine=2026-03-01 10:00:00|"
                                                             "BackOnLine=False|"
                                                             "EmailSent=2026-03-01 10:01:00"_s}));
}

TEST_F(MailSenderTest, FailedReportKeepsItsErrorTextAndIsNotRetried)
{
    const struct {
        const char *name, *administrator;
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
        Config().ServerFailureEmailAddress = QLatin1String(row.administrator);
        if (row.closedPort)
            UseClosedPort();
        QString error;
        for (int cycle = 0; cycle < 3; ++cycle)
            ASSERT_TRUE(ReportServerNoResponse(id, 2, error));
        const QStringList failures = Rows(u"SELECT EmailSent FROM tblServerFailures"_s);
        ASSERT_EQ(failures.size(), 1);
        EXPECT_TRUE(failures[0].contains(QLatin1String(row.stored))) << failures[0].toStdString();
        EXPECT_TRUE(m_server.Messages().isEmpty());
    }
}
