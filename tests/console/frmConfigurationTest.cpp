#include "frmConfiguration.h"
#include "DialogTest.h"
#include "frmAdvancedEmail.h"
#include "frmBrowse.h"

#include "Mail.h"
#include "SettingsRules.h"
#include "SmtpServer.h"
#include "StatusBoard.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace {

const QString kSaved = u"Configuration parameters have been saved"_s;

class frmConfigurationTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ConfigRecord &r = Config();
        r.OrgName = u"  Cold Store "_s;
        r.OrgAddress = u"1 Quay Road"_s;
        r.OrgPhoneNumber = u"555 0100"_s;
        r.PrinterName = u"No Printer Selected"_s;
        r.AutoPrintReport = u"No"_s;
        r.TimeToPrint = u"11"_s;
        r.TimeToPrintAMPM = u"PM"_s;
        r.SMTPHost = u"127.0.0.1"_s;
        r.FromAddress = u"station@cold.example"_s;
        r.ServerFailureEmailAddress = u"admin@cold.example"_s;
        r.AdminUserName = u"admin"_s;
        r.AdminPassword = u"Secret1"_s;
        r.CommunicationRetry = 3;
        r.TCPTimeOut = 2;
        r.UpdateRate = 60;
        r.OKHour = 10;
        r.OKHourAMPM = 1;
        r.ReminderIndex = 2;
        r.StatusGridColour = 1;
        r.SystemOKEmail = 1;
        r.PopUps = 1;
        r.EnableTrending = 0;
        r.AlarmEmailSubjectLine = u"Alarm"_s;
        r.LogDir = u"/srv/Logs"_s;
        ValidateConfiguration();
        ASSERT_TRUE(SaveConfiguration());
        Polling().LogDirectory = ConfigText(r.LogDir);
        m_before = SettingsFileBytes();
        ASSERT_EQ(m_before.size(), 1557);
    }

    const Prompt::Message kDiscard =
        Box(u"You have made changes to the settings without saving them.  Do you wish to discard "
            "your changes?\r\rClick Yes to discard changes.\rTo save changes, click No and then "
            "click Apply before closing this window"_s,
            Prompt::Buttons::YesNo, Prompt::Icon::Critical, u"Settings have changed"_s);

    QByteArray m_before;
};

} // namespace

