#include "frmConfiguration.h"
#include "DialogTest.h"
#include "frmAdvancedEmail.h"
#include "frmBrowse.h"

#include "Mail.h"
#include "SmtpServer.h"
#include "StatusBoard.h"
#include "WindowsColour.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString kSaved = QStringLiteral("Configuration parameters have been saved");

class frmConfigurationTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        ConfigRecord &r = Config();
        r.OrgName = QStringLiteral("  Cold Store ");
        r.SMTPHost = QStringLiteral("mail.cold.example");
        r.FromAddress = QStringLiteral("station@cold.example");
        r.ServerFailureEmailAddress = QStringLiteral("admin@cold.example");
        r.AdminUserName = QStringLiteral("admin");
        r.AdminPassword = QStringLiteral("Secret1");
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
        r.AlarmEmailSubjectLine = QStringLiteral("Alarm");
        r.LogDir = QStringLiteral("/srv/Logs");
        ValidateConfiguration();
        ASSERT_TRUE(SaveConfiguration());
        Polling().LogDirectory = ConfigText(r.LogDir);
        m_before = SettingsFileBytes();
        ASSERT_EQ(m_before.size(), 1557);
    }

    static QColor Back(const QLineEdit *box) { return box->palette().color(QPalette::Base); }

    static void Retype(QLineEdit *box, const QString &text)
    {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }

    static QStringList Entries(const QComboBox *list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        return texts;
    }

    const Prompt::Message kDiscard = Box(
        QStringLiteral("You have made changes to the settings without saving them.  Do you "
                       "wish to discard your changes?\r\rClick Yes to discard changes.\rTo save "
                       "changes, click No and then click Apply before closing this window"),
        Prompt::Buttons::YesNo, Prompt::Icon::Critical, QStringLiteral("Settings have changed"));

    QByteArray m_before;
};

} // namespace

