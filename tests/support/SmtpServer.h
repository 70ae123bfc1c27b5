#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// One message as the server received it.
struct ReceivedMail {
    QByteArray raw; // the bytes as they arrived, headers and encoded body
    QString kind;   // which listener took it: plain, noauth, starttls or tls
    int connection = 0;
    QString login; // the user name it logged in with, empty without a log-in
    QString mailFrom;
    QStringList rcptTos;
    QString subject; // decoded by the server's parser (which drops a leading blank)
    QByteArray body; // after the transfer encoding is undone

    // The first line of a header's undecoded value, exactly as it stands after "Name: ".
    QByteArray RawHeader(const QByteArray &name) const;
};

// A body written with the program's single-CR line breaks, as the wire carries it.
inline QByteArray OnTheWire(const QString &body)
{
    return QString(body).replace(QLatin1Char('\r'), QStringLiteral("\r\n")).toUtf8();
}

// A real SMTP server (aiosmtpd) on free loopback ports below 32768, with a certificate
// made for this run. One per test process; it ends with the process.
class SmtpServer {
public:
    static constexpr const char *kUser = "station";
    static constexpr const char *kPassword = "s3cret-Pa55";

    static SmtpServer &Shared();
    ~SmtpServer();

    bool IsRunning() const { return m_ports.size() == 4; }
    QString StartError() const { return m_error; }
    // "plain" (AUTH offered without TLS), "noauth" (no AUTH at all), "starttls" (STARTTLS
    // and AUTH required) or "tls" (implicit TLS).
    quint16 Port(const QString &kind) const { return m_ports.value(kind); }
    // The certificate the server presents, to be trusted by the client under test.
    QString CaFile() const;
    // A loopback port below 32768 on which nothing listens.
    static quint16 ClosedPort();

    // Forgets every message and connection received so far.
    void Clear();
    QList<ReceivedMail> Messages() const;
    // One "number kind" line per connection made to any listener.
    QStringList Connections() const;

private:
    SmtpServer();
    bool MakeCertificate();

    QTemporaryDir m_dir;
    QString m_mailFolder;
    QProcess m_process;
    QHash<QString, quint16> m_ports;
    QString m_error;
};
