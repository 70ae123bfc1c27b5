#include "MailMessage.h"

#include <QRegularExpression>
#include <QUuid>

namespace {

constexpr int kLineWidth = 76;
// An encoded word may be 75 characters: "=?UTF-8?B?" + base64 of 45 bytes + "?=".
constexpr int kEncodedWordBytes = 45;

// Header values come from device pages and settings: a CR or LF in them would start a
// header of its own, so every control character goes.
QString HeaderSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            safe.append(c);
    }
    return safe;
}

bool IsPlainAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return false;
    }
    return true;
}

// RFC 2047 encoded words, cut between characters, one per folded line.
QByteArray EncodedWords(const QString &text)
{
    QByteArray out;
    QByteArray chunk;
    const auto flush = [&] {
        if (!out.isEmpty())
            out += "\r\n ";
        out += "=?UTF-8?B?" + chunk.toBase64() + "?=";
        chunk.clear();
    };
    for (int i = 0; i < text.size();) {
        const int length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray bytes = text.mid(i, length).toUtf8();
        if (chunk.size() + bytes.size() > kEncodedWordBytes)
            flush();
        chunk += bytes;
        i += length;
    }
    if (!chunk.isEmpty() || out.isEmpty())
        flush();
    return out;
}

// Plain text when it is printable ASCII and fits a header line, else encoded words.
QByteArray HeaderText(const QString &text)
{
    if (IsPlainAscii(text) && text.size() <= kLineWidth * 10)
        return text.toLatin1();
    return EncodedWords(text);
}

QByteArray DisplayName(const QString &name)
{
    if (!IsPlainAscii(name))
        return EncodedWords(name);
    QString quoted = name;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return '"' + quoted.toLatin1() + '"';
}

QByteArray AddressList(const QStringList &addresses)
{
    QByteArray out;
    int lineLength = 4; // "To: "
    for (const QString &address : addresses) {
        const QByteArray bytes = HeaderSafe(address).toUtf8();
        if (!out.isEmpty()) {
            out += ',';
            if (lineLength + bytes.size() + 2 > kLineWidth) {
                out += "\r\n";
                lineLength = 0;
            }
            out += ' ';
            ++lineLength;
        }
        out += bytes;
        lineLength += bytes.size() + 1;
    }
    return out;
}

QString CrlfLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

QByteArray WrappedBase64(const QByteArray &bytes)
{
    const QByteArray encoded = bytes.toBase64();
    QByteArray out;
    for (int i = 0; i < encoded.size(); i += kLineWidth)
        out += encoded.mid(i, kLineWidth) + "\r\n";
    return out;
}

QString DomainOf(const QString &address)
{
    const QString domain = address.section(QLatin1Char('@'), -1);
    static const QRegularExpression hostName(QStringLiteral("^[A-Za-z0-9.-]+$"));
    return address.contains(QLatin1Char('@')) && hostName.match(domain).hasMatch()
               ? domain
               : QStringLiteral("localhost");
}

// The mailbox of one list entry: "a@x.org" or "Name <a@x.org>"; empty when it is not one.
QString EnvelopeAddress(const QString &entry)
{
    static const QRegularExpression named(QStringLiteral("^[^<>]*<([^<>]*)>$"));
    static const QRegularExpression mailbox(QStringLiteral("^[^@\\s<>\",;]+@[^@\\s<>\",;]+$"));
    const QRegularExpressionMatch angle = named.match(entry);
    const QString address = angle.hasMatch() ? angle.captured(1).trimmed() : entry;
    return mailbox.match(address).hasMatch() ? address : QString();
}

} // namespace

void MailMessage::Prepare()
{
    *this = MailMessage();
}

qint32 MailMessage::AddRecipients(const QString &list)
{
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    QStringList taken;
    for (const QString &piece : list.split(separators)) {
        const QString entry = piece.trimmed();
        if (entry.isEmpty())
            continue;
        const QString address = EnvelopeAddress(entry);
        if (address.isEmpty()) {
            m_error = QStringLiteral("\"%1\" is not an e-mail address.").arg(HeaderSafe(entry));
            return 0;
        }
        taken.append(address);
    }
    if (taken.isEmpty()) {
        m_error = QStringLiteral("No recipient address was given.");
        return 0;
    }
    m_recipients.append(taken);
    m_error.clear();
    return 1;
}

QString MailMessage::MessageErrorText() const
{
    return m_error;
}

QByteArray MailMessage::Compose(const QDateTime &date) const
{
    const QString sender = HeaderSafe(SenderAddress);
    QByteArray text;
    text += "From: " + DisplayName(HeaderSafe(SenderName)) + " <" + sender.toUtf8() + ">\r\n";
    text += "To: " + AddressList(m_recipients) + "\r\n";
    text += "Subject: " + HeaderText(HeaderSafe(Subject)) + "\r\n";
    text += "Date: " + date.toString(Qt::RFC2822Date).toLatin1() + "\r\n";
    text += "Message-ID: <" + QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@' +
            DomainOf(sender).toLatin1() + ">\r\n";
    text += "MIME-Version: 1.0\r\n";
    text += "Content-Type: text/plain; charset=UTF-8\r\n";
    text += "Content-Transfer-Encoding: base64\r\n";
    text += "\r\n";
    text += WrappedBase64(CrlfLineBreaks(Body).toUtf8());
    return text;
}
