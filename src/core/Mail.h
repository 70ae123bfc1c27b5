#pragma once

#include "MailClient.h"

#include <QString>

// The program's one mail client: made on first use, kept until the program ends.
MailClient &TheMailClient();

// Copies the mail settings of the settings record into the client.
void ConfigureMailServer();
// "a\r\nb\r\nc" becomes "a,b,c"; a list without line breaks comes back unchanged.
bool ParseEmailAddresses(const QString &addressList, QString &recipientList);
// Ends the mail server connection when the settings ask for one connection per e-mail.
void CloseSMTPConnection();

// One e-mail as a sender hands it to the send sequence, with the sender's choices.
struct MailSend {
    QString recipients;
    QString subject;
    QString body;
    bool prepare = true;
    // Alarm e-mails give up when the message refuses the recipient list.
    bool stopWhenRecipientsRefused = false;
    // The test e-mail keeps its result as HTML, and only when it was not sent.
    bool testEmail = false;
};

struct MailSendOutcome {
    bool recipientsRefused = false; // only when the sender stops for it
    QString messageError;           // why the recipients were refused
    bool connected = false;         // VerifyConnection allowed sending
    bool sent = false;
};

// The common steps of every sender, up to saving the result file; the sender then
// records its error and calls CloseSMTPConnection.
MailSendOutcome RunSendSequence(const MailSend &mail);
