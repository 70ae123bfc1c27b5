#include "Mail.h"

#include "ConfigRecord.h"
#include "ProgramFolder.h"
#include "ServerDatabase.h"

namespace {

// Positions in the parser were 16-bit.
constexpr qsizetype kLongestAddressList = 32767;

} // namespace

MailClient &TheMailClient()
{
    static MailClient client;
    return client;
}

void ConfigureMailServer()
{
    MailClient &client = TheMailClient();
    const ConfigRecord &config = Config();
    client.Host = ConfigText(config.SMTPHost);
    client.Port = config.SMTPPort;
    client.TimeoutSeconds = config.SMTPTimeOut;
    client.Ssl = config.UseSSL == 1 ? 1 : 0;
    client.StartTls = config.UseStartTLS == 1 ? 1 : 0;
    // Switching authentication off leaves the stored credentials in the record.
    if (config.UseAuthentication == 1) {
        client.AuthMethod = ConfigText(config.AuthenticationMethod);
        client.UserName = ConfigText(config.SMTPUserName);
        client.Password = ConfigText(config.SMTPPassword);
        client.Domain = ConfigText(config.LoginDomain);
    } else {
        client.AuthMethod = QStringLiteral("NONE");
        client.UserName.clear();
        client.Password.clear();
        client.Domain.clear();
    }
}

bool ParseEmailAddresses(const QString &addressList, QString &recipientList)
{
    recipientList.clear();
    const qsizetype n = addressList.size();
    if (n > kLongestAddressList) {
        RecordSystemError(QStringLiteral("ParseEmailAddresses"),
                          QStringLiteral("Overflow: the address list is longer than %1 characters")
                              .arg(kLongestAddressList));
        return false;
    }
    qsizetype p = 0;
    while (p < n) {
        const qsizetype q = addressList.indexOf(QLatin1Char('\r'), p);
        if (q < 0) {
            recipientList += addressList.mid(p);
            break;
        }
        recipientList += addressList.mid(p, q - p) + QLatin1Char(',');
        p = q + 1;
        // Only the LF of a CR LF pair goes; after a lone CR the next address begins.
        if (p < n && addressList.at(p) == QLatin1Char('\n'))
            ++p;
    }
    return true;
}

void CloseSMTPConnection()
{
    if (Config().CloseSMTP == 1)
        TheMailClient().CloseConnection();
}

MailSendOutcome RunSendSequence(const MailSend &mail)
{
    MailSendOutcome outcome;
    MailClient &client = TheMailClient();
    MailMessage message;
    if (mail.prepare)
        message.Prepare();
    if (message.AddRecipients(mail.recipients) == 0 && mail.stopWhenRecipientsRefused) {
        outcome.recipientsRefused = true;
        outcome.messageError = message.MessageErrorText();
        return outcome;
    }
    client.MailLogFile = ProgramFile(QStringLiteral("VTP-E_Sent_Mail.log"));
    message.Subject = mail.subject;
    message.SenderName = QStringLiteral("Zarvo Vantrel");
    message.SenderAddress = ConfigText(Config().FromAddress);
    message.Body = mail.body;
    outcome.connected = client.VerifyConnection() != 0;
    if (outcome.connected)
        outcome.sent = client.SendMessage(message) == 1;
    if (!mail.testEmail)
        client.SaveLastResult(ProgramFile(QStringLiteral("LastSentEmailResult.xml")));
    else if (!outcome.sent)
        client.SaveLastResult(ProgramFile(QStringLiteral("LastSentEmailResult.html")));
    return outcome;
}
