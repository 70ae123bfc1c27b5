#include "frmAdvancedEmail.h"
#include "DialogTest.h"

#include "SettingsRules.h"

#include <QCheckBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

class frmAdvancedEmailTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ConfigRecord &r = Config();
        r.SMTPPort = 587;
        r.SMTPTimeOut = 45;
        r.UseSSL = 0;
        r.UseStartTLS = 1;
        r.CloseSMTP = 1;
        r.UseAuthentication = 1;
        r.AuthenticationMethod = u"CRAM-MD5"_s;
        r.SMTPUserName = u"mailer"_s;
        r.SMTPPassword = u"p@ss"_s;
        r.LoginDomain = u"office"_s;
        r.OrgName = u"Cold Store"_s;
        ASSERT_TRUE(SaveConfiguration());
        m_saved = r;
        m_before = SettingsFileBytes();
        Config() = ConfigRecord();
    }

    ConfigRecord m_saved;
    QByteArray m_before;
};

} // namespace

TEST_F(frmAdvancedEmailTest, ShowsItsFixedTexts)
{
    frmAdvancedEmail dialog;
    ExpectTexts(&dialog,
                "Internet Email Settings\nOutgoing Server\nSMTP Server\nOK\nCancel\n"
                "My outgoing server (SMTP) requires authentication\nLog on using:\n"
                "LOGIN|PLAIN|CRAM-MD5|NTLM|NONE\nUser Name:\nPassword:\n"
                "Windows domain for logging into the SMTP server (if required):\n"
                "Outgoing Server Port  \nOutgoing Server Time Out (sec)   \n"
                "Connect to the SMTP server via the SSL protocol (POP3 Encrypted)\n"
                "Check for TLS Encryption for SMTP\n"
                "Close SMTP connection after sending each email.\n"
                "Some SMTP servers require that the SMTP connection be closed before the email is "
                "sent. If you find that emails are not sent until you close Vantrel then check "
                "this box.");
    EXPECT_FALSE(dialog.cmboAuthenticationMethod->isEditable());
    EXPECT_EQ(dialog.txtPassword->echoMode(), QLineEdit::Password);
}

TEST_F(frmAdvancedEmailTest, OpensWithTheSavedValuesAndOkStoresTheShownOnes)
{
    Config().SMTPPort = 2525; // unsaved: the dialog shows the file's value
    frmAdvancedEmail d;
    d.show();
    EXPECT_EQ(d.txtSMTPPort->text() + u' ' + d.cmboAuthenticationMethod->currentText(),
              u"587 CRAM-MD5"_s);
    EXPECT_EQ(Click(d.OKButton), QList<Prompt::Message>());
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(SettingsFileBytes(), m_before);

    d.show();
    d.txtSMTPPort->setText(u"0"_s);
    d.txtServerTimeOut->setText(u"32767"_s);
    QTest::mouseClick(d.chkSSL, Qt::LeftButton);
    QTest::mouseClick(d.chkAuthentication, Qt::LeftButton);
    EXPECT_EQ(d.cmboAuthenticationMethod->currentText(), u"NONE"_s);
    EXPECT_EQ((QList<bool>{d.cmboAuthenticationMethod->isEnabled(), d.txtUserName->isEnabled(),
                           d.txtPassword->isEnabled(), d.txtLoginDomain->isEnabled()}),
              (QList<bool>{false, false, false, true}));
    d.txtPassword->setText(QString(63, u'x'));
    EXPECT_EQ(Click(d.OKButton), QList<Prompt::Message>());
    const ConfigRecord saved = SavedRecord();
    EXPECT_EQ(
        (QList<int>{saved.SMTPPort, saved.SMTPTimeOut, saved.UseSSL, saved.UseAuthentication}),
        (QList<int>{0, 32767, 1, 0}));
    EXPECT_EQ((QStringList{ConfigText(saved.AuthenticationMethod), ConfigText(saved.SMTPUserName),
                           ConfigText(saved.SMTPPassword), ConfigText(saved.OrgName)}),
              (QStringList{u"NONE"_s, u"mailer"_s, QString(63, u'x'), u"Cold Store"_s}));
}

