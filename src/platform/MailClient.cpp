#include "MailClient.h"

#include <QSysInfo>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <cstring>

struct MailTransfer {
    MailAttempt attempt;
    MailDialogue dialogue;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    QString method; // upper case; "NONE" when no log-in is wanted
    bool refusedWithoutLogin = false;
    QByteArray upload;
    qsizetype uploaded = 0;

    bool LoginRequired() const { return method != QLatin1String("NONE"); }
};

namespace {

const QStringList kLoginMethods = {QStringLiteral("LOGIN"), QStringLiteral("PLAIN"),
                                   QStringLiteral("CRAM-MD5"), QStringLiteral("NTLM")};

// The sender goes into MAIL FROM as it stands: a line break in it would add SMTP commands of
// its own (a recipient, say), and a bracket would end the address early.
bool FitsMailFrom(const QString &address)
{
    return std::none_of(address.begin(), address.end(), [](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7F || c == QLatin1Char('<') ||
               c == QLatin1Char('>');
    });
}

int OnDebug(CURL *, curl_infotype type, char *data, size_t size, void *user)
{
    auto *dialogue = static_cast<MailDialogue *>(user);
    if (type != CURLINFO_TEXT && type != CURLINFO_HEADER_IN && type != CURLINFO_HEADER_OUT)
        return 0;
    const QString text = QString::fromUtf8(data, qsizetype(size));
    for (QString line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (type == CURLINFO_HEADER_IN)
            dialogue->ServerLine(line);
        else if (type == CURLINFO_HEADER_OUT)
            dialogue->ClientLine(line);
        else
            dialogue->Note(line);
    }
    return 0;
}

// libcurl goes on without AUTH when the server offers none or no user name is set, and
// would then send unauthenticated. This runs after the log-in phase, before MAIL FROM.
int OnPrerequest(void *user, char *, char *, int, int)
{
    auto *transfer = static_cast<MailTransfer *>(user);
    // A kept connection shows no greeting; it passed this check when it was opened.
    if (transfer->LoginRequired() && transfer->dialogue.ServerSpoke() &&
        !transfer->dialogue.LoggedIn()) {
        transfer->refusedWithoutLogin = true;
        return CURL_PREREQFUNC_ABORT;
    }
    return CURL_PREREQFUNC_OK;
}

size_t OnRead(char *buffer, size_t size, size_t count, void *user)
{
    auto *transfer = static_cast<MailTransfer *>(user);
    const qsizetype n =
        std::min(qsizetype(size * count), transfer->upload.size() - transfer->uploaded);
    std::memcpy(buffer, transfer->upload.constData() + transfer->uploaded, size_t(n));
    transfer->uploaded += n;
    return size_t(n);
}

QString ErrorText(CURLcode code, const MailTransfer &transfer)
{
    // libcurl leaves its buffer empty for some failures, a refused log-in among them.
    QString text = transfer.errorBuffer[0] != '\0' ? QString::fromUtf8(transfer.errorBuffer)
                                                   : QString::fromUtf8(curl_easy_strerror(code));
    if (!transfer.dialogue.LastRefusal().isEmpty())
        text +=
            QStringLiteral(" (server reply: ") + transfer.dialogue.LastRefusal() + QLatin1Char(')');
    return text;
}

QString NoLoginText(const MailTransfer &transfer)
{
    if (!transfer.dialogue.ServerOffersAuth())
        return QStringLiteral("No log-in took place: the mail server offers no AUTH (%1 is "
                              "required), so nothing was sent.")
            .arg(transfer.method);
    return QStringLiteral("No log-in took place (%1 is required), so nothing was sent.")
        .arg(transfer.method);
}

QString EhloName()
{
    const QString name = QSysInfo::machineHostName();
    return name.isEmpty() ? QStringLiteral("localhost") : name;
}

void SetText(CURL *handle, CURLoption option, const QString &text)
{
    curl_easy_setopt(handle, option, text.toUtf8().constData());
}

} // namespace

MailClient::MailClient()
{
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    Q_UNUSED(initialised);
}

