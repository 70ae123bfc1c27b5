#pragma once

#include "MailMessage.h"
#include "MailTranscript.h"

#include <QString>

struct MailTransfer;

// The SMTP mail component over libcurl. One object keeps the server settings; each
// operation blocks until the server has answered or the time-out has passed.
class MailClient {
public:
    MailClient();
    ~MailClient();
    MailClient(const MailClient &) = delete;
    MailClient &operator=(const MailClient &) = delete;

    QString Host;
    qint32 Port = 25;
    // Limit of the connect and of each wait for a server reply.
    qint32 TimeoutSeconds = 30;
    qint32 Ssl = 0;      // 1: TLS from the first byte (smtps)
    qint32 StartTls = 0; // 1: STARTTLS, and no sending when the server cannot do it
    // "LOGIN", "PLAIN", "CRAM-MD5", "NTLM" or "NONE"; any but NONE means no e-mail leaves
    // without a log-in with exactly that method.
    QString AuthMethod = QStringLiteral("NONE");
    QString UserName;
    QString Password;
    QString Domain; // NTLM only
    // Every exchange is appended here (AUTH exchange hidden) when set.
    QString MailLogFile;
    // Certificates trusted in place of the system's store. Only the tests set it, to
    // trust the certificate their own server made.
    QString CaFile;

    // Connects, does TLS and the log-in, and stops: non-zero when sending can go ahead.
    qint32 VerifyConnection();
    // 1 when the server accepted the message; anything else: not sent.
    qint32 SendMessage(const MailMessage &message);
    // Why the last operation failed, with the server's refusal when it gave one.
    QString LastErrorText() const;
    // Writes the record of the last operation; non-zero when written.
    qint32 SaveLastResult(const QString &path) const;
    // Ends the connection kept open between e-mails.
    void CloseConnection();

private:
    bool Prepare(void *handle, MailTransfer &transfer, QString &error) const;
    QString SettingsKey() const;
    void Finish(MailTransfer &transfer, bool succeeded, const QString &error);

    void *m_sendHandle = nullptr; // the CURL easy handle that keeps a connection open
    QString m_sendHandleKey;
    MailAttempt m_last;
};