TEST_F(frmAdvancedEmailTest, OkRefusesWhatTheFieldsCannotHold)
{
    const QString blankPort =
        u"The SMTP Port can not be left blank.  Please enter the SMTP port number."_s;
    const QString blankTimeOut =
        u"The server timeout can not be left blank.  Please enter a time in seconds."_s;
    const QString port = u"The SMTP Port must be a number from 0 to 32767.  Please enter the SMTP "
                         "port number."_s;
    const QString timeOut = u"The server timeout must be a number from 0 to 32767.  Please enter "
                            "a time in seconds."_s;
    const QString credential = QString::fromUtf16(kCredentialRefusal);
    const struct {
        const char *name;
        const char *box;
        QString text;
        QString message;
    } rows[] = {
        {"blank port", "txtSMTPPort", {}, blankPort},
        {"blank time-out", "txtServerTimeOut", {}, blankTimeOut},
        {"port above 32767", "txtSMTPPort", u"32768"_s, port},
        {"port that 16 bits would wrap to 4464", "txtSMTPPort", u"70000"_s, port},
        {"port past any integer", "txtSMTPPort", u"99999999999"_s, port},
        {"time-out that 16 bits would wrap to 64", "txtServerTimeOut", u"65600"_s, timeOut},
        {"user name of 64", "txtUserName", QString(64, u'u'), credential},
        {"password of 64", "txtPassword", QString(64, u'p'), credential},
        {"password outside Windows-1252", "txtPassword", u"pa\u0142s"_s, credential},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        frmAdvancedEmail dialog;
        dialog.show();
        auto *box = dialog.findChild<QLineEdit *>(QString::fromUtf8(row.box));
        box->setText(row.text);
        EXPECT_EQ(Click(dialog.OKButton), QList{Box(row.message)});
        EXPECT_TRUE(dialog.isVisible());
        ExpectMarked(box);
        EXPECT_EQ(SettingsFileBytes(), m_before);
    }

    // The number boxes take digits only, and a typed one clears the mark.
    frmAdvancedEmail dialog;
    dialog.show();
    dialog.txtSMTPPort->clear();
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
    QTest::keyClicks(dialog.txtSMTPPort, u"x-.2"_s);
    EXPECT_EQ(dialog.txtSMTPPort->text(), u"2"_s);
    EXPECT_FALSE(IsYellow(dialog.txtSMTPPort));
}

TEST_F(frmAdvancedEmailTest, CancelAndCloseBoxStoreNothing)
{
    for (const bool closeBox : {false, true}) {
        frmAdvancedEmail dialog;
        dialog.show();
        dialog.txtSMTPPort->setText(u"2525"_s);
        closeBox ? void(dialog.close()) : dialog.CancelButton->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(SettingsFileBytes(), m_before);
        EXPECT_EQ(Config().SMTPPort, 587) << closeBox;
    }
}

TEST_F(frmAdvancedEmailTest, AFailedSaveIsReportedAndTheDialogClosesAllTheSame)
{
    frmAdvancedEmail dialog;
    dialog.show();
    BlockSettingsFile();
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
    EXPECT_EQ(prompt.Messages(), QList{Box(u"Error saving SMTP advanced settings."_s)});
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(frmAdvancedEmailTest, AStoredValueTheControlsCannotShowStopsTheLoad)
{
    const std::function<void(ConfigRecord &)> spoils[] = {
        [](ConfigRecord &r) { r.AuthenticationMethod = u"XOAUTH"_s; },
        [](ConfigRecord &r) { r.UseStartTLS = 3; },
    };
    for (const auto &spoil : spoils) {
        Config() = m_saved;
        spoil(Config());
        ASSERT_TRUE(SaveConfiguration());
        frmAdvancedEmail dialog;
        EXPECT_EQ(Shown([&] { dialog.show(); }),
                  QList{Box(u"There was an error loading the the Advanced Email form.  The error "
                            "is Invalid property value."_s)});
        EXPECT_TRUE(dialog.isVisible() && dialog.txtUserName->text().isEmpty());
    }
}
