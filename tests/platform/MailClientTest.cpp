#include "MailClient.h"
#include "SmtpServer.h"
#include "TempProgramFolder.h"

#include <QFile>

namespace {

const QString kUser = QString::fromLatin1(SmtpServer::kUser);
const QString kPassword = QString::fromLatin1(SmtpServer::kPassword);

QString ReadText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class MailClientTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        ASSERT_TRUE(m_server.IsRunning()) << m_server.StartError().toStdString();
        m_server.Clear();
    }

    // A client for one of the server's listeners, trusting the server's certificate.
    void Use(const QString &kind, const QString &method = QStringLiteral("NONE"),
             const QString &password = kPassword)
    {
        m_client.Host = QStringLiteral("127.0.0.1");
        m_client.Port = m_server.Port(kind);
        m_client.TimeoutSeconds = 5;
        m_client.Ssl = kind == QLatin1String("tls") ? 1 : 0;
        m_client.StartTls = kind == QLatin1String("starttls") ? 1 : 0;
        m_client.AuthMethod = method;
        m_client.UserName = kUser;
        m_client.Password = password;
        m_client.CaFile = m_server.CaFile();
    }

    MailMessage Message(const QString &subject = QStringLiteral("Subject"),
                        const QString &body = QStringLiteral("Body\r"),
                        const QString &to = QStringLiteral("ops@example.org"))
    {
        MailMessage message;
        message.Prepare();
        message.AddRecipients(to);
        message.Subject = subject;
        message.SenderName = QStringLiteral("Zarvo Vantrel");
        message.SenderAddress = QStringLiteral("station@example.org");
        message.Body = body;
        return message;
    }

    SmtpServer &m_server = SmtpServer::Shared();
    MailClient m_client;
};

TEST_F(MailClientTest, DeliversOverEveryTransportWithEveryLogin)
{
    const struct {
        const char *name, *kind, *method;
    } rows[] = {
        {"plain without log-in", "plain", "NONE"},
        {"plain LOGIN", "plain", "LOGIN"},
        {"plain PLAIN", "plain", "PLAIN"},
        {"plain CRAM-MD5", "plain", "CRAM-MD5"},
        {"STARTTLS LOGIN", "starttls", "LOGIN"},
        {"STARTTLS PLAIN", "starttls", "plain"},
        {"STARTTLS CRAM-MD5", "starttls", "CRAM-MD5"},
        {"implicit TLS PLAIN", "tls", "PLAIN"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        m_server.Clear();
        Use(QString::fromLatin1(row.kind), QString::fromLatin1(row.method));
        ASSERT_EQ(m_client.VerifyConnection(), 1) << m_client.LastErrorText().toStdString();
        ASSERT_EQ(m_client.SendMessage(Message()), 1) << m_client.LastErrorText().toStdString();
        EXPECT_TRUE(m_client.LastErrorText().isEmpty());
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].kind, QString::fromLatin1(row.kind));
        EXPECT_EQ(mails[0].login,
                  QString::fromLatin1(row.method) == QLatin1String("NONE") ? QString() : kUser);
        EXPECT_EQ(mails[0].mailFrom, QStringLiteral("station@example.org"));
        EXPECT_EQ(mails[0].rcptTos, QStringList{QStringLiteral("ops@example.org")});
        EXPECT_EQ(mails[0].RawHeader("From"), "\"Zarvo Vantrel\" <station@example.org>");
        m_client.CloseConnection();
    }
}

TEST_F(MailClientTest, WrongPasswordIsRefusedWithTheServersReply)
{
    for (const char *method : {"LOGIN", "PLAIN", "CRAM-MD5"}) {
        SCOPED_TRACE(method);
        Use(QStringLiteral("starttls"), QString::fromLatin1(method), QStringLiteral("wrong"));
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QLatin1String("535 5.7.8")))
            << m_client.LastErrorText().toStdString();
        EXPECT_NE(m_client.SendMessage(Message()), 1);
        EXPECT_TRUE(m_client.LastErrorText().contains(QLatin1String("535")));
    }
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

TEST_F(MailClientTest, NoLoginMeansNothingIsSent)
{
    const struct {
        const char *name, *kind, *user, *error;
        int startTls;
    } rows[] = {
        {"server offers no AUTH", "noauth", SmtpServer::kUser, "offers no AUTH", 0},
        {"AUTH only after STARTTLS, which is off", "starttls", SmtpServer::kUser, "offers no AUTH",
         0},
        {"no user name", "plain", "", "No user name is set for the LOGIN log-in.", 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Use(QString::fromLatin1(row.kind), QStringLiteral("LOGIN"));
        m_client.UserName = QString::fromLatin1(row.user);
        m_client.StartTls = row.startTls;
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QString::fromLatin1(row.error)))
            << m_client.LastErrorText().toStdString();
        EXPECT_EQ(m_client.SendMessage(Message()), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QString::fromLatin1(row.error)))
            << m_client.LastErrorText().toStdString();
    }
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

