#include "frmConfiguration.h"

#include "ConfigRecord.h"
#include "DialogButtons.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "LineEditKeyFilter.h"
#include "Mail.h"
#include "NotificationEmails.h"
#include "Polling.h"
#include "Prompt.h"
#include "SettingsRules.h"
#include "StatusBoard.h"
#include "StatusGrid.h"
#include "frmAdvancedEmail.h"
#include "frmBrowse.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kNetworkTab = 0;
constexpr int kAlarmEmailTab = 1;

const QString kLogDirCaption = QStringLiteral("Current Log File Location: ");

// A box as wide as the `width` characters it shows; a `maxLength` of 0 sets no limit.
QLineEdit *Box(QWidget *parent, QStringView name, int width, BoxText kind, int maxLength)
{
    auto *box = Named(new QLineEdit(parent), name);
    if (maxLength > 0)
        box->setMaxLength(maxLength);
    SizeForText(box, width, kind);
    return box;
}

QComboBox *List(QWidget *parent, QStringView name, const QList<std::pair<QString, int>> &entries,
                bool typing)
{
    auto *list = Named(new QComboBox(parent), name);
    for (const auto &[text, data] : entries)
        list->addItem(text, data);
    list->setEditable(typing);
    if (typing)
        list->setInsertPolicy(QComboBox::NoInsert);
    return list;
}

// A list the operator can type into: a text that matches no entry is position -1.
int ListPosition(const QComboBox *list)
{
    return list->isEditable() ? list->findText(list->currentText()) : list->currentIndex();
}

QLabel *Label(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    WrapLabel(label);
    return label;
}

} // namespace

frmConfiguration::frmConfiguration(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmConfiguration"));
    setWindowTitle(QStringLiteral("Vantrel Configuration"));

    SSTab = Named(new QTabWidget(this), u"SSTab");
    SSTab->addTab(NetworkTab(), QStringLiteral("Network"));
    SSTab->addTab(AlarmEmailTab(), QStringLiteral("Alarm Email Setup"));
    SSTab->addTab(OrganizationTab(), QStringLiteral("Organization Info"));
    SSTab->addTab(TrendingTab(), QStringLiteral("Trending"));
    SSTab->addTab(DataLoggingTab(), QStringLiteral("Data Logging"));
    SSTab->addTab(AdministratorTab(), QStringLiteral("Administrator"));
    Frame2 = AutoReportFrame();
    Frame2->setVisible(false);

    btnApply = Named(new QPushButton(QStringLiteral("Apply"), this), u"btnApply");
    btnApply->setToolTip(QStringLiteral("Click to save changes."));
    btnClose = Named(new QPushButton(QStringLiteral("Close"), this), u"btnClose");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnApply);
    buttons->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(SSTab);
    layout->addWidget(Frame2);
    layout->addLayout(buttons);

    connect(btnApply, &QPushButton::clicked, this, &frmConfiguration::btnApply_Click);
    connect(btnClose, &QPushButton::clicked, this, &frmConfiguration::reject);
    connect(btnTestEmail, &QPushButton::clicked, this, &frmConfiguration::btnTestEmail_Click);
    connect(btnClearUNPW, &QPushButton::clicked, this, &frmConfiguration::btnClearUNPW_Click);
    connect(btnLogDir, &QPushButton::clicked, this, &frmConfiguration::btnLogDir_Click);
    connect(btnAdvanced, &QPushButton::clicked, this, &frmConfiguration::btnAdvanced_Click);
    connect(chkEnableTrending, &QCheckBox::clicked, this, [this] {
        lblEnableTrending->setVisible(chkEnableTrending->checkState() == Qt::Checked);
    });
    connect(txtHost, &QLineEdit::textChanged, this,
            [this] { SetBackColour(txtHost, kColourWhite); });
    TrackChanges();
    NoDefaultButtons(this);

    adjustSize();
    Load();
}