TEST_F(frmConfigurationTest, ShowsItsFixedTexts)
{
    frmConfiguration dialog;
    ExpectTexts(
        &dialog,
        "Vantrel Configuration\nApply\nClose\nAdvanced\nClear\nName\nAddress\nPhone Number\n"
        "Network|Alarm Email Setup|Organization Info|Trending|Data Logging|Administrator\n"
        "Number of times to try to communicate with a Kaltvane device.\n"
        "(Enter a value from 1 to 9)\nNetwork communication time out. \n(sec)\n"
        "Outgoing mail server (SMTP host), for example mail.example.com\n"
        "From Address (valid email address)\nAdministrator Email Address\n"
        "The User Name is the email address from which all device and alarm emails are "
        "sent.  The User Name must be entered.\n"
        "Send a daily email to the Administrator Email Address to confirm software is up "
        "an running at:\nAM|PM\nNever|30 Minutes|60 Minutes|90 Minutes|120 Minutes\n"
        "Send an alarm reminder email to each of the email addresses programmed for each "
        "server\nSubject line for alarm emails\n"
        "Send a test email to Administrator Email Address\nOrganization Information\n"
        "Enable data trending\nUpdate data readings every\n"
        "(sec. Minimum update rate is 5 seconds)\nStatus Grid background color\n"
        "White|Yellow|Blue/White/Bold\nEnable alarm popups notifications.  A popup will be "
        "shown every update whenever a sensor is in alarm\nChange Log File Location\n"
        "User Name\nPassword\nConfirm Password\n"
        "Do not prompt user user to confirm shutting down Vantrel\n"
        "To prevent unauthorized access to Vantrel Setup and Configuration screens, enter "
        "a user name and password and then click the Apply button.  The user name and "
        "password will be required to access these features.\n"
        "To disable having to log in, click the Clear button and then click the Apply "
        "button.\nVantrel will send an email to the administrator email addresses if "
        "there is no response from a server.  To send to multiple address, separate the "
        "addresses with a comma.   \nThe more sensors in the system the more difficult "
        "it will be to read the trending chart.     \nAuto Report Options\nNo|Yes\n"
        "Automatically send reports to printer at the end of each month?\n"
        "Print the monthly reports at this time:\nPrint to this printer:\n"
        "No Printer Selected\nChange Printer\nClick to save changes.\n"
        "Click this button to change the directory where the log files are written.\n"
        "Leave unchecked if you want to be prompted prior to shutting down Vantrel");
    dialog.show();
    EXPECT_FALSE(dialog.Frame2->isVisible());
    EXPECT_EQ(dialog.txtPW[0]->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.txtPW[1]->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmConfigurationTest, AStoredListPositionTheListLacksStopsTheLoad)
{
    Config().ReminderIndex = 7;
    Config().StatusGridColour = 2;
    frmConfiguration dialog;
    EXPECT_EQ(prompt.Messages(), QList{Box(u"Error reading configuration file.  Please verify "
                                           "settings.  The error is Invalid property value"_s)});
    EXPECT_EQ(dialog.cmboStatusGrid->currentIndex(), 0);
}

TEST_F(frmConfigurationTest, ApplySavesWhatItLoadedAndWhatWasTyped)
{
    StatusBoard board;
    board.Append(u"Update Rate 60 seconds"_s);
    InstallStatusBoard(&board);
    frmConfiguration dialog;
    dialog.show();
    EXPECT_EQ(dialog.SSTab->currentIndex(), 0);
    EXPECT_EQ(dialog.lblLogDir->text(), u"Current Log File Location: /srv/Logs"_s);
    EXPECT_EQ(dialog.txtOrgName->text(), u"Cold Store"_s);
    EXPECT_TRUE(dialog.lblEnableTrending->isHidden());
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    EXPECT_EQ(prompt.Messages(), QList{Box(kSaved)});
    EXPECT_TRUE(board.Lines().isEmpty());
    QByteArray expected = m_before;
    EXPECT_EQ(SettingsFileBytes(),
              expected.replace(104, 51, QByteArray("Cold Store").leftJustified(51, ' ')));

    Retype(dialog.txtOrgName, u" Cold Store North "_s);
    Retype(dialog.txtAlarmEmailSubjectLine, u"  Freezer alarm  "_s);
    Retype(dialog.txtUpdateRate, u"5"_s);
    Retype(dialog.txtOKHour, u"12"_s);
    dialog.cmboAMPM->setCurrentIndex(0);
    dialog.cmboReminder->setEditText(u"45 Minutes"_s);
    QTest::mouseClick(dialog.chkEnableTrending, Qt::LeftButton);
    EXPECT_FALSE(dialog.lblEnableTrending->isHidden());
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    EXPECT_TRUE(dialog.btnApply->isEnabled());
    const QByteArray after = SettingsFileBytes();
    ASSERT_EQ(after.size(), 1557);
    EXPECT_EQ(after.mid(104, 51), QByteArray(" Cold Store North").leftJustified(51, ' '));
    EXPECT_EQ(after.mid(1503, 40), QByteArray("Freezer alarm").leftJustified(40, ' '));
    EXPECT_EQ(after.mid(534, 2), QByteArray("AM"));
    const ConfigRecord saved = SavedRecord();
    EXPECT_EQ((QList<int>{saved.UpdateRate, saved.OKHour, saved.OKHourAMPM, saved.ReminderIndex,
                          saved.EnableTrending}),
              (QList<int>{5, 12, 0, -1, 1}));

    BlockSettingsFile();
    EXPECT_EQ(Click(dialog.btnApply),
              QList{Box(u"Error saving configuration file.  Please verify that hard drive is not "
                        "write protected."_s)});
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(frmConfigurationTest, ApplyRefusesWhatItCannotTake)
{
    const QString blank = u"Please do not leave any option blank"_s;
    const QString rate = u"The minimum update rate is 5 seconds.  Please adjust the update rate."_s;
    const QString hour = u"Please enter an hour between 1 and 12."_s;
    const QString credential = QString::fromUtf16(kCredentialRefusal);
    const QString u64(64, u'u'), p64(64, u'p');
    const struct {
        const char *name;
        QList<std::pair<const char *, QString>> edits;
        QString message;
        QString marked; // null, or the text the first edited box is left with, marked yellow
    } rows[] = {
        {"update rate 4", {{"txtUpdateRate", u"4"_s}}, rate, u"5"_s},
        {"hour 0", {{"txtOKHour", u"0"_s}}, hour, u"0"_s},
        {"hour 13", {{"txtOKHour", u"13"_s}}, hour, u"13"_s},
        {"empty update rate", {{"txtUpdateRate", {}}}, blank, {}},
        {"empty retries", {{"txtCommunicationRetry", {}}}, blank, {}},
        {"empty hour", {{"txtOKHour", {}}}, blank, {}},
        {"update rate above 32767", {{"txtUpdateRate", u"32768"_s}}, blank, {}},
        {"user name of 64", {{"txtUN", u64}}, credential, u64},
        {"password of 64", {{"txtPW(0)", p64}, {"txtPW(1)", p64}}, credential, p64},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        frmConfiguration dialog;
        dialog.show();
        for (const auto &[name, text] : row.edits)
            dialog.findChild<QLineEdit *>(QString::fromUtf8(name))->setText(text);
        EXPECT_EQ(Click(dialog.btnApply), QList{Box(row.message)});
        EXPECT_TRUE(dialog.btnApply->isEnabled());
        EXPECT_EQ(SettingsFileBytes(), m_before);
        if (!row.marked.isNull()) {
            const auto *box = dialog.findChild<QLineEdit *>(QString::fromUtf8(row.edits[0].first));
            ExpectMarked(box);
            EXPECT_EQ(box->text(), row.marked);
        }
    }
}

// With every check failing at once, each Apply stops at the first in order; the update rate
// box is reset by its own refusal.
TEST_F(frmConfigurationTest, ApplyChecksInTheirOrder)
{
    frmConfiguration dialog;
    dialog.show();
    dialog.txtPW[1]->setText(u"other"_s);
    dialog.txtUpdateRate->setText(u"4"_s);
    dialog.txtOKHour->setText(u"13"_s);
    dialog.txtServerFailureEmailAddress->setText(u"nobody"_s);
    EXPECT_EQ(Click(dialog.btnApply), QList{Box(u"The passwords do not match."_s)});
    dialog.txtPW[1]->setText(dialog.txtPW[0]->text());
    EXPECT_EQ(
        Click(dialog.btnApply),
        QList{Box(u"The minimum update rate is 5 seconds.  Please adjust the update rate."_s)});
    EXPECT_EQ(Click(dialog.btnApply), QList{Box(u"Please enter an hour between 1 and 12."_s)});
    dialog.txtOKHour->setText(u"12"_s);
    prompt.Queue(Prompt::Answer::No);
    EXPECT_EQ(Click(dialog.btnApply), QList{Box(u"Is nobody a valid email address?"_s,
                                                Prompt::Buttons::YesNo, Prompt::Icon::Question)});
    EXPECT_EQ(SettingsFileBytes(), m_before);
}

TEST_F(frmConfigurationTest, ANewPasswordIsConfirmedOnlyWithAUserName)
{
    frmConfiguration dialog;
    dialog.show();
    QTest::keyClicks(dialog.txtPW[0], u"n"_s);
    EXPECT_TRUE(dialog.txtPW[1]->text().isEmpty());
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);

    QTest::mouseClick(dialog.btnClearUNPW, Qt::LeftButton);
    EXPECT_EQ(dialog.txtUN->text() + dialog.txtPW[0]->text() + dialog.txtPW[1]->text(), QString());
    dialog.txtPW[0]->setText(u"one"_s);
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    EXPECT_EQ(prompt.Messages(), (QList{Box(u"The passwords do not match."_s), Box(kSaved)}));
    const ConfigRecord saved = SavedRecord();
    EXPECT_EQ(ConfigText(saved.AdminUserName), QString());
    EXPECT_EQ(ConfigText(saved.AdminPassword), u"one"_s);
}

TEST_F(frmConfigurationTest, AnAddressWithoutStopOrAtSignIsQuestioned)
{
    const struct {
        QString address;
        std::optional<Prompt::Answer> answer; // none: no question expected
    } rows[] = {{u"admin.cold.example"_s, Prompt::Answer::No},
                {u"admin@localhost"_s, Prompt::Answer::Yes},
                {{}, std::nullopt}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.address.toStdString());
        frmConfiguration dialog;
        dialog.show();
        dialog.txtServerFailureEmailAddress->setText(row.address);
        QList<Prompt::Message> expected;
        if (row.answer) {
            prompt.Queue(*row.answer);
            expected << Box(u"Is "_s + row.address + u" a valid email address?"_s,
                            Prompt::Buttons::YesNo, Prompt::Icon::Question);
        }
        const bool saved = row.answer != Prompt::Answer::No;
        if (saved)
            expected << Box(kSaved);
        EXPECT_EQ(Click(dialog.btnApply), expected);
        EXPECT_EQ(dialog.SSTab->currentIndex() == 1 &&
                      dialog.focusWidget() == dialog.txtServerFailureEmailAddress,
                  row.answer.has_value());
        EXPECT_EQ(ConfigText(SavedRecord().ServerFailureEmailAddress),
                  saved ? row.address : u"admin@cold.example"_s);
    }
}