MailClient::~MailClient()
{
    CloseConnection();
}

bool MailClient::Prepare(void *handle, MailTransfer &transfer, QString &error) const
{
    CURL *curl = static_cast<CURL *>(handle);
    transfer.method = AuthMethod.trimmed().toUpper();
    transfer.attempt.authMethod = transfer.method;
    transfer.attempt.tlsMode = Ssl == 1        ? QStringLiteral("implicit TLS (smtps)")
                               : StartTls == 1 ? QStringLiteral("STARTTLS required")
                                               : QStringLiteral("none");
    QUrl url;
    url.setScheme(Ssl == 1 ? QStringLiteral("smtps") : QStringLiteral("smtp"));
    url.setHost(Host.trimmed());
    url.setPort(Port);
    // libcurl takes the EHLO name from the path.
    url.setPath(QLatin1Char('/') + EhloName());
    transfer.attempt.server = url.toString(QUrl::RemovePath);

    if (!curl) {
        error = QStringLiteral("libcurl could not start a transfer.");
        return false;
    }
    if (Host.trimmed().isEmpty()) {
        error = QStringLiteral("No mail server host is set.");
        return false;
    }
    if (!url.isValid()) {
        error = QStringLiteral("\"%1\" is not a host name.").arg(Host.trimmed());
        return false;
    }
    if (Port < 1 || Port > 65535) {
        error = QStringLiteral("%1 is not a port number.").arg(Port);
        return false;
    }
    if (transfer.LoginRequired() && !kLoginMethods.contains(transfer.method)) {
        error = QStringLiteral("\"%1\" is not a log-in method (LOGIN, PLAIN, CRAM-MD5, NTLM or "
                               "NONE).")
                    .arg(AuthMethod);
        return false;
    }
    // libcurl would try the log-in with an empty name, or skip it when none is set at all.
    if (transfer.LoginRequired() && UserName.isEmpty()) {
        error = QStringLiteral("No user name is set for the %1 log-in.").arg(transfer.method);
        return false;
    }

    curl_easy_setopt(curl, CURLOPT_URL, url.toEncoded().constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USE_SSL,
                     long(StartTls == 1 && Ssl != 1 ? CURLUSESSL_ALL : CURLUSESSL_NONE));
    if (!CaFile.isEmpty())
        SetText(curl, CURLOPT_CAINFO, CaFile);
    if (TimeoutSeconds > 0) {
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, long(TimeoutSeconds));
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(TimeoutSeconds));
    }
    // With NONE the credentials are not even handed to libcurl, so no AUTH can go out.
    if (transfer.LoginRequired()) {
        const bool ntlmDomain =
            transfer.method == QLatin1String("NTLM") && !Domain.trimmed().isEmpty();
        SetText(curl, CURLOPT_USERNAME,
                ntlmDomain ? Domain.trimmed() + QLatin1Char('\\') + UserName : UserName);
        SetText(curl, CURLOPT_PASSWORD, Password);
        SetText(curl, CURLOPT_LOGIN_OPTIONS, QStringLiteral("AUTH=") + transfer.method);
    }
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, transfer.errorBuffer);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, OnDebug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &transfer.dialogue);
    return true;
}

QString MailClient::SettingsKey() const
{
    return QStringList{Host,
                       QString::number(Port),
                       QString::number(TimeoutSeconds),
                       QString::number(Ssl),
                       QString::number(StartTls),
                       AuthMethod,
                       UserName,
                       Password,
                       Domain,
                       CaFile}
        .join(QChar(u'\0'));
}

void MailClient::Finish(MailTransfer &transfer, bool succeeded, const QString &error)
{
    m_last = transfer.attempt;
    m_last.time = QDateTime::currentDateTime();
    m_last.succeeded = succeeded;
    m_last.error = succeeded ? QString() : error;
    m_last.dialogue = transfer.dialogue.Lines();
    // The log is the component's own record: failing to write it fails no e-mail.
    if (!MailLogFile.isEmpty())
        AppendToMailLog(MailLogFile, m_last);
}