QWidget *frmConfiguration::NetworkTab()
{
    auto *tab = new QWidget;
    txtCommunicationRetry = Box(tab, u"txtCommunicationRetry", 1, BoxText::Digits, 1);
    txtTCPTimeOut = Box(tab, u"txtTCPTimeOut", 1, BoxText::Digits, 1);
    auto *grid = new QGridLayout(tab);
    grid->addWidget(
        Label(QStringLiteral("Number of times to try to communicate with a Kaltvane device."), tab),
        0, 0);
    grid->addWidget(txtCommunicationRetry, 0, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("(Enter a value from 1 to 9)"), tab), 0, 2, 1, 2);
    grid->addWidget(Label(QStringLiteral("Network communication time out. "), tab), 1, 0);
    grid->addWidget(txtTCPTimeOut, 1, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("(sec)"), tab), 1, 2);
    grid->addWidget(Label(QStringLiteral("(Enter a value from 1 to 9)"), tab), 1, 3);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(2, 1);
    return tab;
}

QWidget *frmConfiguration::AlarmEmailTab()
{
    auto *tab = new QWidget;
    txtHost = Box(tab, u"txtHost", 50, BoxText::Text, 0);
    txtFromAddress = Box(tab, u"txtFromAddress", 50, BoxText::Text, 0);
    // Room for a few addresses side by side.
    txtServerFailureEmailAddress = Box(tab, u"txtServerFailureEmailAddress", 60, BoxText::Text, 0);
    lblAddressHelp = Named(Label({}, tab), u"lblAddressHelp");
    chkSystemOKEmail = Named(new QCheckBox(QStringLiteral("Send a daily email to the Administrator "
                                                          "Email Address to confirm software is "
                                                          "up an running at:"),
                                           tab),
                             u"chkSystemOKEmail");
    txtOKHour = Box(tab, u"txtOKHour", 2, BoxText::Digits, 2);
    cmboAMPM =
        List(tab, u"cmboAMPM", {{QStringLiteral("AM"), 0}, {QStringLiteral("PM"), 1}}, false);
    cmboReminder = List(tab, u"cmboReminder",
                        {{QStringLiteral("Never"), 0},
                         {QStringLiteral("30 Minutes"), 30},
                         {QStringLiteral("60 Minutes"), 60},
                         {QStringLiteral("90 Minutes"), 90},
                         {QStringLiteral("120 Minutes"), 120}},
                        true);
    // As long as the stored subject can be.
    txtAlarmEmailSubjectLine = Box(tab, u"txtAlarmEmailSubjectLine", 40, BoxText::Text, 0);
    btnTestEmail = Named(
        new QPushButton(QStringLiteral("Send a test email to Administrator Email Address"), tab),
        u"btnTestEmail");
    btnAdvanced = Named(new QPushButton(QStringLiteral("Advanced"), tab), u"btnAdvanced");

    auto *fromLabel = Label(QStringLiteral("From Address (valid email address)"), tab);
    fromLabel->setToolTip(QStringLiteral("The User Name is the email address from which all "
                                         "device and alarm emails are sent.  The User Name must "
                                         "be entered."));
    auto *grid = new QGridLayout(tab);
    grid->addWidget(
        Label(QStringLiteral("Outgoing mail server (SMTP host), for example mail.example.com"),
              tab),
        0, 0);
    grid->addWidget(txtHost, 0, 1, 1, 3, Qt::AlignLeft);
    grid->addWidget(fromLabel, 1, 0);
    grid->addWidget(txtFromAddress, 1, 1, 1, 3, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("Administrator Email Address"), tab), 2, 0);
    grid->addWidget(txtServerFailureEmailAddress, 2, 1, 1, 3, Qt::AlignLeft);
    grid->addWidget(lblAddressHelp, 3, 0, 1, 4);
    grid->addWidget(chkSystemOKEmail, 4, 0);
    grid->addWidget(txtOKHour, 4, 1, Qt::AlignLeft);
    grid->addWidget(cmboAMPM, 4, 2);
    grid->addWidget(Label(QStringLiteral("Send an alarm reminder email to each of the email "
                                         "addresses programmed for each server"),
                          tab),
                    5, 0);
    grid->addWidget(cmboReminder, 5, 1, 1, 2);
    grid->addWidget(Label(QStringLiteral("Subject line for alarm emails"), tab), 6, 0);
    grid->addWidget(txtAlarmEmailSubjectLine, 6, 1, 1, 3, Qt::AlignLeft);
    grid->addWidget(btnTestEmail, 7, 0);
    grid->addWidget(btnAdvanced, 7, 1, 1, 3);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(8, 1);
    return tab;
}