TEST_F(MailClientTest, NoneSendsNoAuthEvenWithCredentials)
{
    Use(QStringLiteral("plain"), QStringLiteral("NONE"));
    m_client.MailLogFile = File(QStringLiteral("sent.log"));
    ASSERT_EQ(m_client.SendMessage(Message()), 1);
    ASSERT_EQ(m_server.Messages().size(), 1);
    EXPECT_TRUE(m_server.Messages()[0].login.isEmpty());
    EXPECT_FALSE(ReadText(m_client.MailLogFile).contains(QLatin1String("C: AUTH")));
}

TEST_F(MailClientTest, UntrustedCertificateIsRefusedAndSaysSo)
{
    for (const char *kind : {"starttls", "tls"}) {
        SCOPED_TRACE(kind);
        Use(QString::fromLatin1(kind), QStringLiteral("PLAIN"));
        m_client.CaFile.clear();
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QLatin1String("certificate")))
            << m_client.LastErrorText().toStdString();
        EXPECT_EQ(m_client.SendMessage(Message()), 0);
    }
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

TEST_F(MailClientTest, ClosedPortAndBadSettingsGiveClearErrors)
{
    const quint16 closedPort = SmtpServer::ClosedPort();
    const struct {
        const char *name;
        QString host;
        qint32 port;
        const char *method;
        const char *error;
    } rows[] = {
        {"closed port", QStringLiteral("127.0.0.1"), closedPort, "NONE", "onnect"},
        {"no host", QStringLiteral("  "), 25, "NONE", "No mail server host is set."},
        {"negative port", QStringLiteral("127.0.0.1"), -1, "NONE", "-1 is not a port number."},
        {"unknown method", QStringLiteral("127.0.0.1"), closedPort, "DIGEST-MD5",
         "\"DIGEST-MD5\" is not a log-in method"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Use(QStringLiteral("plain"), QString::fromLatin1(row.method));
        m_client.Host = row.host;
        m_client.Port = row.port;
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QString::fromLatin1(row.error)))
            << m_client.LastErrorText().toStdString();
    }
}

TEST(MailMessage, RecipientListsAreTakenWholeOrNotAtAll)
{
    const struct {
        const char *name, *list;
        QStringList taken;
        const char *error;
    } rows[] = {
        {"one", "a@x.org", {QStringLiteral("a@x.org")}, ""},
        {"program's list with final comma",
         "a@x.org,b@y.org,",
         {QStringLiteral("a@x.org"), QStringLiteral("b@y.org")},
         ""},
        {"typed with names and semicolons",
         " Ops <a@x.org> ; b@y.org ",
         {QStringLiteral("a@x.org"), QStringLiteral("b@y.org")},
         ""},
        {"empty", "", {}, "No recipient address was given."},
        {"blank entries only", " , ,\r\n", {}, "No recipient address was given."},
        {"one bad entry", "a@x.org, not an address", {}, "\"not an address\" is not an e-mail"},
        {"line break inside", "a@x.org\nb@y.org", {}, "is not an e-mail address"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        MailMessage message;
        EXPECT_EQ(message.AddRecipients(QString::fromLatin1(row.list)) != 0, row.taken.size() > 0);
        EXPECT_EQ(message.Recipients(), row.taken);
        EXPECT_TRUE(message.MessageErrorText().contains(QString::fromLatin1(row.error)));
    }
}

TEST_F(MailClientTest, EmptyRecipientListIsNeverSent)
{
    Use(QStringLiteral("plain"));
    MailMessage message = Message(QStringLiteral("S"), QStringLiteral("B"), QStringLiteral(" , "));
    EXPECT_EQ(m_client.SendMessage(message), 0);
    EXPECT_TRUE(m_client.LastErrorText().startsWith(
        QLatin1String("The e-mail has no recipient, so it was not sent.")));
    EXPECT_TRUE(m_server.Messages().isEmpty());
    EXPECT_TRUE(m_server.Connections().isEmpty());
}

TEST_F(MailClientTest, LineBreaksGoOnTheWireAsCrLf)
{
    Use(QStringLiteral("plain"));
    ASSERT_EQ(m_client.SendMessage(
                  Message(QStringLiteral("S"), QStringLiteral("one\rtwo\r\nthree\nfour\r\r"))),
              1);
    const ReceivedMail mail = m_server.Messages().value(0);
    EXPECT_EQ(mail.body, "one\r\ntwo\r\nthree\r\nfour\r\n\r\n");
    EXPECT_EQ(mail.raw.count('\r'), mail.raw.count("\r\n"));
    EXPECT_EQ(mail.raw.count('\n'), mail.raw.count("\r\n"));
}

TEST_F(MailClientTest, NonAsciiArrivesIntactAndHeadersCannotBeInjected)
{
    Use(QStringLiteral("plain"));
    const QString subject =
        QStringLiteral(" Freezer 2 at -18.5\u00B0C \u00E9t\u00E9 \u2014 ").repeated(3);
    const QString body = QStringLiteral("Reading -18.5\u00B0C\r\u00C5 \u4E2D \U0001F321\r");
    ASSERT_EQ(m_client.SendMessage(Message(subject, body)), 1);
    ASSERT_EQ(m_client.SendMessage(
                  Message(QStringLiteral("Hi\r\nBcc: thief@example.org"), QStringLiteral("x"))),
              1);
    const QList<ReceivedMail> mails = m_server.Messages();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[0].subject, subject);
    EXPECT_TRUE(mails[0].RawHeader("Subject").startsWith("=?UTF-8?B?"));
    EXPECT_EQ(QString::fromUtf8(mails[0].body),
              QStringLiteral("Reading -18.5\u00B0C\r\n\u00C5 \u4E2D \U0001F321\r\n"));
    EXPECT_EQ(mails[1].RawHeader("Subject"), "HiBcc: thief@example.org");
    EXPECT_TRUE(mails[1].RawHeader("Bcc").isEmpty());
    EXPECT_EQ(mails[1].rcptTos, QStringList{QStringLiteral("ops@example.org")});
}