TEST_F(frmConfigurationTest, ClosingAfterTypingAsksEvenAfterAMessageBox)
{
    frmConfiguration dialog;
    dialog.show();
    QTest::keyClicks(dialog.txtHost, u".net"_s);
    // A refused Apply shows a message box; closing it is no activation of the dialog.
    dialog.txtPW[1]->setText(u"other"_s);
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);

    prompt.Queue(Prompt::Answer::No);
    QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    QTest::keyClick(dialog.txtHost, Qt::Key_Escape); // no cancel button: Esc closes nothing
    EXPECT_TRUE(dialog.isVisible());
    dialog.close(); // the close box, answered Yes
    EXPECT_EQ(prompt.Messages(),
              (QList{Box(u"The passwords do not match."_s), kDiscard, kDiscard}));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(SettingsFileBytes(), m_before);
}

TEST_F(frmConfigurationTest, ClosingWithoutTypedChangesDoesNotAsk)
{
    frmConfiguration d;
    const auto closesWithoutAsking = [&](const char *after) {
        EXPECT_EQ(Click(d.btnClose), QList<Prompt::Message>()) << after;
        EXPECT_FALSE(d.isVisible()) << after;
        d.show();
    };
    d.show();
    closesWithoutAsking("nothing typed");
    QTest::keyClicks(d.txtHost, u"x"_s);
    QTest::mouseClick(d.btnApply, Qt::LeftButton);
    closesWithoutAsking("saved");
    for (QLineEdit *box : {d.txtUN, d.txtOKHour, d.txtAlarmEmailSubjectLine})
        Retype(box, u"1"_s);
    QTest::mouseClick(d.chkPopUps, Qt::LeftButton);
    closesWithoutAsking("boxes that do not count");
    for (QLineEdit *box :
         {d.txtCommunicationRetry, d.txtTCPTimeOut, d.txtUpdateRate, d.txtOKHour}) {
        box->clear();
        QTest::keyClicks(box, u"a.-"_s);
        EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    }
    closesWithoutAsking("letters the number boxes drop");
    QTest::keyClicks(d.txtOrgAddress, u"x"_s);
    OnNextModal(
        [](QWidget *modal) { qobject_cast<frmAdvancedEmail *>(modal)->CancelButton->click(); });
    QTest::mouseClick(d.btnAdvanced, Qt::LeftButton);
    closesWithoutAsking("back from the advanced dialog");
}