qint32 MailClient::VerifyConnection()
{
    MailTransfer transfer;
    transfer.attempt.operation = QStringLiteral("VerifyConnection");
    CURL *curl = curl_easy_init();
    QString error;
    bool ready = Prepare(curl, transfer, error);
    if (ready) {
        // Greeting, EHLO, TLS and AUTH, then stop; such a connection is never reused.
        curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
        const CURLcode code = curl_easy_perform(curl);
        if (code != CURLE_OK) {
            ready = false;
            error = ErrorText(code, transfer);
        } else if (transfer.LoginRequired() && !transfer.dialogue.LoggedIn()) {
            ready = false;
            error = NoLoginText(transfer);
        }
    }
    curl_easy_cleanup(curl);
    Finish(transfer, ready, error);
    return ready ? 1 : 0;
}

qint32 MailClient::SendMessage(const MailMessage &message)
{
    MailTransfer transfer;
    transfer.attempt.operation = QStringLiteral("SendMessage");
    transfer.attempt.from = message.SenderAddress;
    transfer.attempt.to = message.Recipients();
    transfer.attempt.subject = message.Subject;
    // libcurl would send HELP instead and report success.
    if (message.Recipients().isEmpty()) {
        QString error = QStringLiteral("The e-mail has no recipient, so it was not sent.");
        if (!message.MessageErrorText().isEmpty())
            error += QLatin1Char(' ') + message.MessageErrorText();
        Finish(transfer, false, error);
        return 0;
    }
    if (!FitsMailFrom(message.SenderAddress.trimmed())) {
        Finish(transfer, false,
               QStringLiteral("The sender address holds a line break, another control character, "
                              "\"<\" or \">\", so the e-mail was not sent."));
        return 0;
    }

    const QString key = SettingsKey();
    if (m_sendHandle && key != m_sendHandleKey)
        CloseConnection();
    if (!m_sendHandle) {
        m_sendHandle = curl_easy_init();
        m_sendHandleKey = key;
    }
    CURL *curl = static_cast<CURL *>(m_sendHandle);
    if (curl)
        curl_easy_reset(curl); // options only: a kept connection survives this
    QString error;
    bool sent = Prepare(curl, transfer, error);
    if (sent) {
        transfer.upload = message.Compose(QDateTime::currentDateTime());
        curl_slist *recipients = nullptr;
        for (const QString &address : message.Recipients())
            recipients =
                curl_slist_append(recipients, QByteArray('<' + address.toUtf8() + '>').constData());
        SetText(curl, CURLOPT_MAIL_FROM,
                QLatin1Char('<') + message.SenderAddress.trimmed() + QLatin1Char('>'));
        curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnRead);
        curl_easy_setopt(curl, CURLOPT_READDATA, &transfer);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(transfer.upload.size()));
        curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, OnPrerequest);
        curl_easy_setopt(curl, CURLOPT_PREREQDATA, &transfer);
        const CURLcode code = curl_easy_perform(curl);
        curl_slist_free_all(recipients);
        sent = code == CURLE_OK;
        if (!sent)
            error =
                transfer.refusedWithoutLogin ? NoLoginText(transfer) : ErrorText(code, transfer);
    }
    // A connection left by a failure is in no known state: never send over it again.
    if (!sent)
        CloseConnection();
    Finish(transfer, sent, error);
    return sent ? 1 : 0;
}

QString MailClient::LastErrorText() const
{
    return m_last.error;
}

qint32 MailClient::SaveLastResult(const QString &path) const
{
    return WriteMailResult(path, m_last) ? 1 : 0;
}

void MailClient::CloseConnection()
{
    if (m_sendHandle) {
        // The callbacks point into the transfer that set them, which may be gone by now.
        curl_easy_reset(static_cast<CURL *>(m_sendHandle));
        curl_easy_cleanup(static_cast<CURL *>(m_sendHandle));
    }
    m_sendHandle = nullptr;
    m_sendHandleKey.clear();
}
