#include "NotificationEmails.h"

#include "Clock.h"
#include "ConfigRecord.h"
#include "GeneralDate.h"
#include "Mail.h"
#include "ServerDatabase.h"

namespace {

const QChar kLineBreak = QLatin1Char('\r');

QString AdministratorRecipients()
{
    return ConfigText(Config().ServerFailureEmailAddress);
}

QString NowText()
{
    return GeneralDateText(Clock::Now());
}

// Lines 1 to 4 of every e-mail to the administrator.
QString StandardHeading()
{
    return QStringLiteral("This email has been sent by:") + kLineBreak +
           ConfigText(Config().OrgName) + kLineBreak + ConfigText(Config().OrgAddress) +
           kLineBreak + kLineBreak;
}

QString LastErrorText()
{
    return TheMailClient().LastErrorText();
}

} // namespace

void SendShutdownEmail()
{
    const QString recipients = AdministratorRecipients();
    if (recipients.isEmpty())
        return;
    RunSendSequence({recipients, QStringLiteral("Zarvo Vantrel has been shutdown!"),
                     StandardHeading() + QStringLiteral(" Vantrel has been shut down ") +
                         NowText() + QStringLiteral(" and is no longer logging data.") +
                         kLineBreak + kLineBreak});
    CloseSMTPConnection();
}

bool SendSytemOKEmail()
{
    const QString recipients = AdministratorRecipients();
    if (recipients.isEmpty())
        return false;
    const MailSendOutcome outcome =
        RunSendSequence({recipients, QStringLiteral("Zarvo Vantrel is up and running!"),
                         StandardHeading() + QStringLiteral(" Vantrel is up and running as of ") +
                             NowText() + kLineBreak + kLineBreak});
    if (!outcome.sent)
        RecordSystemError(QStringLiteral("SendSytemOKEmail"), LastErrorText());
    CloseSMTPConnection();
    return true;
}

bool SendTextEmail(const QString &messageText, QString &errorText)
{
    const QString recipients = AdministratorRecipients();
    if (recipients.isEmpty()) {
        errorText = QStringLiteral("Device failure email address has not been programmed.");
        return false;
    }
    const MailSendOutcome outcome =
        RunSendSequence({recipients, QStringLiteral("Message from Zarvo Vantrel"),
                         StandardHeading() + QLatin1Char(' ') + messageText + QLatin1Char('.') +
                             kLineBreak + kLineBreak});
    if (!outcome.sent) {
        errorText = LastErrorText();
        RecordSystemError(QStringLiteral("SendTextEmail"), errorText);
    }
    CloseSMTPConnection();
    return outcome.sent;
}

bool SendTestEmail(const QString &recipients, QString &errorText)
{
    MailSend mail{recipients, QStringLiteral("Test Message from Zarvo Vantrel"),
                  QStringLiteral("This test email has been sent by ") +
                      ConfigText(Config().OrgName) + QStringLiteral(" located at ") +
                      ConfigText(Config().OrgAddress) + QStringLiteral(".  ") + kLineBreak};
    mail.testEmail = true;
    const MailSendOutcome outcome = RunSendSequence(mail);
    if (!outcome.sent) {
        errorText = LastErrorText();
        RecordSystemError(QStringLiteral("SendTestEmail"), errorText);
    }
    CloseSMTPConnection();
    return outcome.sent;
}
