#include "NotificationEmails.h"

#include "Clock.h"
#include "ConfigRecord.h"
#include "Database.h"
#include "GeneralDate.h"
#include "Mail.h"
#include "ServerDatabase.h"

namespace {

const QChar kLineBreak = QLatin1Char('\r');
const QString kParseFailure = QStringLiteral("Error in ParseEmailAddress()");

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

// Leading and trailing blanks only: a note's own line breaks stay.
QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

// A column of the server's row; empty when there is none.
QString ServerField(qint32 serverId, const QString &column)
{
    QVariant value;
    GetServerField(serverId, QStringLiteral("tblServers"), column, value);
    return value.isNull() ? QStringLiteral("") : value.toString();
}

// The server's recipients for the alarm e-mails; false when its list cannot be parsed.
bool AlarmRecipients(qint32 serverId, QString &recipients)
{
    return ParseEmailAddresses(ServerField(serverId, QStringLiteral("EmailAddress")), recipients);
}

bool SendToServerRecipients(const QString &recipients, const QString &subject, const QString &body,
                            QString &errorText)
{
    MailSend mail{recipients, subject, body};
    mail.prepare = false;
    mail.stopWhenRecipientsRefused = true;
    const MailSendOutcome outcome = RunSendSequence(mail);
    if (outcome.recipientsRefused) {
        errorText = outcome.messageError;
        return false;
    }
    // A send that failed after the connection check leaves the error text alone.
    if (!outcome.connected)
        errorText = LastErrorText();
    CloseSMTPConnection();
    return outcome.sent;
}

} // namespace

bool SendAlarmEmail(qint32 serverId, const QString &sensorName, const QString &messageText,
                    QString &errorText, const QString &prefix)
{
    QString recipients;
    if (!AlarmRecipients(serverId, recipients)) {
        errorText = kParseFailure;
        return false;
    }
    const QString alarmSubject = ConfigText(Config().AlarmEmailSubjectLine);
    const QString subject =
        prefix + QLatin1Char(' ') +
        (alarmSubject.isEmpty() ? sensorName + QStringLiteral(" is in alarm!") : alarmSubject);
    const QString notes = TrimBlanks(ServerField(serverId, QStringLiteral("ServerNotes")));
    return SendToServerRecipients(recipients, subject, messageText + notes, errorText);
}

bool SendAlarmClearedEmail(qint32 serverId, const QString &sensorName, const QString &messageText,
                           QString &errorText)
{
    QString recipients;
    if (!AlarmRecipients(serverId, recipients)) {
        errorText = kParseFailure;
        return false;
    }
    return SendToServerRecipients(recipients, sensorName + QStringLiteral(" Alarm Cleared!"),
                                  sensorName + QStringLiteral(" is no longer in alarm.") +
                                      kLineBreak + messageText,
                                  errorText);
}

bool ReportServerNoResponse(qint32 serverId, qint16 attempts, QString &error)
{
    DatabaseConnection db;
    if (!db.IsOpen()) {
        error = db.LastError();
        return false;
    }
    const QString name = ServerField(serverId, QStringLiteral("ServerName"));
    const QString address = ServerField(serverId, QStringLiteral("ServerIPAddress"));
    const QString openRows = QStringLiteral("SELECT IDNum FROM tblServerFailures"
                                            " WHERE ServerIDNum = ? AND BackOnLine = 'False'");
    const auto unreported = db.Select(openRows + QStringLiteral(" AND EmailSent = 'False'"
                                                                " ORDER BY IDNum"),
                                      {serverId});
    if (!unreported) {
        error = db.LastError();
        return false;
    }
    if (!unreported->isEmpty()) {
        QString errorText;
        const bool sent = SendTextEmail(
            QStringLiteral("The device: ") + name + QStringLiteral(", did not respond to ") +
                QString::number(attempts) +
                QStringLiteral(" request(s) for data.  The servers's IP address is: ") + address,
            errorText);
        if (!db.Exec(QStringLiteral("UPDATE tblServerFailures SET ServerName = ?, EmailSent = ?"
                                    " WHERE IDNum = ?"),
                     {name, sent ? NowText() : errorText, unreported->first().value(0)})) {
            error = db.LastError();
            return false;
        }
        return true;
    }
    const auto reported =
        db.Select(openRows + QStringLiteral(" AND EmailSent <> 'False'"), {serverId});
    if (!reported) {
        error = db.LastError();
        return false;
    }
    if (reported->isEmpty() &&
        !db.Exec(QStringLiteral("INSERT INTO tblServerFailures"
                                " (ServerName, ServerIDNum, OffLine, BackOnLine, EmailSent)"
                                " VALUES (?, ?, ?, 'False', 'False')"),
                 {name, serverId, NowText()})) {
        error = db.LastError();
        return false;
    }
    return true;
}

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