// No button is a default one: Enter in a box neither sends a test e-mail nor saves, here or
// in the advanced dialog; it clicks only a button that has the focus.
TEST_F(frmConfigurationTest, EnterInABoxClicksNoButton)
{
    const auto pressEnterInEveryBox = [this](const QWidget *page) {
        for (QLineEdit *box : page->findChildren<QLineEdit *>()) {
            EXPECT_EQ(Shown([box] { QTest::keyClick(box, Qt::Key_Return); }),
                      QList<Prompt::Message>())
                << box->objectName().toStdString();
            EXPECT_TRUE(page->window()->isVisible()) << box->objectName().toStdString();
        }
    };
    frmConfiguration dialog;
    dialog.show();
    for (int tab = 0; tab < dialog.SSTab->count(); ++tab) {
        dialog.SSTab->setCurrentIndex(tab); // a default button only counts while it shows
        pressEnterInEveryBox(dialog.SSTab->widget(tab));
    }
    OnNextModal([&](QWidget *modal) {
        pressEnterInEveryBox(modal);
        qobject_cast<frmAdvancedEmail *>(modal)->CancelButton->click();
    });
    QTest::mouseClick(dialog.btnAdvanced, Qt::LeftButton);
    EXPECT_EQ(SettingsFileBytes(), m_before);

    dialog.btnClose->setFocus();
    QTest::keyClick(dialog.btnClose, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(frmConfigurationTest, TheLogFolderComesFromThePickerAndIsSavedByApply)
{
    const QString chosen = Folder() + u"/Backup Logs"_s;
    ASSERT_TRUE(QDir().mkpath(chosen));
    frmConfiguration dialog;
    dialog.show();
    OnNextModal([chosen](QWidget *modal) {
        auto *picker = qobject_cast<frmBrowse *>(modal);
        ASSERT_NE(picker, nullptr);
        picker->Dir1->SetPath(chosen);
        picker->OKButton->click();
    });
    QTest::mouseClick(dialog.btnLogDir, Qt::LeftButton);
    EXPECT_EQ(dialog.lblLogDir->text(), u"Current Log File Location: "_s + chosen);
    EXPECT_EQ(Polling().LogDirectory, chosen);
    EXPECT_EQ(SettingsFileBytes(), m_before);

    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    EXPECT_EQ(SettingsFileBytes().mid(1399, 100), chosen.toLatin1().leftJustified(100, ' '));

    OnNextModal([](QWidget *modal) { qobject_cast<frmBrowse *>(modal)->CancelButton->click(); });
    QTest::mouseClick(dialog.btnLogDir, Qt::LeftButton);
    EXPECT_EQ(Polling().LogDirectory, chosen);
}

TEST_F(frmConfigurationTest, TestEmailGoesThroughTheTypedHostFromTheSavedSender)
{
    SmtpServer &server = SmtpServer::Shared();
    ASSERT_TRUE(server.IsRunning()) << server.StartError().toStdString();
    server.Clear();
    // Saved: no host, so only the typed host can work.
    Config().SMTPHost = QString();
    Config().SMTPPort = qint16(server.Port(u"noauth"_s));
    Config().SMTPTimeOut = 5;
    ASSERT_TRUE(SaveConfiguration());
    TheMailClient().CaFile = server.CaFile();
    const auto disconnect = qScopeGuard([] { TheMailClient().CloseConnection(); });

    frmConfiguration dialog;
    dialog.show();
    for (const auto &[box, kept] : {std::pair{dialog.txtHost, u"127.0.0.1"_s},
                                    {dialog.txtFromAddress, dialog.txtFromAddress->text()}}) {
        box->setText(u"   "_s);
        QTest::mouseClick(dialog.btnTestEmail, Qt::LeftButton);
        EXPECT_TRUE(box->text().isEmpty() && IsYellow(box)) << box->objectName().toStdString();
        box->setText(kept);
    }
    EXPECT_EQ(prompt.Messages(), (QList{Box(u"Please enter a valid SMTP host address"_s),
                                        Box(u"Please enter a from address"_s)}));
    Retype(dialog.txtHost, u" 127.0.0.1 "_s);
    EXPECT_FALSE(IsYellow(dialog.txtHost));
    Retype(dialog.txtFromAddress, u"typed@cold.example"_s);
    Retype(dialog.txtServerFailureEmailAddress, u"ops@cold.example "_s);
    EXPECT_EQ(Click(dialog.btnTestEmail),
              QList{Box(u"A test email has been successfully sent to ops@cold.example  using mail "
                        "server  127.0.0.1 "_s)});
    const QList<ReceivedMail> mails = server.Messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].mailFrom, u"station@cold.example"_s);
    EXPECT_EQ(mails[0].rcptTos, QStringList{u"ops@cold.example"_s});
    for (const QPushButton *button : {dialog.btnTestEmail, dialog.btnApply, dialog.btnClose})
        EXPECT_TRUE(button->isEnabled());

    Config().SMTPPort = qint16(SmtpServer::ClosedPort());
    const auto failed = Click(dialog.btnTestEmail);
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(failed[0].text.startsWith(u"Failed to send email to 'ops@cold.example '. The "
                                          "error is: "_s) &&
                failed[0].text.contains(u"Couldn't connect"_s))
        << failed[0].text.toStdString();
    EXPECT_EQ(server.Messages().size(), 1);
}
