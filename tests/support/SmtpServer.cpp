#include "SmtpServer.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTcpServer>

QByteArray ReceivedMail::RawHeader(const QByteArray &name) const
{
    const QByteArray head = "\r\n" + raw.left(raw.indexOf("\r\n\r\n")) + "\r\n";
    const QByteArray prefix = "\r\n" + name + ": ";
    const qsizetype at = head.indexOf(prefix);
    if (at < 0)
        return {};
    const qsizetype from = at + prefix.size();
    return head.mid(from, head.indexOf("\r\n", from) - from);
}

SmtpServer &SmtpServer::Shared()
{
    static const std::unique_ptr<SmtpServer> server(new SmtpServer);
    return *server;
}

SmtpServer::SmtpServer() : m_mailFolder(m_dir.filePath(QStringLiteral("mail")))
{
    if (!m_dir.isValid() || !QDir().mkpath(m_mailFolder) || !MakeCertificate())
        return;
    // Debian's interpreter: the first python3 on PATH may lack the aiosmtpd module.
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments({QStringLiteral(VANTREL_SOURCE_DIR "/tests/support/smtp_server.py"),
                            m_mailFolder, CaFile(), m_dir.filePath(QStringLiteral("key.pem")),
                            QString::fromLatin1(kUser), QString::fromLatin1(kPassword)});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    QByteArray line;
    while (!line.endsWith('\n') && m_process.waitForReadyRead(10000))
        line += m_process.readLine();
    const QList<QByteArray> words = line.trimmed().split(' ');
    for (const QByteArray &word : words.mid(1)) {
        const QList<QByteArray> pair = word.split('=');
        if (pair.size() == 2)
            m_ports.insert(QString::fromLatin1(pair[0]), pair[1].toUShort());
    }
    if (!IsRunning())
        m_error = QStringLiteral("smtp_server.py did not start: ") + QString::fromLatin1(line);
}

SmtpServer::~SmtpServer()
{
    // The script ends when its input closes.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

bool SmtpServer::MakeCertificate()
{
    QProcess openssl;
    openssl.start(
        QStringLiteral("openssl"),
        QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
                       "-days 2 -subj /CN=localhost -addext "
                       "subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout")
                .split(u' ') +
            QStringList{m_dir.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
                        CaFile()});
    if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0) {
        m_error = QStringLiteral("openssl could not make the certificate: ") +
                  QString::fromLocal8Bit(openssl.readAllStandardError());
        return false;
    }
    return true;
}

QString SmtpServer::CaFile() const
{
    return m_dir.filePath(QStringLiteral("cert.pem"));
}

quint16 SmtpServer::ClosedPort()
{
    for (;;) {
        const auto port = quint16(QRandomGenerator::global()->bounded(10000, 32768));
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, port))
            return port;
    }
}

void SmtpServer::Clear()
{
    QDir folder(m_mailFolder);
    for (const QString &name : folder.entryList(QDir::Files))
        folder.remove(name);
}

QList<ReceivedMail> SmtpServer::Messages() const
{
    QList<ReceivedMail> messages;
    const QDir folder(m_mailFolder);
    for (const QString &name :
         folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        const QJsonObject meta = QJsonDocument::fromJson(ReadAll(folder.filePath(name))).object();
        ReceivedMail mail;
        mail.raw = ReadAll(folder.filePath(
            QString(name).replace(QStringLiteral(".json"), QStringLiteral(".eml"))));
        mail.kind = meta.value(QStringLiteral("kind")).toString();
        mail.connection = meta.value(QStringLiteral("connection")).toInt();
        mail.login = meta.value(QStringLiteral("login")).toString();
        mail.mailFrom = meta.value(QStringLiteral("mail_from")).toString();
        for (const QJsonValue &to : meta.value(QStringLiteral("rcpt_tos")).toArray())
            mail.rcptTos << to.toString();
        mail.subject = meta.value(QStringLiteral("subject")).toString();
        mail.body =
            QByteArray::fromBase64(meta.value(QStringLiteral("body")).toString().toLatin1());
        messages << mail;
    }
    return messages;
}

QStringList SmtpServer::Connections() const
{
    const QString text = QString::fromLatin1(
        ReadAll(QDir(m_mailFolder).filePath(QStringLiteral("connections.log"))));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
