#include "frmAdvancedEmail.h"

#include "ConfigRecord.h"
#include "DialogButtons.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "LineEditKeyFilter.h"
#include "Prompt.h"
#include "SettingsRules.h"
#include "StatusGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kNonePosition = 4;

} // namespace

frmAdvancedEmail::frmAdvancedEmail(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAdvancedEmail"));
    setWindowTitle(QStringLiteral("Internet Email Settings"));

    auto *outgoing = new QGroupBox(QStringLiteral("Outgoing Server"), this);
    chkAuthentication =
        Named(new QCheckBox(QStringLiteral("My outgoing server (SMTP) requires authentication"),
                            outgoing),
              u"chkAuthentication");
    cmboAuthenticationMethod = Named(new QComboBox(outgoing), u"cmboAuthenticationMethod");
    txtUserName = Named(new QLineEdit(outgoing), u"txtUserName");
    txtPassword = Named(new QLineEdit(outgoing), u"txtPassword");
    HideAsStars(txtPassword);
    txtLoginDomain = Named(new QLineEdit(outgoing), u"txtLoginDomain");
    auto *outgoingLayout = new QGridLayout(outgoing);
    outgoingLayout->addWidget(chkAuthentication, 0, 0, 1, 2);
    outgoingLayout->addWidget(new QLabel(QStringLiteral("Log on using:"), outgoing), 1, 0);
    outgoingLayout->addWidget(cmboAuthenticationMethod, 1, 1);
    outgoingLayout->addWidget(new QLabel(QStringLiteral("User Name:"), outgoing), 2, 0);
    outgoingLayout->addWidget(txtUserName, 2, 1);
    outgoingLayout->addWidget(new QLabel(QStringLiteral("Password:"), outgoing), 3, 0);
    outgoingLayout->addWidget(txtPassword, 3, 1);
    outgoingLayout->addWidget(
        new QLabel(QStringLiteral("Windows domain for logging into the SMTP server (if required):"),
                   outgoing),
        4, 0, 1, 2);
    outgoingLayout->addWidget(txtLoginDomain, 5, 0, 1, 2);

    auto *server = new QGroupBox(QStringLiteral("SMTP Server"), this);
    txtSMTPPort = Named(new QLineEdit(server), u"txtSMTPPort");
    txtServerTimeOut = Named(new QLineEdit(server), u"txtServerTimeOut");
    // Any port or number of seconds the settings record holds.
    for (QLineEdit *box : {txtSMTPPort, txtServerTimeOut})
        SizeForText(box, 5, BoxText::Digits);
    chkSSL = Named(new QCheckBox(QStringLiteral("Connect to the SMTP server via the SSL protocol "
                                                "(POP3 Encrypted)"),
                                 server),
                   u"chkSSL");
    chkTLS = Named(new QCheckBox(QStringLiteral("Check for TLS Encryption for SMTP"), server),
                   u"chkTLS");
    chkCloseSMTP = Named(new QCheckBox(server), u"chkCloseSMTP");
    auto *serverLayout = new QGridLayout(server);
    serverLayout->addWidget(new QLabel(QStringLiteral("Outgoing Server Port  "), server), 0, 0);
    serverLayout->addWidget(txtSMTPPort, 0, 1, Qt::AlignLeft);
    serverLayout->addWidget(new QLabel(QStringLiteral("Outgoing Server Time Out (sec)   "), server),
                            1, 0);
    serverLayout->addWidget(txtServerTimeOut, 1, 1, Qt::AlignLeft);
    serverLayout->addWidget(chkSSL, 2, 0, 1, 2);
    serverLayout->addWidget(chkTLS, 3, 0, 1, 2);
    serverLayout->addWidget(chkCloseSMTP, 4, 0, 1, 2);

    OKButton = Named(new QPushButton(QStringLiteral("OK"), this), u"OKButton");
    CancelButton = Named(new QPushButton(QStringLiteral("Cancel"), this), u"CancelButton");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(outgoing);
    layout->addWidget(server);
    layout->addLayout(buttons);

    cmboAuthenticationMethod->addItems({QStringLiteral("LOGIN"), QStringLiteral("PLAIN"),
                                        QStringLiteral("CRAM-MD5"), QStringLiteral("NTLM"),
                                        QStringLiteral("NONE")});
    chkCloseSMTP->setText(QStringLiteral("Close SMTP connection after sending each email."));
    chkCloseSMTP->setToolTip(
        QStringLiteral("Some SMTP servers require that the SMTP connection be closed before the "
                       "email is sent. ") +
        QStringLiteral("If you find that emails are not sent until you close Vantrel then check "
                       "this box."));
    adjustSize();
    CentreOnScreen(this);

    connect(chkAuthentication, &QCheckBox::clicked, this, &frmAdvancedEmail::Authenticate);
    for (QLineEdit *box : {txtSMTPPort, txtServerTimeOut}) {
        box->installEventFilter(new LineEditKeyFilter(KeyRule::Digits, box));
        connect(box, &QLineEdit::textEdited, this, [box] { SetBackColour(box, kColourWhite); });
    }
    connect(OKButton, &QPushButton::clicked, this, &frmAdvancedEmail::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    NoDefaultButtons(this);
}

void frmAdvancedEmail::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Activate();
}

