#include "MailClient.h"
#include "SmtpServer.h"
#include "TempProgramFolder.h"

using namespace Qt::StringLiterals;

namespace {

const QString kUser = QString::fromLatin1(SmtpServer::kUser);

MailMessage Message(const QString &subject = u"Subject"_s, const QString &body = u"Body\r"_s,
                    const QString &to = u"ops@example.org"_s)
{
    MailMessage message;
    message.AddRecipients(to);
    message.Subject = subject;
    message.SenderName = u"Zarvo Vantrel"_s;
    message.SenderAddress = u"station@example.org"_s;
    message.Body = body;
    return message;
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
    void Use(const char *kind, const char *method = "NONE",
             const QString &password = QString::fromLatin1(SmtpServer::kPassword))
    {
        m_client.CloseConnection();
        m_client.Host = u"127.0.0.1"_s;
        m_client.Port = m_server.Port(QLatin1String(kind));
        m_client.TimeoutSeconds = 5;
        m_client.Ssl = QLatin1String(kind) == "tls"_L1;
        m_client.StartTls = QLatin1String(kind) == "starttls"_L1;
        m_client.AuthMethod = QLatin1String(method);
        m_client.UserName = kUser;
        m_client.Password = password;
        m_client.CaFile = m_server.CaFile();
    }
    std::string Error() const { return m_client.LastErrorText().toStdString(); }

    SmtpServer &m_server = SmtpServer::Shared();
    MailClient m_client;
};

// NONE is handed the credentials too, and must still send no AUTH.
TEST_F(MailClientTest, DeliversOverEveryTransportWithEveryLogin)
{
    const struct {
        const char *kind, *method;
    } rows[] = {
        {"plain", "NONE"},        {"plain", "LOGIN"},    {"plain", "PLAIN"},
        {"plain", "CRAM-MD5"},    {"starttls", "LOGIN"}, {"starttls", "plain"},
        {"starttls", "CRAM-MD5"}, {"tls", "PLAIN"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.kind) + " " + row.method);
        m_server.Clear();
        Use(row.kind, row.method);
        ASSERT_EQ(m_client.VerifyConnection(), 1) << Error();
        ASSERT_EQ(m_client.SendMessage(Message()), 1) << Error();
        EXPECT_TRUE(m_client.LastErrorText().isEmpty());
        const QList<ReceivedMail> mails = m_server.Messages();
        ASSERT_EQ(mails.size(), 1);
        EXPECT_EQ(mails[0].kind, QLatin1String(row.kind));
        EXPECT_EQ(mails[0].login, QLatin1String(row.method) == "NONE"_L1 ? QString() : kUser);
        EXPECT_EQ(mails[0].mailFrom, u"station@example.org"_s);
        EXPECT_EQ(mails[0].rcptTos, QStringList{u"ops@example.org"_s});
        EXPECT_EQ(mails[0].RawHeader("From"), "\"Zarvo Vantrel\" <station@example.org>");
    }
}

TEST_F(MailClientTest, WrongPasswordIsRefusedWithTheServersReply)
{
    for (const char *method : {"LOGIN", "PLAIN", "CRAM-MD5"}) {
        SCOPED_TRACE(method);
        Use("starttls", method, u"wrong"_s);
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains("535 5.7.8"_L1)) << Error();
        EXPECT_NE(m_client.SendMessage(Message()), 1);
        EXPECT_TRUE(m_client.LastErrorText().contains("535"_L1));
    }
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

// Where libcurl would quietly send anyway (without the log-in, without TLS, over an
// unverified certificate), nothing is sent and the reason is given.
TEST_F(MailClientTest, NothingIsSentWithoutTheLoginAndTlsAsked)
{
    const struct {
        const char *name, *kind, *user, *error;
        int startTls;
        bool trusted;
    } rows[] = {
        {"server offers no AUTH", "noauth", SmtpServer::kUser, "offers no AUTH", 0, true},
        {"AUTH only after STARTTLS, which is off", "starttls", SmtpServer::kUser, "offers no AUTH",
         0, true},
        {"no user name", "plain", "", "No user name is set for the LOGIN log-in.", 0, true},
        {"STARTTLS not offered", "plain", SmtpServer::kUser, "STARTTLS", 1, true},
        {"untrusted certificate, STARTTLS", "starttls", SmtpServer::kUser, "certificate", 1, false},
        {"untrusted certificate, implicit TLS", "tls", SmtpServer::kUser, "certificate", 0, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Use(row.kind, "LOGIN");
        m_client.UserName = QString::fromLatin1(row.user);
        m_client.StartTls = row.startTls;
        if (!row.trusted)
            m_client.CaFile.clear();
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QLatin1String(row.error))) << Error();
        EXPECT_EQ(m_client.SendMessage(Message()), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QLatin1String(row.error))) << Error();
    }
    // libcurl reports a send without recipients as a success.
    Use("plain");
    EXPECT_EQ(m_client.SendMessage(Message(u"S"_s, u"B"_s, u" , "_s)), 0);
    EXPECT_TRUE(
        m_client.LastErrorText().startsWith("The e-mail has no recipient, so it was not sent."_L1));
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