TEST_F(MailClientTest, SentMailLogNeverHoldsTheCredentials)
{
    const QByteArray user = kUser.toUtf8();
    const QByteArray password = kPassword.toUtf8();
    const QList<QByteArray> secrets = {
        password, password.toBase64(), user.toBase64(),
        QByteArray(QByteArray(1, '\0') + user + QByteArray(1, '\0') + password).toBase64()};
    for (const char *method : {"LOGIN", "PLAIN", "CRAM-MD5"}) {
        SCOPED_TRACE(method);
        Use(QStringLiteral("plain"), QString::fromLatin1(method));
        m_client.MailLogFile = File(QStringLiteral("VTP-E_Sent_Mail.log"));
        ASSERT_EQ(m_client.VerifyConnection(), 1);
        ASSERT_EQ(m_client.SendMessage(Message()), 1);
        m_client.SaveLastResult(File(QStringLiteral("last.xml")));
        m_client.CloseConnection();
        Use(QStringLiteral("plain"), QString::fromLatin1(method), QStringLiteral("wr0ng"));
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        for (const QString &name :
             {QStringLiteral("VTP-E_Sent_Mail.log"), QStringLiteral("last.xml")}) {
            const QString text = ReadText(File(name));
            EXPECT_TRUE(text.contains(QLatin1String("AUTH ") + QLatin1String(method)));
            for (const QByteArray &secret : secrets)
                EXPECT_FALSE(text.toUtf8().contains(secret))
                    << name.toStdString() << " " << secret.toStdString();
        }
        EXPECT_FALSE(
            ReadText(File(QStringLiteral("VTP-E_Sent_Mail.log"))).contains(QLatin1String("wr0ng")));
    }
}

TEST_F(MailClientTest, KeptConnectionCarriesTheNextEmailUntilClosed)
{
    Use(QStringLiteral("starttls"), QStringLiteral("PLAIN"));
    ASSERT_EQ(m_client.SendMessage(Message()), 1);
    ASSERT_EQ(m_client.SendMessage(Message()), 1);
    m_client.CloseConnection();
    ASSERT_EQ(m_client.SendMessage(Message()), 1);
    const QList<ReceivedMail> mails = m_server.Messages();
    ASSERT_EQ(mails.size(), 3);
    EXPECT_EQ(mails[0].connection, mails[1].connection);
    EXPECT_NE(mails[1].connection, mails[2].connection);
    EXPECT_EQ(mails[1].login, kUser);
}

TEST_F(MailClientTest, LastResultRecordsTheAttemptAsXmlOrHtml)
{
    Use(QStringLiteral("plain"), QStringLiteral("PLAIN"), QStringLiteral("wrong"));
    ASSERT_EQ(m_client.VerifyConnection(), 0);
    ASSERT_EQ(m_client.SaveLastResult(File(QStringLiteral("r.xml"))), 1);
    ASSERT_EQ(m_client.SaveLastResult(File(QStringLiteral("r.html"))), 1);
    const QString xml = ReadText(File(QStringLiteral("r.xml")));
    EXPECT_TRUE(xml.contains(QLatin1String("<Operation>VerifyConnection</Operation>")));
    EXPECT_TRUE(xml.contains(QLatin1String("<Outcome>server not usable</Outcome>")));
    EXPECT_TRUE(xml.contains(QLatin1String("535 5.7.8")));
    const QString html = ReadText(File(QStringLiteral("r.html")));
    EXPECT_TRUE(html.startsWith(QLatin1String("<!DOCTYPE html>")));
    EXPECT_TRUE(html.contains(QLatin1String("535 5.7.8")));
}

TEST_F(MailClientTest, RequiredStartTlsIsNeverSkipped)
{
    Use(QStringLiteral("plain"));
    m_client.StartTls = 1;
    EXPECT_EQ(m_client.VerifyConnection(), 0);
    EXPECT_TRUE(m_client.LastErrorText().contains(QLatin1String("STARTTLS")))
        << m_client.LastErrorText().toStdString();
    EXPECT_EQ(m_client.SendMessage(Message()), 0);
    EXPECT_TRUE(m_server.Messages().isEmpty());
}
