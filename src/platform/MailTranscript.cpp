#include "MailTranscript.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace {

const QString kRedacted = QStringLiteral("[redacted]");

int ReplyCode(const QString &line)
{
    bool ok = false;
    const int code = line.left(3).toInt(&ok);
    return ok ? code : 0;
}

QString Outcome(const MailAttempt &attempt)
{
    if (attempt.operation == QLatin1String("SendMessage"))
        return attempt.succeeded ? QStringLiteral("sent") : QStringLiteral("not sent");
    return attempt.succeeded ? QStringLiteral("server ready") : QStringLiteral("server not usable");
}

// Label and value of every field of the record, in the order all three files show them.
QList<std::pair<QString, QString>> Fields(const MailAttempt &attempt)
{
    return {
        {QStringLiteral("Time"), attempt.time.toString(Qt::ISODate)},
        {QStringLiteral("Operation"), attempt.operation},
        {QStringLiteral("Server"), attempt.server},
        {QStringLiteral("TLS"), attempt.tlsMode},
        {QStringLiteral("Log-in"), attempt.authMethod},
        {QStringLiteral("From"), attempt.from},
        {QStringLiteral("To"), attempt.to.join(QStringLiteral(", "))},
        {QStringLiteral("Subject"), attempt.subject},
        {QStringLiteral("Outcome"), Outcome(attempt)},
        {QStringLiteral("Error"), attempt.error},
    };
}

QByteArray XmlRecord(const MailAttempt &attempt)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("LastSentEmailResult"));
    for (const auto &[label, value] : Fields(attempt))
        xml.writeTextElement(QString(label).remove(QLatin1Char('-')), value);
    xml.writeStartElement(QStringLiteral("Dialogue"));
    for (const QString &line : attempt.dialogue)
        xml.writeTextElement(QStringLiteral("Line"), line);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray HtmlRecord(const MailAttempt &attempt)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                                  "<title>Last e-mail result</title></head><body>\n<table>\n");
    for (const auto &[label, value] : Fields(attempt))
        html += QStringLiteral("<tr><th align=\"left\">%1</th><td>%2</td></tr>\n")
                    .arg(label, value.toHtmlEscaped());
    html += QStringLiteral("</table>\n<pre>") +
            attempt.dialogue.join(QLatin1Char('\n')).toHtmlEscaped() +
            QStringLiteral("</pre>\n</body></html>\n");
    return html.toUtf8();
}

} // namespace

void MailDialogue::ServerLine(const QString &line)
{
    m_lines.append(QStringLiteral("S: ") + line);
    m_serverSpoke = true;
    static const QRegularExpression authOffer(QStringLiteral("^250[- ]AUTH[ =]"),
                                              QRegularExpression::CaseInsensitiveOption);
    if (authOffer.match(line).hasMatch())
        m_serverOffersAuth = true;
    const int code = ReplyCode(line);
    m_lastRefusal = code >= 400 ? line : QString();
    // 334 is a challenge; any other reply ends the exchange.
    if (m_authInProgress && code != 334) {
        m_authInProgress = false;
        m_loggedIn = code == 235;
    }
}

void MailDialogue::ClientLine(const QString &line)
{
    if (line.startsWith(QLatin1String("AUTH "), Qt::CaseInsensitive)) {
        m_authInProgress = true;
        const QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QString shown = QStringLiteral("C: AUTH ") + words.value(1);
        if (words.size() > 2)
            shown += QLatin1Char(' ') + kRedacted;
        m_lines.append(shown);
        return;
    }
    m_lines.append(QStringLiteral("C: ") + (m_authInProgress ? kRedacted : line));
}

void MailDialogue::Note(const QString &text)
{
    // One note per TLS handshake record says nothing the outcome does not.
    if (text.startsWith(QLatin1String("TLSv")) || text.startsWith(QLatin1String("SSLv")))
        return;
    m_lines.append(QStringLiteral("* ") + text);
}

bool AppendToMailLog(const QString &path, const MailAttempt &attempt)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    QString block = QStringLiteral("==== ") + attempt.operation + QLatin1Char('\n');
    for (const auto &[label, value] : Fields(attempt)) {
        if (!value.isEmpty())
            block +=
                QString(label + QLatin1Char(':')).leftJustified(11) + value + QLatin1Char('\n');
    }
    for (const QString &line : attempt.dialogue)
        block += QStringLiteral("    ") + line + QLatin1Char('\n');
    block += QLatin1Char('\n');
    const QByteArray bytes = block.toUtf8();
    return file.write(bytes) == bytes.size();
}

bool WriteMailResult(const QString &path, const MailAttempt &attempt)
{
    static const QRegularExpression htmlName(QStringLiteral("\\.html?$"),
                                             QRegularExpression::CaseInsensitiveOption);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(htmlName.match(path).hasMatch() ? HtmlRecord(attempt) : XmlRecord(attempt));
    return file.commit();
}
