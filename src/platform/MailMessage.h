#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One e-mail of the mail component: made per send, never reused.
class MailMessage {
public:
    QString Subject;
    QString SenderName;
    QString SenderAddress;
    // Line breaks may be CR, LF or CR LF; every one goes on the wire as CR LF.
    QString Body;

    // Forgets recipients, texts and errors.
    void Prepare();
    // Takes a list of addresses separated by commas or semicolons ("a@x.org, B <b@y.org>,"
    // included); blank entries are skipped. Non-zero when the whole list was taken; a list
    // with no address, or with an entry that is not an address, is refused as a whole.
    qint32 AddRecipients(const QString &list);
    // Why the last AddRecipients refused its list.
    QString MessageErrorText() const;

    // The envelope addresses taken so far.
    const QStringList &Recipients() const { return m_recipients; }
    // The message as it goes on the wire: headers free of CR and LF from the texts, a
    // UTF-8 body in base64, CR LF line ends throughout.
    QByteArray Compose(const QDateTime &date) const;

private:
    QStringList m_recipients;
    QString m_error;
};