TEST_F(frmConfigurationTest, ShowsItsFixedTexts)
{
    frmConfiguration dialog;
    const QStringList texts = FixedTexts(&dialog);
    for (const char *text : {
             "Vantrel Configuration",
             "Apply",
             "Close",
             "Number of times to try to communicate with a Kaltvane device.",
             "(Enter a value from 1 to 9)",
             "Network communication time out. ",
             "(sec)",
             "From Address (valid email address)",
             "Administrator Email Address",
             "Send a daily email to the Administrator Email Address to confirm software is up an "
             "running at:",
             "Send an alarm reminder email to each of the email addresses programmed for each "
             "server",
             "Subject line for alarm emails",
             "Send a test email to Administrator Email Address",
             "Advanced",
             "Organization Information",
             "Name",
             "Address",
             "Phone Number",
             "Enable data trending",
             "Update data readings every",
             "(sec. Minimum update rate is 5 seconds)",
             "Status Grid background color",
             "Enable alarm popups notifications.  A popup will be shown every update whenever a "
             "sensor is in alarm",
             "Change Log File Location",
             "User Name",
             "Password",
             "Confirm Password",
             "Clear",
             "Do not prompt user user to confirm shutting down Vantrel",
             "To prevent unauthorized access to Vantrel Setup and Configuration screens, enter a "
             "user name and password and then click the Apply button.  The user name and password "
             "will be required to access these features.",
             "To disable having to log in, click the Clear button and then click the Apply button.",
             "Vantrel will send an email to the administrator email addresses if there is no "
             "response from a server.  To send to multiple address, separate the addresses with a "
             "comma.   ",
             "The more sensors in the system the more difficult it will be to read the trending "
             "chart.     ",
             "Auto Report Options",
             "Automatically send reports to printer at the end of each month?",
             "Print the monthly reports at this time:",
             "Print to this printer:",
             "No Printer Selected",
             "Change Printer",
         })
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;

    QStringList tabs;
    for (int i = 0; i < dialog.SSTab->count(); ++i)
        tabs << dialog.SSTab->tabText(i);
    EXPECT_EQ(tabs, (QStringList{u"Network"_s, u"Alarm Email Setup"_s, u"Organization Info"_s,
                                 u"Trending"_s, u"Data Logging"_s, u"Administrator"_s}));
    EXPECT_EQ(Entries(dialog.cmboAMPM), (QStringList{u"AM"_s, u"PM"_s}));
    EXPECT_EQ(Entries(dialog.cmboReminder),
              (QStringList{u"Never"_s, u"30 Minutes"_s, u"60 Minutes"_s, u"90 Minutes"_s,
                           u"120 Minutes"_s}));
    EXPECT_EQ(Entries(dialog.cmboStatusGrid),
              (QStringList{u"White"_s, u"Yellow"_s, u"Blue/White/Bold"_s}));
    EXPECT_EQ(Entries(dialog.cmboAutoPrintReport), (QStringList{u"No"_s, u"Yes"_s}));
    EXPECT_EQ(dialog.btnApply->toolTip(), QStringLiteral("Click to save changes."));
    EXPECT_EQ(dialog.btnLogDir->toolTip(),
              QStringLiteral("Click this button to change the directory where the log files are "
                             "written."));
    EXPECT_EQ(dialog.chkConfirmShutdown->toolTip(),
              QStringLiteral("Leave unchecked if you want to be prompted prior to shutting down "
                             "Vantrel"));
    dialog.show();
    EXPECT_FALSE(dialog.Frame2->isVisible());
    EXPECT_EQ(dialog.txtPW[0]->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.txtPW[1]->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmConfigurationTest, LoadsTheRecordIntoItsControls)
{
    frmConfiguration dialog;
    dialog.show();
    EXPECT_EQ(dialog.SSTab->currentIndex(), 0);
    EXPECT_EQ(dialog.lblLogDir->text(), QStringLiteral("Current Log File Location: /srv/Logs"));
    EXPECT_EQ(dialog.txtOrgName->text(), QStringLiteral("Cold Store"));
    EXPECT_EQ(dialog.txtUN->text(), QStringLiteral("admin"));
    EXPECT_EQ(dialog.txtPW[0]->text(), QStringLiteral("Secret1"));
    EXPECT_EQ(dialog.txtPW[1]->text(), QStringLiteral("Secret1"));
    EXPECT_EQ(dialog.txtCommunicationRetry->text(), QStringLiteral("3"));
    EXPECT_EQ(dialog.txtUpdateRate->text(), QStringLiteral("60"));
    EXPECT_EQ(dialog.txtOKHour->text(), QStringLiteral("10"));
    EXPECT_EQ(dialog.cmboAMPM->currentText(), QStringLiteral("PM"));
    EXPECT_EQ(dialog.cmboReminder->currentText(), QStringLiteral("60 Minutes"));
    EXPECT_EQ(dialog.cmboStatusGrid->currentText(), QStringLiteral("Yellow"));
    EXPECT_TRUE(dialog.chkSystemOKEmail->isChecked());
    EXPECT_TRUE(dialog.chkPopUps->isChecked());
    EXPECT_FALSE(dialog.chkEnableTrending->isChecked());
    EXPECT_FALSE(dialog.lblEnableTrending->isVisible());
    QTest::mouseClick(dialog.chkEnableTrending, Qt::LeftButton);
    dialog.SSTab->setCurrentIndex(3);
    EXPECT_TRUE(dialog.lblEnableTrending->isVisible());
}

TEST_F(frmConfigurationTest, AStoredListPositionTheListLacksStopsTheLoad)
{
    Config().ReminderIndex = 7;
    Config().StatusGridColour = 2;
    frmConfiguration dialog;
    ASSERT_EQ(prompt.Messages().size(), 1);
    EXPECT_EQ(prompt.Messages()[0],
              Box(QStringLiteral("Error reading configuration file.  Please verify settings.  The "
                                 "error is Invalid property value")));
    EXPECT_EQ(dialog.cmboStatusGrid->currentIndex(), 0);
}

TEST_F(frmConfigurationTest, ApplySavesTheWholeRecord)
{
    PlainStatusBoard board;
    board.AppendLine(QStringLiteral("Update Rate 60 seconds"));
    InstallStatusBoard(&board);
    frmConfiguration dialog;
    dialog.show();
    Retype(dialog.txtOrgName, QStringLiteral(" Cold Store North "));
    Retype(dialog.txtAlarmEmailSubjectLine, QStringLiteral("  Freezer alarm  "));
    Retype(dialog.txtUpdateRate, QStringLiteral("5"));
    Retype(dialog.txtOKHour, QStringLiteral("12"));
    dialog.cmboAMPM->setCurrentIndex(0);
    dialog.cmboReminder->setEditText(QStringLiteral("45 Minutes"));
    QTest::mouseClick(dialog.chkEnableTrending, Qt::LeftButton);
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);

    ASSERT_EQ(prompt.Messages().size(), 1);
    EXPECT_EQ(prompt.Messages()[0], Box(kSaved));
    EXPECT_EQ(board.LineCount(), 0);
    EXPECT_TRUE(dialog.btnApply->isEnabled());
    EXPECT_EQ(Back(dialog.txtOKHour), WindowsColour(16777215));
    const QByteArray after = SettingsFileBytes();
    ASSERT_EQ(after.size(), 1557);
    EXPECT_EQ(after.mid(104, 51), QByteArray(" Cold Store North").leftJustified(51, ' '));
    EXPECT_EQ(after.mid(1503, 40), QByteArray("Freezer alarm").leftJustified(40, ' '));
    EXPECT_EQ(after.mid(425, 100), QByteArray("No Printer Selected").leftJustified(100, ' '));
    EXPECT_EQ(after.mid(534, 2), QByteArray("AM"));
    EXPECT_EQ(after.mid(1399, 100), QByteArray("/srv/Logs").leftJustified(100, ' '));
    const ConfigRecord saved = SavedRecord();
    EXPECT_EQ(saved.UpdateRate, 5);
    EXPECT_EQ(saved.OKHour, 12);
    EXPECT_EQ(saved.OKHourAMPM, 0);
    EXPECT_EQ(saved.ReminderIndex, -1);
    EXPECT_EQ(saved.EnableTrending, 1);
    EXPECT_EQ(ConfigText(saved.AdminPassword), QStringLiteral("Secret1"));
}

