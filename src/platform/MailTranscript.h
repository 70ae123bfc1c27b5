#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// What the mail component keeps of one exchange with the mail server: for the sent-mail
// log and the last-result files. The dialogue never holds the AUTH exchange.
struct MailAttempt {
    QDateTime time;
    QString operation; // "VerifyConnection" or "SendMessage"
    QString server;    // the URL, without credentials
    QString tlsMode;
    QString authMethod;
    QString from;
    QStringList to;
    QString subject;
    bool succeeded = false;
    QString error;
    QStringList dialogue; // "S: ", "C: " and "* " (libcurl's own notes) lines
};

// Builds the dialogue from libcurl's debug stream, hiding everything the client says
// from its AUTH command until the server ends the exchange.
class MailDialogue {
public:
    void ServerLine(const QString &line);
    void ClientLine(const QString &line);
    void Note(const QString &text);

    const QStringList &Lines() const { return m_lines; }
    bool ServerSpoke() const { return m_serverSpoke; }
    bool ServerOffersAuth() const { return m_serverOffersAuth; }
    bool LoggedIn() const { return m_loggedIn; }
    // The last reply line when it was a refusal (4xx or 5xx), else empty.
    QString LastRefusal() const { return m_lastRefusal; }

private:
    QStringList m_lines;
    bool m_serverSpoke = false;
    bool m_serverOffersAuth = false;
    bool m_authInProgress = false;
    bool m_loggedIn = false;
    QString m_lastRefusal;
};

// One block of the sent-mail log, appended to `path`; false when the file cannot be written.
bool AppendToMailLog(const QString &path, const MailAttempt &attempt);
// The record of the attempt as XML, or as HTML when the path ends in .html or .htm.
bool WriteMailResult(const QString &path, const MailAttempt &attempt);