TEST_F(MailClientTest, BadSettingsGiveClearErrors)
{
    const quint16 closedPort = SmtpServer::ClosedPort();
    const struct {
        const char *name, *host;
        qint32 port;
        const char *method, *error;
    } rows[] = {
        {"no host", "  ", 25, "NONE", "No mail server host is set."},
        {"negative port", "127.0.0.1", -1, "NONE", "-1 is not a port number."},
        {"unknown method", "127.0.0.1", closedPort, "DIGEST-MD5",
         "\"DIGEST-MD5\" is not a log-in method"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        Use("plain", row.method);
        m_client.Host = QLatin1String(row.host);
        m_client.Port = row.port;
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        EXPECT_TRUE(m_client.LastErrorText().contains(QLatin1String(row.error))) << Error();
    }
}

TEST(MailMessage, RecipientListsAreTakenWholeOrNotAtAll)
{
    const QStringList both = {u"a@x.org"_s, u"b@y.org"_s};
    const struct {
        const char *name, *list;
        QStringList taken;
        const char *error;
    } rows[] = {
        {"program's list with final comma", "a@x.org,b@y.org,", both, ""},
        {"typed with names and semicolons", " Ops <a@x.org> ; b@y.org ", both, ""},
        {"blank entries only", " , ,\r\n", {}, "No recipient address was given."},
        {"one bad entry", "a@x.org, not an address", {}, "\"not an address\" is not an e-mail"},
        {"line break inside", "a@x.org\nb@y.org", {}, "is not an e-mail address"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        MailMessage message;
        EXPECT_EQ(message.AddRecipients(QLatin1String(row.list)) != 0, !row.taken.isEmpty());
        EXPECT_EQ(message.Recipients(), row.taken);
        EXPECT_TRUE(message.MessageErrorText().contains(QLatin1String(row.error)));
    }
}

// SMTP forbids bare CR and LF; names from device pages must not add header lines, nor a
// sender address SMTP commands.
TEST_F(MailClientTest, WireHasCrLfUtf8SurvivesAndHeadersCannotBeInjected)
{
    Use("plain");
    const QString subject = u" Freezer 2 at -18.5\u00B0C \u00E9t\u00E9 \u2014 "_s.repeated(3);
    const QString body = u"one\rtwo\r\n-18.5\u00B0C\n\u00C5 \u4E2D \U0001F321\r\r"_s;
    ASSERT_EQ(m_client.SendMessage(Message(subject, body)), 1) << Error();
    ASSERT_EQ(m_client.SendMessage(Message(u"Hi\r\nBcc: thief@example.org"_s)), 1);
    for (const char *sender : {"a@b>\r\nRCPT TO:<thief@example.org", "a@b>", "<a@b", "a@b\rc"}) {
        MailMessage forged = Message();
        forged.SenderAddress = QLatin1String(sender);
        EXPECT_EQ(m_client.SendMessage(forged), 0) << sender;
        EXPECT_TRUE(m_client.LastErrorText().startsWith("The sender address holds"_L1));
    }
    const QList<ReceivedMail> mails = m_server.Messages();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(mails[0].subject, subject);
    EXPECT_TRUE(mails[0].RawHeader("Subject").startsWith("=?UTF-8?B?"));
    EXPECT_EQ(QString::fromUtf8(mails[0].body),
              u"one\r\ntwo\r\n-18.5\u00B0C\r\n\u00C5 \u4E2D \U0001F321\r\n\r\n"_s);
    EXPECT_EQ(mails[0].raw.count('\r'), mails[0].raw.count("\r\n"));
    EXPECT_EQ(mails[0].raw.count('\n'), mails[0].raw.count("\r\n"));
    EXPECT_EQ(mails[1].RawHeader("Subject"), "HiBcc: thief@example.org");
    EXPECT_TRUE(mails[1].RawHeader("Bcc").isEmpty());
    EXPECT_EQ(mails[1].rcptTos, QStringList{u"ops@example.org"_s});
}

TEST_F(MailClientTest, SentMailLogAndResultNeverHoldTheCredentials)
{
    const QByteArray user = kUser.toUtf8();
    const QByteArray password = SmtpServer::kPassword;
    const QList<QByteArray> secrets = {password, password.toBase64(), user.toBase64(),
                                       QByteArray('\0' + user + '\0' + password).toBase64()};
    for (const char *method : {"LOGIN", "PLAIN", "CRAM-MD5"}) {
        SCOPED_TRACE(method);
        Use("plain", method);
        m_client.MailLogFile = File(u"VTP-E_Sent_Mail.log"_s);
        ASSERT_EQ(m_client.VerifyConnection(), 1);
        ASSERT_EQ(m_client.SendMessage(Message()), 1);
        m_client.SaveLastResult(File(u"last.xml"_s));
        Use("plain", method, u"wr0ng"_s);
        EXPECT_EQ(m_client.VerifyConnection(), 0);
        for (const QString &name : {u"VTP-E_Sent_Mail.log"_s, u"last.xml"_s}) {
            const QByteArray text = ReadAll(File(name));
            EXPECT_TRUE(text.contains(QByteArray("AUTH ").append(method)));
            for (const QByteArray &secret : secrets)
                EXPECT_FALSE(text.contains(secret)) << name.toStdString() << " " << secret.data();
        }
        EXPECT_FALSE(ReadAll(File(u"VTP-E_Sent_Mail.log"_s)).contains("wr0ng"));
    }
}