QWidget *frmConfiguration::OrganizationTab()
{
    auto *tab = new QWidget;
    auto *frame = new QGroupBox(QStringLiteral("Organization Information"), tab);
    txtOrgName = Box(frame, u"txtOrgName", 50, BoxText::Text, 50);
    txtOrgAddress = Box(frame, u"txtOrgAddress", 60, BoxText::Text, 0);
    txtOrgPhoneNumber = Box(frame, u"txtOrgPhoneNumber", 20, BoxText::Text, 0);
    auto *grid = new QGridLayout(frame);
    grid->addWidget(Label(QStringLiteral("Name"), frame), 0, 0);
    grid->addWidget(txtOrgName, 0, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("Address"), frame), 1, 0);
    grid->addWidget(txtOrgAddress, 1, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("Phone Number"), frame), 2, 0);
    grid->addWidget(txtOrgPhoneNumber, 2, 1, Qt::AlignLeft);
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(frame);
    layout->addStretch();
    return tab;
}

QWidget *frmConfiguration::TrendingTab()
{
    auto *tab = new QWidget;
    chkEnableTrending =
        Named(new QCheckBox(QStringLiteral("Enable data trending"), tab), u"chkEnableTrending");
    lblEnableTrending = Named(Label({}, tab), u"lblEnableTrending");
    auto *layout = new QVBoxLayout(tab);
    layout->addWidget(chkEnableTrending);
    layout->addWidget(lblEnableTrending);
    layout->addStretch();
    return tab;
}

QWidget *frmConfiguration::DataLoggingTab()
{
    auto *tab = new QWidget;
    // Any number of seconds the record holds.
    txtUpdateRate = Box(tab, u"txtUpdateRate", 5, BoxText::Digits, 0);
    cmboStatusGrid = List(tab, u"cmboStatusGrid",
                          {{QStringLiteral("White"), 0},
                           {QStringLiteral("Yellow"), 1},
                           {QStringLiteral("Blue/White/Bold"), 2}},
                          true);
    chkPopUps = Named(new QCheckBox(QStringLiteral("Enable alarm popups notifications.  A popup "
                                                   "will be shown every update whenever a sensor "
                                                   "is in alarm"),
                                    tab),
                      u"chkPopUps");
    btnLogDir =
        Named(new QPushButton(QStringLiteral("Change Log File Location"), tab), u"btnLogDir");
    btnLogDir->setToolTip(QStringLiteral("Click this button to change the directory where the log "
                                         "files are written."));
    // A folder name does not break between words: the dialog widens to show it whole.
    lblLogDir = Named(new QLabel(tab), u"lblLogDir");
    auto *grid = new QGridLayout(tab);
    grid->addWidget(Label(QStringLiteral("Update data readings every"), tab), 0, 0);
    grid->addWidget(txtUpdateRate, 0, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("(sec. Minimum update rate is 5 seconds)"), tab), 0, 2);
    grid->addWidget(Label(QStringLiteral("Status Grid background color"), tab), 1, 0);
    grid->addWidget(cmboStatusGrid, 1, 1, 1, 2);
    grid->addWidget(chkPopUps, 2, 0, 1, 3);
    grid->addWidget(btnLogDir, 3, 0);
    grid->addWidget(lblLogDir, 4, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(5, 1);
    return tab;
}