TEST_F(frmConfigurationTest, ApplyRefusesWhatItCannotTake)
{
    struct Row {
        const char *name;
        std::function<void(frmConfiguration &)> edit;
        QString message;
        const char *marked; // the box turned yellow, if any
        const char *boxText;
    };
    const QString blank = QStringLiteral("Please do not leave any option blank");
    const QString credential = QStringLiteral(
        "A user name or password can hold at most 63 characters, all of them from the Western "
        "European (Windows-1252) character set.  Please shorten it.");
    const QString hour = QStringLiteral("Please enter an hour between 1 and 12.");
    const Row rows[] = {
        {"passwords differ", [](frmConfiguration &d) { d.txtPW[1]->setText(QStringLiteral("x")); },
         QStringLiteral("The passwords do not match."), "", ""},
        {"update rate 4",
         [](frmConfiguration &d) { d.txtUpdateRate->setText(QStringLiteral("4")); },
         QStringLiteral("The minimum update rate is 5 seconds.  Please adjust the update rate."),
         "txtUpdateRate", "5"},
        {"hour 0", [](frmConfiguration &d) { d.txtOKHour->setText(QStringLiteral("0")); }, hour,
         "txtOKHour", "0"},
        {"hour 13", [](frmConfiguration &d) { d.txtOKHour->setText(QStringLiteral("13")); }, hour,
         "txtOKHour", "13"},
        {"empty update rate", [](frmConfiguration &d) { d.txtUpdateRate->clear(); }, blank, "", ""},
        {"empty retries", [](frmConfiguration &d) { d.txtCommunicationRetry->clear(); }, blank, "",
         ""},
        {"empty hour", [](frmConfiguration &d) { d.txtOKHour->clear(); }, blank, "", ""},
        {"update rate above 32767",
         [](frmConfiguration &d) { d.txtUpdateRate->setText(QStringLiteral("32768")); }, blank, "",
         ""},
        {"user name of 64", [](frmConfiguration &d) { d.txtUN->setText(QString(64, u'u')); },
         credential, "txtUN", "uuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuuu"},
        {"password of 64",
         [](frmConfiguration &d) {
             d.txtPW[0]->setText(QString(64, u'p'));
             d.txtPW[1]->setText(QString(64, u'p'));
         },
         credential, "txtPW(0)",
         "pppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppppp"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        frmConfiguration dialog;
        dialog.show();
        row.edit(dialog);
        const auto shown = prompt.Messages().size();
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
        ASSERT_EQ(prompt.Messages().size(), shown + 1);
        EXPECT_EQ(prompt.Messages().last(), Box(row.message));
        EXPECT_TRUE(dialog.btnApply->isEnabled());
        EXPECT_EQ(SettingsFileBytes(), m_before);
        if (*row.marked) {
            auto *box = dialog.findChild<QLineEdit *>(QString::fromUtf8(row.marked));
            EXPECT_EQ(Back(box), WindowsColour(65535));
            EXPECT_EQ(dialog.focusWidget(), box);
            EXPECT_EQ(box->text(), QString::fromUtf8(row.boxText));
        }
    }
}

TEST_F(frmConfigurationTest, PasswordsAreNotComparedWithoutAUserName)
{
    frmConfiguration dialog;
    dialog.show();
    QTest::mouseClick(dialog.btnClearUNPW, Qt::LeftButton);
    EXPECT_TRUE(dialog.txtUN->text().isEmpty());
    EXPECT_TRUE(dialog.txtPW[0]->text().isEmpty());
    EXPECT_TRUE(dialog.txtPW[1]->text().isEmpty());
    dialog.txtPW[0]->setText(QStringLiteral("one"));
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    EXPECT_EQ(prompt.Texts(), QStringList{kSaved});
    const ConfigRecord saved = SavedRecord();
    EXPECT_EQ(ConfigText(saved.AdminUserName), QString());
    EXPECT_EQ(ConfigText(saved.AdminPassword), QStringLiteral("one"));
}

TEST_F(frmConfigurationTest, AnAddressWithoutStopOrAtSignIsQuestioned)
{
    struct Row {
        const char *name;
        const char *address;
        std::optional<Prompt::Answer> answer; // none: no question expected
        bool saved;
    };
    const Row rows[] = {
        {"no at sign, No", "admin.cold.example", Prompt::Answer::No, false},
        {"no full stop, Yes", "admin@localhost", Prompt::Answer::Yes, true},
        {"both", "ops@cold.example", std::nullopt, true},
        {"empty", "", std::nullopt, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        frmConfiguration dialog;
        dialog.show();
        const QString address = QString::fromUtf8(row.address);
        dialog.txtServerFailureEmailAddress->setText(address);
        if (row.answer)
            prompt.Queue(*row.answer);
        const auto shown = prompt.Messages().size();
        QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
        const auto messages = prompt.Messages().mid(shown);
        if (row.answer) {
            ASSERT_GE(messages.size(), 1);
            EXPECT_EQ(messages[0], Box(QStringLiteral("Is ") + address +
                                           QStringLiteral(" a valid email address?"),
                                       Prompt::Buttons::YesNo, Prompt::Icon::Question));
            EXPECT_EQ(dialog.SSTab->currentIndex(), 1);
            EXPECT_EQ(dialog.focusWidget(), dialog.txtServerFailureEmailAddress);
        }
        EXPECT_EQ(messages.size(), (row.answer ? 1 : 0) + (row.saved ? 1 : 0));
        EXPECT_EQ(ConfigText(SavedRecord().ServerFailureEmailAddress),
                  row.saved ? address : QStringLiteral("admin@cold.example"));
    }
}

TEST_F(frmConfigurationTest, AFailedSaveIsReported)
{
    frmConfiguration dialog;
    dialog.show();
    QFile::remove(File(QStringLiteral("VantrelConfig.dat")));
    ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("VantrelConfig.dat")));
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    EXPECT_EQ(prompt.Messages().last(),
              Box(QStringLiteral("Error saving configuration file.  Please verify that hard drive "
                                 "is not write protected.")));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(frmConfigurationTest, ClosingAfterTypingAsksEvenAfterAMessageBox)
{
    frmConfiguration dialog;
    dialog.show();
    QTest::keyClicks(dialog.txtUpdateRate, QStringLiteral("0"));
    // A refused Apply shows a message box; closing it is no activation of the dialog.
    dialog.txtPW[1]->setText(QStringLiteral("other"));
    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    ASSERT_EQ(prompt.Texts(), QStringList{u"The passwords do not match."_s});

    prompt.Queue(Prompt::Answer::No);
    QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
    ASSERT_EQ(prompt.Messages().size(), 2);
    EXPECT_EQ(prompt.Messages()[1], kDiscard);
    EXPECT_TRUE(dialog.isVisible());

    prompt.Queue(Prompt::Answer::Yes);
    dialog.close();
    EXPECT_EQ(prompt.Messages().size(), 3);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(SettingsFileBytes(), m_before);
}

TEST_F(frmConfigurationTest, ClosingWithoutTypedChangesDoesNotAsk)
{
    struct Row {
        const char *name;
        std::function<void(frmConfiguration &)> act;
    };
    const Row rows[] = {
        {"untouched", [](frmConfiguration &) {}},
        {"letters the number boxes drop",
         [](frmConfiguration &d) {
             for (QLineEdit *box :
                  {d.txtCommunicationRetry, d.txtTCPTimeOut, d.txtUpdateRate, d.txtOKHour}) {
                 box->clear();
                 QTest::keyClicks(box, QStringLiteral("a.-"));
                 EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
             }
         }},
        {"boxes that do not count",
         [](frmConfiguration &d) {
             QTest::keyClicks(d.txtUN, QStringLiteral("x"));
             QTest::keyClicks(d.txtOKHour, QStringLiteral("1"));
             QTest::keyClicks(d.txtAlarmEmailSubjectLine, QStringLiteral("x"));
             QTest::mouseClick(d.chkPopUps, Qt::LeftButton);
         }},
        {"saved",
         [](frmConfiguration &d) {
             QTest::keyClicks(d.txtHost, QStringLiteral("x"));
             QTest::mouseClick(d.btnApply, Qt::LeftButton);
         }},
        {"back from the advanced dialog",
         [](frmConfiguration &d) {
             QTest::keyClicks(d.txtOrgAddress, QStringLiteral("x"));
             OnNextModal([](QWidget *modal) {
                 ASSERT_NE(qobject_cast<frmAdvancedEmail *>(modal), nullptr);
                 qobject_cast<frmAdvancedEmail *>(modal)->CancelButton->click();
             });
             QTest::mouseClick(d.btnAdvanced, Qt::LeftButton);
         }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        frmConfiguration dialog;
        dialog.show();
        row.act(dialog);
        QTest::mouseClick(dialog.btnClose, Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(prompt.Messages().contains(kDiscard));
    }
}

TEST_F(frmConfigurationTest, CancelLeavesTheFileByteIdentical)
{
    frmConfiguration dialog;
    dialog.show();
    QTest::keyClicks(dialog.txtHost, QStringLiteral(".net"));
    QTest::keyClicks(dialog.txtCommunicationRetry, QStringLiteral("5"));
    QTest::keyClick(dialog.txtCommunicationRetry, Qt::Key_Escape);
    EXPECT_EQ(prompt.Messages().last(), kDiscard);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(SettingsFileBytes(), m_before);
}

TEST_F(frmConfigurationTest, TheLogFolderComesFromThePickerAndIsSavedByApply)
{
    const QString chosen = Folder() + QStringLiteral("/Backup Logs");
    ASSERT_TRUE(QDir().mkpath(chosen));
    frmConfiguration dialog;
    dialog.show();
    QTest::keyClicks(dialog.txtOrgName, QStringLiteral("x"));
    OnNextModal([chosen](QWidget *modal) {
        auto *picker = qobject_cast<frmBrowse *>(modal);
        ASSERT_NE(picker, nullptr);
        picker->Dir1->SetPath(chosen);
        picker->OKButton->click();
    });
    QTest::mouseClick(dialog.btnLogDir, Qt::LeftButton);
    EXPECT_EQ(dialog.lblLogDir->text(), QStringLiteral("Current Log File Location: ") + chosen);
    EXPECT_EQ(Polling().LogDirectory, chosen);
    EXPECT_EQ(SettingsFileBytes(), m_before);

    QTest::mouseClick(dialog.btnApply, Qt::LeftButton);
    EXPECT_EQ(SettingsFileBytes().mid(1399, 100), chosen.toLatin1().leftJustified(100, ' '));

    OnNextModal([](QWidget *modal) { qobject_cast<frmBrowse *>(modal)->CancelButton->click(); });
    QTest::mouseClick(dialog.btnLogDir, Qt::LeftButton);
    EXPECT_EQ(Polling().LogDirectory, chosen);
}

TEST_F(frmConfigurationTest, ANewPasswordEmptiesItsConfirmation)
{
    frmConfiguration dialog;
    dialog.show();
    QTest::keyClicks(dialog.txtPW[0], QStringLiteral("n"));
    EXPECT_TRUE(dialog.txtPW[1]->text().isEmpty());
    EXPECT_EQ(dialog.txtPW[0]->text(), QStringLiteral("Secret1n"));
}

namespace {

class TestEmailTest : public frmConfigurationTest {
protected:
    void SetUp() override
    {
        frmConfigurationTest::SetUp();
        ASSERT_TRUE(m_server.IsRunning()) << m_server.StartError().toStdString();
        m_server.Clear();
        // Saved: a loopback host where nothing listens, so only the typed host can work.
        Config().SMTPHost = QStringLiteral("127.0.0.2");
        Config().SMTPPort = qint16(m_server.Port(QStringLiteral("noauth")));
        Config().SMTPTimeOut = 5;
        ASSERT_TRUE(SaveConfiguration());
        TheMailClient().CaFile = m_server.CaFile();
    }

    void TearDown() override
    {
        TheMailClient().CloseConnection();
        frmConfigurationTest::TearDown();
    }

    SmtpServer &m_server = SmtpServer::Shared();
};

} // namespace

TEST_F(TestEmailTest, SendsThroughTheTypedHostFromTheSavedSender)
{
    frmConfiguration dialog;
    dialog.show();
    dialog.SSTab->setCurrentIndex(1);
    Retype(dialog.txtHost, QStringLiteral(" 127.0.0.1 "));
    Retype(dialog.txtFromAddress, QStringLiteral("typed@cold.example"));
    Retype(dialog.txtServerFailureEmailAddress, QStringLiteral("ops@cold.example "));
    QTest::mouseClick(dialog.btnTestEmail, Qt::LeftButton);

    ASSERT_EQ(prompt.Messages().size(), 1);
    EXPECT_EQ(prompt.Messages()[0],
              Box(QStringLiteral("A test email has been successfully sent to ops@cold.example  "
                                 "using mail server  127.0.0.1 ")));
    const QList<ReceivedMail> mails = m_server.Messages();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0].mailFrom, QStringLiteral("station@cold.example"));
    EXPECT_EQ(mails[0].rcptTos, QStringList{QStringLiteral("ops@cold.example")});
    for (const QPushButton *button : {dialog.btnTestEmail, dialog.btnApply, dialog.btnClose})
        EXPECT_TRUE(button->isEnabled());
}

TEST_F(TestEmailTest, AFailureShowsTheMailError)
{
    frmConfiguration dialog;
    dialog.show();
    dialog.SSTab->setCurrentIndex(1);
    Retype(dialog.txtHost, QStringLiteral("127.0.0.1"));
    Config().SMTPPort = qint16(SmtpServer::ClosedPort());
    QTest::mouseClick(dialog.btnTestEmail, Qt::LeftButton);
    ASSERT_EQ(prompt.Messages().size(), 1);
    const QString text = prompt.Messages()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Failed to send email to 'admin@cold.example'. The "
                                               "error is: ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1String("Couldn't connect"))) << text.toStdString();
    EXPECT_TRUE(m_server.Messages().isEmpty());
}

TEST_F(TestEmailTest, AnEmptyHostOrSenderIsMarkedAndNothingIsSent)
{
    struct Row {
        const char *name;
        const char *box;
        QString message;
    };
    const Row rows[] = {
        {"host", "txtHost", QStringLiteral("Please enter a valid SMTP host address")},
        {"sender", "txtFromAddress", QStringLiteral("Please enter a from address")},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        frmConfiguration dialog;
        dialog.show();
        dialog.SSTab->setCurrentIndex(1);
        auto *box = dialog.findChild<QLineEdit *>(QString::fromUtf8(row.box));
        box->setText(QStringLiteral("   "));
        const auto shown = prompt.Messages().size();
        QTest::mouseClick(dialog.btnTestEmail, Qt::LeftButton);
        ASSERT_EQ(prompt.Messages().size(), shown + 1);
        EXPECT_EQ(prompt.Messages().last(), Box(row.message));
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_EQ(Back(box), WindowsColour(65535));
        EXPECT_TRUE(dialog.btnTestEmail->isEnabled());
    }
    EXPECT_TRUE(m_server.Messages().isEmpty());

    frmConfiguration dialog;
    dialog.show();
    dialog.SSTab->setCurrentIndex(1);
    dialog.txtHost->clear();
    QTest::mouseClick(dialog.btnTestEmail, Qt::LeftButton);
    QTest::keyClicks(dialog.txtHost, QStringLiteral("m"));
    EXPECT_EQ(Back(dialog.txtHost), WindowsColour(16777215));
}