// The record is reloaded from the file, so values changed in memory and not saved are
// not shown here.
void frmAdvancedEmail::Activate()
{
    ReadConfiguration();
    const ConfigRecord &record = Config();
    txtSMTPPort->setText(QString::number(record.SMTPPort));
    txtServerTimeOut->setText(QString::number(record.SMTPTimeOut));

    const auto failed = [] {
        Prompt::Show(QStringLiteral("There was an error loading the the Advanced Email form.  The "
                                    "error is ") +
                     QString::fromUtf16(kInvalidPropertyValue) + u'.');
    };
    if (!SetCheckValue(chkSSL, record.UseSSL) || !SetCheckValue(chkTLS, record.UseStartTLS) ||
        !SetCheckValue(chkCloseSMTP, record.CloseSMTP) ||
        !SetCheckValue(chkAuthentication, record.UseAuthentication)) {
        failed();
        return;
    }
    const int method =
        record.AuthenticationMethod.startsWith(QChar(u'\0'))
            ? 0
            : cmboAuthenticationMethod->findText(ConfigText(record.AuthenticationMethod));
    if (method < 0) {
        failed();
        return;
    }
    cmboAuthenticationMethod->setCurrentIndex(method);
    txtUserName->setText(ConfigText(record.SMTPUserName));
    txtPassword->setText(ConfigText(record.SMTPPassword));
    txtLoginDomain->setText(ConfigText(record.LoginDomain));
    Authenticate();
}

void frmAdvancedEmail::Authenticate()
{
    const bool on = chkAuthentication->checkState() == Qt::Checked;
    if (!on)
        cmboAuthenticationMethod->setCurrentIndex(kNonePosition);
    cmboAuthenticationMethod->setEnabled(on);
    txtPassword->setEnabled(on);
    txtUserName->setEnabled(on);
}

void frmAdvancedEmail::Refuse(QLineEdit *box, const QString &message)
{
    Prompt::Show(message);
    SetBackColour(box, kColourYellow);
    box->setFocus();
}

void frmAdvancedEmail::OKButton_Click()
{
    if (txtSMTPPort->text().isEmpty()) {
        Refuse(txtSMTPPort, QStringLiteral("The SMTP Port can not be left blank.  Please enter the "
                                           "SMTP port number."));
        return;
    }
    if (txtServerTimeOut->text().isEmpty()) {
        Refuse(txtServerTimeOut, QStringLiteral("The server timeout can not be left blank.  Please "
                                                "enter a time in seconds."));
        return;
    }
    // The fields are 16 bits wide: a larger number would be stored as another one.
    const std::optional<qint16> port = SettingsInteger(txtSMTPPort->text());
    if (!port || *port < 0) {
        Refuse(txtSMTPPort, QStringLiteral("The SMTP Port must be a number from 0 to 32767.  "
                                           "Please enter the SMTP port number."));
        return;
    }
    const std::optional<qint16> timeOut = SettingsInteger(txtServerTimeOut->text());
    if (!timeOut || *timeOut < 0) {
        Refuse(txtServerTimeOut, QStringLiteral("The server timeout must be a number from 0 to "
                                                "32767.  Please enter a time in seconds."));
        return;
    }
    for (QLineEdit *box : {txtUserName, txtPassword}) {
        if (!CredentialFits(box->text())) {
            Refuse(box, QString::fromUtf16(kCredentialRefusal));
            return;
        }
    }

    ConfigRecord &record = Config();
    record.SMTPPort = *port;
    record.SMTPTimeOut = *timeOut;
    record.UseSSL = CheckValue(chkSSL);
    record.UseStartTLS = CheckValue(chkTLS);
    record.UseAuthentication = CheckValue(chkAuthentication);
    record.AuthenticationMethod = cmboAuthenticationMethod->currentText();
    record.SMTPUserName = txtUserName->text();
    record.SMTPPassword = txtPassword->text();
    record.LoginDomain = txtLoginDomain->text();
    record.CloseSMTP = CheckValue(chkCloseSMTP);
    if (!SaveConfiguration())
        Prompt::Show(QStringLiteral("Error saving SMTP advanced settings."));
    accept();
}