QWidget *frmConfiguration::AdministratorTab()
{
    auto *tab = new QWidget;
    txtUN = Box(tab, u"txtUN", 100, BoxText::Text, 100);
    txtPW[0] = Box(tab, u"txtPW(0)", 100, BoxText::Text, 100);
    txtPW[1] = Box(tab, u"txtPW(1)", 100, BoxText::Text, 100);
    for (QLineEdit *box : txtPW)
        HideAsStars(box);
    btnClearUNPW = Named(new QPushButton(QStringLiteral("Clear"), tab), u"btnClearUNPW");
    chkConfirmShutdown = Named(new QCheckBox(QStringLiteral("Do not prompt user user to confirm "
                                                            "shutting down Vantrel"),
                                             tab),
                               u"chkConfirmShutdown");
    chkConfirmShutdown->setToolTip(QStringLiteral("Leave unchecked if you want to be prompted "
                                                  "prior to shutting down Vantrel"));
    lblAdminHelp[0] = Named(Label({}, tab), u"lblAdminHelp(0)");
    lblAdminHelp[1] = Named(Label({}, tab), u"lblAdminHelp(1)");
    auto *grid = new QGridLayout(tab);
    grid->addWidget(lblAdminHelp[0], 0, 0, 1, 3);
    grid->addWidget(Label(QStringLiteral("User Name"), tab), 1, 0);
    grid->addWidget(txtUN, 1, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("Password"), tab), 2, 0);
    grid->addWidget(txtPW[0], 2, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("Confirm Password"), tab), 3, 0);
    grid->addWidget(txtPW[1], 3, 1, Qt::AlignLeft);
    grid->addWidget(lblAdminHelp[1], 4, 0, 1, 2);
    grid->addWidget(btnClearUNPW, 4, 2);
    grid->addWidget(chkConfirmShutdown, 5, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(6, 1);
    return tab;
}

QGroupBox *frmConfiguration::AutoReportFrame()
{
    auto *frame = Named(new QGroupBox(QStringLiteral("Auto Report Options"), this), u"Frame2");
    cmboAutoPrintReport = List(frame, u"cmboAutoPrintReport",
                               {{QStringLiteral("No"), 0}, {QStringLiteral("Yes"), 1}}, false);
    txtTimeToPrint = Box(frame, u"txtTimeToPrint", 2, BoxText::Digits, 2);
    lblPrinter = Named(Label(QStringLiteral("No Printer Selected"), frame), u"lblPrinter");
    btnPrinter = Named(new QPushButton(QStringLiteral("Change Printer"), frame), u"btnPrinter");
    lstPrinters = Named(new QListWidget(frame), u"lstPrinters");
    lstPrinters->setVisible(false);
    auto *grid = new QGridLayout(frame);
    grid->addWidget(Label(QStringLiteral("Automatically send reports to printer at the end of "
                                         "each month?"),
                          frame),
                    0, 0);
    grid->addWidget(cmboAutoPrintReport, 0, 1);
    grid->addWidget(Label(QStringLiteral("Print the monthly reports at this time:"), frame), 1, 0);
    grid->addWidget(txtTimeToPrint, 1, 1, Qt::AlignLeft);
    grid->addWidget(Label(QStringLiteral("Print to this printer:"), frame), 2, 0);
    grid->addWidget(lblPrinter, 2, 1);
    grid->addWidget(btnPrinter, 3, 0);
    grid->addWidget(lstPrinters, 4, 0, 1, 2);
    return frame;
}

