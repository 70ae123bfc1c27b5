#include "frmAdvancedEmail.h"
#include "DialogTest.h"

#include "WindowsColour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

class frmAdvancedEmailTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ConfigRecord &record = Config();
        record.SMTPPort = 587;
        record.SMTPTimeOut = 45;
        record.UseSSL = 0;
        record.UseStartTLS = 1;
        record.CloseSMTP = 1;
        record.UseAuthentication = 1;
        record.AuthenticationMethod = QStringLiteral("CRAM-MD5");
        record.SMTPUserName = QStringLiteral("  mailer ");
        record.SMTPPassword = QStringLiteral("p@ss");
        record.LoginDomain = QStringLiteral("office");
        record.OrgName = QStringLiteral("Cold Store");
        ASSERT_TRUE(SaveConfiguration());
        Config() = ConfigRecord();
    }

    static QColor Back(const QLineEdit *box) { return box->palette().color(QPalette::Base); }
};

} // namespace

TEST_F(frmAdvancedEmailTest, ShowsItsFixedTexts)
{
    frmAdvancedEmail dialog;
    const QStringList texts = FixedTexts(&dialog);
    for (const char *text :
         {"Internet Email Settings", "Outgoing Server", "SMTP Server",
          "My outgoing server (SMTP) requires authentication", "Log on using:", "User Name:",
          "Password:", "Windows domain for logging into the SMTP server (if required):",
          "Outgoing Server Port  ", "Outgoing Server Time Out (sec)   ",
          "Connect to the SMTP server via the SSL protocol (POP3 Encrypted)",
          "Check for TLS Encryption for SMTP", "Close SMTP connection after sending each email.",
          "OK", "Cancel"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    EXPECT_EQ(dialog.chkCloseSMTP->toolTip(),
              QStringLiteral("Some SMTP servers require that the SMTP connection be closed before "
                             "the email is sent. If you find that emails are not sent until you "
                             "close Vantrel then check this box."));
    QStringList methods;
    for (int i = 0; i < dialog.cmboAuthenticationMethod->count(); ++i)
        methods << dialog.cmboAuthenticationMethod->itemText(i);
    EXPECT_EQ(methods, (QStringList{QStringLiteral("LOGIN"), QStringLiteral("PLAIN"),
                                    QStringLiteral("CRAM-MD5"), QStringLiteral("NTLM"),
                                    QStringLiteral("NONE")}));
    EXPECT_FALSE(dialog.cmboAuthenticationMethod->isEditable());
    EXPECT_EQ(dialog.txtPassword->echoMode(), QLineEdit::Password);
}

TEST_F(frmAdvancedEmailTest, OpensWithTheSavedValuesNotUnsavedOnes)
{
    Config().SMTPPort = 2525; // changed in memory only
    frmAdvancedEmail dialog;
    dialog.show();
    EXPECT_EQ(dialog.txtSMTPPort->text(), QStringLiteral("587"));
    EXPECT_EQ(dialog.txtServerTimeOut->text(), QStringLiteral("45"));
    EXPECT_FALSE(dialog.chkSSL->isChecked());
    EXPECT_TRUE(dialog.chkTLS->isChecked());
    EXPECT_TRUE(dialog.chkCloseSMTP->isChecked());
    EXPECT_TRUE(dialog.chkAuthentication->isChecked());
    EXPECT_EQ(dialog.cmboAuthenticationMethod->currentText(), QStringLiteral("CRAM-MD5"));
    EXPECT_EQ(dialog.txtUserName->text(), QStringLiteral("mailer"));
    EXPECT_EQ(dialog.txtPassword->text(), QStringLiteral("p@ss"));
    EXPECT_EQ(dialog.txtLoginDomain->text(), QStringLiteral("office"));
    EXPECT_TRUE(dialog.txtUserName->isEnabled());
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmAdvancedEmailTest, AMethodNeverSetOpensAsLoginAndAfterValidationAsNone)
{
    Config() = ConfigRecord();
    Config().UseAuthentication = 1;
    ASSERT_TRUE(SaveConfiguration());
    {
        frmAdvancedEmail dialog;
        dialog.show();
        EXPECT_EQ(dialog.cmboAuthenticationMethod->currentText(), QStringLiteral("LOGIN"));
    }
    ValidateConfiguration();
    frmAdvancedEmail dialog;
    dialog.show();
    EXPECT_EQ(dialog.cmboAuthenticationMethod->currentText(), QStringLiteral("NONE"));
}

TEST_F(frmAdvancedEmailTest, UncheckingAuthenticationSelectsNoneAndGreysItsBoxes)
{
    frmAdvancedEmail dialog;
    dialog.show();
    QTest::mouseClick(dialog.chkAuthentication, Qt::LeftButton);
    EXPECT_EQ(dialog.cmboAuthenticationMethod->currentText(), QStringLiteral("NONE"));
    for (const QWidget *control :
         {static_cast<QWidget *>(dialog.cmboAuthenticationMethod),
          static_cast<QWidget *>(dialog.txtUserName), static_cast<QWidget *>(dialog.txtPassword)})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(dialog.txtLoginDomain->isEnabled());
    EXPECT_EQ(dialog.txtUserName->text(), QStringLiteral("mailer"));

    QTest::mouseClick(dialog.chkAuthentication, Qt::LeftButton);
    EXPECT_EQ(dialog.cmboAuthenticationMethod->currentText(), QStringLiteral("NONE"));
    EXPECT_TRUE(dialog.cmboAuthenticationMethod->isEnabled());
    EXPECT_TRUE(dialog.txtUserName->isEnabled());
}

TEST_F(frmAdvancedEmailTest, OkStoresItsFieldsAndKeepsTheOthers)
{
    frmAdvancedEmail dialog;
    dialog.show();
    dialog.txtSMTPPort->setText(QStringLiteral("0"));
    dialog.txtServerTimeOut->setText(QStringLiteral("32767"));
    QTest::mouseClick(dialog.chkSSL, Qt::LeftButton);
    QTest::mouseClick(dialog.chkAuthentication, Qt::LeftButton);
    dialog.txtPassword->setText(QString(63, u'x'));
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(prompt.Messages().isEmpty());
    const ConfigRecord saved = SavedRecord();
    EXPECT_EQ(saved.SMTPPort, 0);
    EXPECT_EQ(saved.SMTPTimeOut, 32767);
    EXPECT_EQ(saved.UseSSL, 1);
    EXPECT_EQ(saved.UseAuthentication, 0);
    EXPECT_EQ(ConfigText(saved.AuthenticationMethod), QStringLiteral("NONE"));
    EXPECT_EQ(ConfigText(saved.SMTPUserName), QStringLiteral("mailer"));
    EXPECT_EQ(ConfigText(saved.SMTPPassword), QString(63, u'x'));
    EXPECT_EQ(ConfigText(saved.OrgName), QStringLiteral("Cold Store"));
}

TEST_F(frmAdvancedEmailTest, OkRefusesWhatTheFieldsCannotHold)
{
    struct Row {
        const char *name;
        const char *box;
        QString text;
        QString message;
    };
    const QString portMessage = QStringLiteral(
        "The SMTP Port must be a number from 0 to 32767.  Please enter the SMTP port number.");
    const QString timeOutMessage = QStringLiteral("The server timeout must be a number from 0 to "
                                                  "32767.  Please enter a time in seconds.");
    const QString credentialMessage = QStringLiteral(
        "A user name or password can hold at most 63 characters, all of them from the Western "
        "European (Windows-1252) character set.  Please shorten it.");
    const Row rows[] = {
        {"blank port",
         "txtSMTPPort",
         {},
         QStringLiteral(
             "The SMTP Port can not be left blank.  Please enter the SMTP port number.")},
        {"blank time-out",
         "txtServerTimeOut",
         {},
         QStringLiteral("The server timeout can not be left blank.  Please enter a time in "
                        "seconds.")},
        {"port above 32767", "txtSMTPPort", QStringLiteral("32768"), portMessage},
        {"port far above", "txtSMTPPort", QStringLiteral("99999999999"), portMessage},
        {"time-out above 32767", "txtServerTimeOut", QStringLiteral("40000"), timeOutMessage},
        {"user name of 64", "txtUserName", QString(64, u'u'), credentialMessage},
        {"password of 64", "txtPassword", QString(64, u'p'), credentialMessage},
        {"password outside Windows-1252", "txtPassword", QStringLiteral("pa\u0142s"),
         credentialMessage},
    };
    const QByteArray before = SettingsFileBytes();
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        frmAdvancedEmail dialog;
        dialog.show();
        auto *box = dialog.findChild<QLineEdit *>(QString::fromUtf8(row.box));
        box->setText(row.text);
        const auto shown = prompt.Messages().size();
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
        ASSERT_EQ(prompt.Messages().size(), shown + 1);
        EXPECT_EQ(prompt.Messages().last(), Box(row.message));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(Back(box), WindowsColour(65535));
        EXPECT_EQ(dialog.focusWidget(), box);
        EXPECT_EQ(SettingsFileBytes(), before);
    }
}

TEST_F(frmAdvancedEmailTest, OnlyDigitsAreTypedAndADigitTurnsAMarkedBoxWhite)
{
    frmAdvancedEmail dialog;
    dialog.show();
    dialog.txtSMTPPort->clear();
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
    ASSERT_EQ(Back(dialog.txtSMTPPort), WindowsColour(65535));
    QTest::keyClicks(dialog.txtSMTPPort, QStringLiteral("x-."));
    EXPECT_TRUE(dialog.txtSMTPPort->text().isEmpty());
    EXPECT_EQ(Back(dialog.txtSMTPPort), WindowsColour(65535));
    QTest::keyClicks(dialog.txtSMTPPort, QStringLiteral("2"));
    EXPECT_EQ(Back(dialog.txtSMTPPort), WindowsColour(16777215));
}

TEST_F(frmAdvancedEmailTest, CancelAndCloseBoxStoreNothing)
{
    const QByteArray before = SettingsFileBytes();
    ASSERT_EQ(before.size(), 1557);
    for (const bool closeBox : {false, true}) {
        frmAdvancedEmail dialog;
        dialog.show();
        dialog.txtSMTPPort->setText(QStringLiteral("2525"));
        QTest::mouseClick(dialog.chkSSL, Qt::LeftButton);
        if (closeBox)
            dialog.close();
        else
            QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(SettingsFileBytes(), before);
        EXPECT_EQ(Config().SMTPPort, 587);
    }
}

TEST_F(frmAdvancedEmailTest, AFailedSaveIsReportedAndTheDialogClosesAllTheSame)
{
    frmAdvancedEmail dialog;
    dialog.show();
    // A folder where the file should be: it cannot be written.
    QFile::remove(File(QStringLiteral("VantrelConfig.dat")));
    ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("VantrelConfig.dat")));
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
    ASSERT_FALSE(prompt.Messages().isEmpty());
    EXPECT_EQ(prompt.Messages().last(),
              Box(QStringLiteral("Error saving SMTP advanced settings.")));
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(frmAdvancedEmailTest, AStoredValueTheControlsCannotShowStopsTheLoad)
{
    struct Row {
        const char *name;
        std::function<void(ConfigRecord &)> spoil;
    };
    const Row rows[] = {
        {"unknown method",
         [](ConfigRecord &r) { r.AuthenticationMethod = QStringLiteral("XOAUTH"); }},
        {"check value 3", [](ConfigRecord &r) { r.UseStartTLS = 3; }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        ReadConfiguration();
        row.spoil(Config());
        ASSERT_TRUE(SaveConfiguration());
        frmAdvancedEmail dialog;
        const auto shown = prompt.Messages().size();
        dialog.show();
        ASSERT_EQ(prompt.Messages().size(), shown + 1);
        EXPECT_EQ(prompt.Messages().last(),
                  Box(QStringLiteral("There was an error loading the the Advanced Email form.  The "
                                     "error is Invalid property value.")));
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.txtUserName->text().isEmpty());
        ReadConfiguration();
        Config().AuthenticationMethod = QStringLiteral("CRAM-MD5");
        Config().UseStartTLS = 1;
        ASSERT_TRUE(SaveConfiguration());
    }
}
