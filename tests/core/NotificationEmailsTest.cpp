#include "NotificationEmails.h"
#include "Clock.h"
#include "ConfigRecord.h"
#include "Mail.h"
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