// Typing that changes a setting marks the dialog changed; the digit boxes take only what
// their key filter lets through. The administrator boxes, the hour and the subject line
// do not count.
void frmConfiguration::TrackChanges()
{
    for (QLineEdit *box : {txtCommunicationRetry, txtTCPTimeOut, txtUpdateRate, txtOKHour})
        box->installEventFilter(new LineEditKeyFilter(KeyRule::Digits, box));
    for (QLineEdit *box :
         {txtCommunicationRetry, txtTCPTimeOut, txtUpdateRate, txtOrgName, txtOrgAddress,
          txtOrgPhoneNumber, txtHost, txtFromAddress, txtServerFailureEmailAddress})
        connect(box, &QLineEdit::textEdited, this, [this] { m_settingsChanged = true; });
    // A new password makes the operator confirm it again.
    connect(txtPW[0], &QLineEdit::textEdited, this, [this] { txtPW[1]->clear(); });
}

// Text fields are shown without their blanks; a stored value a control cannot show ends
// the load there, leaving the later controls as designed.
void frmConfiguration::Load()
{
    CentreOnScreen(this);
    const ConfigRecord &record = Config();
    lblLogDir->setText(kLogDirCaption + Polling().LogDirectory);
    txtUN->setText(ConfigText(record.AdminUserName));
    txtPW[0]->setText(ConfigText(record.AdminPassword));
    txtPW[1]->setText(ConfigText(record.AdminPassword));
    lblAdminHelp[0]->setText(QStringLiteral(
        "To prevent unauthorized access to Vantrel Setup and Configuration screens, enter a user "
        "name and password and then click the Apply button.  The user name and password will be "
        "required to access these features."));
    lblAdminHelp[1]->setText(
        QStringLiteral("To disable having to log in, click the Clear button and then click the "
                       "Apply button."));
    lblAddressHelp->setText(QStringLiteral(
        "Vantrel will send an email to the administrator email addresses if there is no response "
        "from a server.  To send to multiple address, separate the addresses with a comma.   "));
    txtOrgName->setText(ConfigText(record.OrgName));
    txtOrgAddress->setText(ConfigText(record.OrgAddress));
    txtOrgPhoneNumber->setText(ConfigText(record.OrgPhoneNumber));
    cmboAutoPrintReport->setCurrentIndex(
        record.AutoPrintReport.contains(QStringLiteral("Yes")) ? 1 : 0);
    txtTimeToPrint->setText(ConfigText(record.TimeToPrint));
    txtCommunicationRetry->setText(QString::number(record.CommunicationRetry));
    txtUpdateRate->setText(QString::number(record.UpdateRate));
    txtTCPTimeOut->setText(QString::number(record.TCPTimeOut));
    txtHost->setText(ConfigText(record.SMTPHost));
    txtServerFailureEmailAddress->setText(ConfigText(record.ServerFailureEmailAddress));
    txtFromAddress->setText(ConfigText(record.FromAddress));
    chkSystemOKEmail->setChecked(record.SystemOKEmail == 1);
    txtOKHour->setText(QString::number(record.OKHour));

    const auto failed = [] {
        Prompt::Show(QStringLiteral("Error reading configuration file.  Please verify settings.  "
                                    "The error is ") +
                     QString::fromUtf16(kInvalidPropertyValue));
    };
    if (!SetListPosition(cmboAMPM, record.OKHourAMPM))
        return failed();
    lblEnableTrending->setText(QStringLiteral("The more sensors in the system the more difficult "
                                              "it will be to read the trending chart.     "));
    lblEnableTrending->setVisible(record.EnableTrending == 1);
    chkEnableTrending->setChecked(record.EnableTrending == 1);
    if (!SetCheckValue(chkPopUps, record.PopUps) ||
        !SetCheckValue(chkConfirmShutdown, record.NoShutdownPrompt))
        return failed();
    txtAlarmEmailSubjectLine->setText(ConfigText(record.AlarmEmailSubjectLine));
    if (!SetListPosition(cmboReminder, record.ReminderIndex) ||
        !SetListPosition(cmboStatusGrid, record.StatusGridColour))
        return failed();
    SSTab->setCurrentIndex(kNetworkTab);
}

void frmConfiguration::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Activate();
}

// Runs when the dialog first shows and again when a window it opened closes; a message
// box closing is no activation, so a change typed before one is still asked about.
void frmConfiguration::Activate()
{
    m_settingsChanged = false;
}

void frmConfiguration::reject()
{
    if (m_settingsChanged) {
        const Prompt::Answer answer = Prompt::Show(
            QStringLiteral("You have made changes to the settings without saving them.  Do you "
                           "wish to discard your changes?\r\rClick Yes to discard changes.\rTo "
                           "save changes, click No and then click Apply before closing this "
                           "window"),
            Prompt::Buttons::YesNo, Prompt::Icon::Critical,
            QStringLiteral("Settings have changed"));
        if (answer != Prompt::Answer::Yes)
            return;
    }
    QDialog::reject();
}

// No button is the cancel button: only Close and the close box close the dialog, not Esc.
void frmConfiguration::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmConfiguration::btnApply_Click()
{
    btnApply->setEnabled(false);
    Apply();
    btnApply->setEnabled(true);
}

void frmConfiguration::MarkRefused(QLineEdit *box)
{
    for (int i = 0; i < SSTab->count(); ++i) {
        if (SSTab->widget(i)->isAncestorOf(box))
            SSTab->setCurrentIndex(i);
    }
    SetBackColour(box, kColourYellow);
    box->setFocus();
}

// A step that stops leaves the file untouched; what was already copied stays in the
// in-memory record only until the main window re-reads the file.
bool frmConfiguration::Apply()
{
    const QString userName = txtUN->text();
    if (!userName.isEmpty() && txtPW[0]->text() != txtPW[1]->text()) {
        Prompt::Show(QStringLiteral("The passwords do not match."));
        return false;
    }
    // A longer name or password would be cut in the file and lock the administrator out.
    for (QLineEdit *box : {txtUN, txtPW[0]}) {
        if (!CredentialFits(box->text())) {
            MarkRefused(box);
            Prompt::Show(QString::fromUtf16(kCredentialRefusal));
            return false;
        }
    }
    ConfigRecord &record = Config();
    record.LogDir = Polling().LogDirectory;
    record.AdminUserName = userName;
    record.AdminPassword = txtPW[0]->text();

    const auto blank = [] {
        Prompt::Show(QStringLiteral("Please do not leave any option blank"));
        return false;
    };
    const std::optional<qint16> updateRate = SettingsInteger(txtUpdateRate->text());
    if (!updateRate)
        return blank();
    if (*updateRate < kMinimumUpdateRate) {
        txtUpdateRate->setText(QString::number(kMinimumUpdateRate));
        MarkRefused(txtUpdateRate);
        Prompt::Show(QStringLiteral("The minimum update rate is 5 seconds.  Please adjust the "
                                    "update rate."));
        return false;
    }
    record.UpdateRate = *updateRate;
    const std::optional<qint16> retry = SettingsInteger(txtCommunicationRetry->text());
    if (!retry)
        return blank();
    record.CommunicationRetry = *retry;
    const std::optional<qint16> tcpTimeOut = SettingsInteger(txtTCPTimeOut->text());
    if (!tcpTimeOut)
        return blank();
    record.TCPTimeOut = *tcpTimeOut;

    const std::optional<qint16> hour = SettingsInteger(txtOKHour->text());
    if (!hour)
        return blank();
    if (*hour < 1 || *hour > 12) {
        MarkRefused(txtOKHour);
        Prompt::Show(QStringLiteral("Please enter an hour between 1 and 12."));
        return false;
    }
    record.OKHour = *hour;
    SetBackColour(txtOKHour, kColourWhite);
    record.OKHourAMPM = static_cast<qint16>(cmboAMPM->currentIndex());

    record.OrgName = txtOrgName->text();
    record.OrgAddress = txtOrgAddress->text();
    record.OrgPhoneNumber = txtOrgPhoneNumber->text();
    record.AutoPrintReport = cmboAutoPrintReport->currentText();
    record.TimeToPrintAMPM = cmboAMPM->currentText();
    record.TimeToPrint = txtTimeToPrint->text();
    record.PrinterName = lblPrinter->text();
    record.PrinterIndex = m_printerIndex;
    record.SMTPHost = txtHost->text();
    record.FromAddress = txtFromAddress->text();
    record.SystemOKEmail = CheckValue(chkSystemOKEmail);
    record.EnableTrending = CheckValue(chkEnableTrending);
    record.PopUps = CheckValue(chkPopUps);
    record.NoShutdownPrompt = CheckValue(chkConfirmShutdown);
    record.AlarmEmailSubjectLine = txtAlarmEmailSubjectLine->text().trimmed();
    record.ReminderIndex = static_cast<qint16>(ListPosition(cmboReminder));
    record.StatusGridColour = static_cast<qint16>(ListPosition(cmboStatusGrid));

    const QString address = txtServerFailureEmailAddress->text();
    if (!address.isEmpty() && !LooksLikeEmailAddress(address)) {
        SSTab->setCurrentIndex(kAlarmEmailTab);
        txtServerFailureEmailAddress->setFocus();
        const Prompt::Answer answer = Prompt::Show(QStringLiteral("Is ") + address +
                                                       QStringLiteral(" a valid email address?"),
                                                   Prompt::Buttons::YesNo, Prompt::Icon::Question);
        if (answer != Prompt::Answer::Yes)
            return false;
    }
    record.ServerFailureEmailAddress = address;

    bool saved = false;
    {
        const WaitCursor hourglass;
        saved = SaveConfiguration();
    }
    if (!saved) {
        Prompt::Show(QStringLiteral("Error saving configuration file.  Please verify that hard "
                                    "drive is not write protected."));
        return false;
    }
    Prompt::Show(QStringLiteral("Configuration parameters have been saved"));
    m_settingsChanged = false;
    // The main window's lines come back with its next activation and polling cycle.
    if (StatusBoard *board = InstalledStatusBoard())
        board->Clear();
    return true;
}

// The typed host is tried; every other mail setting, the sender included, is the saved one.
void frmConfiguration::btnTestEmail_Click()
{
    const QList<QPushButton *> buttons{btnTestEmail, btnApply, btnClose};
    for (QPushButton *button : buttons)
        button->setEnabled(false);
    ConfigureMailServer();
    if (txtHost->text().trimmed().isEmpty()) {
        Prompt::Show(QStringLiteral("Please enter a valid SMTP host address"));
        txtHost->clear();
        SetBackColour(txtHost, kColourYellow);
    } else if (txtFromAddress->text().trimmed().isEmpty()) {
        Prompt::Show(QStringLiteral("Please enter a from address"));
        txtFromAddress->clear();
        SetBackColour(txtFromAddress, kColourYellow);
    } else {
        TheMailClient().Host = txtHost->text().trimmed();
        QString error;
        bool sent = false;
        {
            const WaitCursor hourglass;
            sent = SendTestEmail(txtServerFailureEmailAddress->text().trimmed(), error);
        }
        const QString address = txtServerFailureEmailAddress->text();
        Prompt::Show(sent ? QStringLiteral("A test email has been successfully sent to ") +
                                address + QStringLiteral(" using mail server ") + txtHost->text()
                          : QStringLiteral("Failed to send email to '") + address +
                                QStringLiteral("'. The error is: ") + error);
    }
    for (QPushButton *button : buttons)
        button->setEnabled(true);
}

void frmConfiguration::btnClearUNPW_Click()
{
    txtUN->clear();
    txtPW[0]->clear();
    txtPW[1]->clear();
}

void frmConfiguration::btnLogDir_Click()
{
    frmBrowse picker(Polling().LogDirectory, &Config(), this);
    picker.exec();
    lblLogDir->setText(kLogDirCaption + Polling().LogDirectory);
    Activate();
}

void frmConfiguration::btnAdvanced_Click()
{
    frmAdvancedEmail dialog(this);
    dialog.exec();
    Activate();
}
