#include "frmRK715PhoneParameters.h"

#include "DeviceTransport.h"
#include "FormControls.h"
#include "LineEditKeyFilter.h"
#include "Prompt.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kLocalID = 8;
constexpr int kRings = 9;
constexpr int kReminderDelay = 10;
constexpr int kUnitDelay = 11;
constexpr int kRepeatCount = 12;
constexpr int kPowerOutageDelay = 13;
constexpr int kBoxes = 14;

QString Box(int index)
{
    return QStringLiteral("txtPhoneNumber(") + QString::number(index) + u')';
}

struct RangeRule {
    int box;
    int lo;
    int hi;
    const char *message;
    const char *replacement;
};
// Checked in this order; the first value out of range is reset and refuses the save.
constexpr RangeRule kRanges[] = {
    {kRings, 1, 12,
     "The number of rings you wish to program is out of limits.  Please enter a value between 1 "
     "and 12.",
     "1"},
    {kReminderDelay, 15, 900,
     "The reminder callout time delay you wish to program is out of limits.  Please enter a value "
     "between 15 and 900 minutes.",
     "60"},
    {kUnitDelay, 0, 900,
     "The unit callout time delay you wish to program is out of limits.  Please enter a value "
     "between 0 and 900 minutes.",
     "2"},
    {kRepeatCount, 0, 3,
     "The number of times to repeat the warning message you wish to program is out of limits.  "
     "Please enter a value between 0 and 3.",
     "1"},
    {kPowerOutageDelay, 0, 120,
     "The power outage time delay you wish to program is out of limits.  Please enter a value "
     "between 0 and 120 minutes.",
     "5"},
};

PanelTables Tables()
{
    PanelTables t;
    const auto number = [&t](int page, int byte, int box) {
        t.fields.push_back({page, byte, Box(box), Codec::PhoneNumber, box});
    };
    const auto whole = [&t](int page, int byte, int box) {
        t.fields.push_back({page, byte, Box(box), Codec::Whole, box});
    };
    number(8, 9, 0);
    number(8, 29, 1);
    whole(8, 49, kRings);
    whole(8, 51, kPowerOutageDelay);
    whole(8, 55, kUnitDelay);
    number(9, 9, 2);
    number(9, 29, 3);
    number(10, 9, kLocalID);
    number(10, 37, 4);
    whole(11, 41, kRepeatCount);
    t.fields.push_back({11, 43, QStringLiteral("cmboCalloutYN"), Codec::OptionWord});
    whole(11, 45, kReminderDelay);
    number(12, 27, 5);
    number(13, 9, 6);
    number(13, 29, 7);

    const struct {
        int page;
        const char *download;
        const char *upload;
    } lines[] = {
        {8, "Failed to download contact phone numbers 1 and 2",
         "Failed to upload contact phone numbers 1 and 2"},
        {9, "Failed to download contact phone numbers 3 and 4",
         "Failed to upload contact phone numbers 3 and 4"},
        {10, "Failed to download contact phone number 5",
         "Failed to upload contact phone numbers 5"},
        {11, "Failed to download phone parameters", "Failed to upload the phone paramaters"},
        {12, "Failed to download contact phone number 6",
         "Failed to upload contact phone number 6"},
        {13, "Failed to download contact phone numbers 7 and 8",
         "Failed to upload contact phone numbers 7 and 8"},
    };
    for (const auto &line : lines) {
        // The last page of a download closes the connection.
        t.download.push_back(
            {line.page, QString::fromLatin1(line.download), {}, false, line.page == 13});
        t.upload.push_back({line.page, QString::fromLatin1(line.upload)});
    }
    return t;
}

} // namespace

frmRK715PhoneParameters::frmRK715PhoneParameters(QWidget *parent) : PanelEngine(Tables(), parent)
{
    setObjectName(QStringLiteral("frmRK715PhoneParameters"));
    for (int i = 0; i < 8; ++i) {
        lblPhoneNumber[i] = Named(
            new QLabel(QStringLiteral("Contact Phone Number ") + QString::number(i + 1), this),
            QString(QStringLiteral("lblPhoneNumber(") + QString::number(i) + u')'));
        m_labels[i] = lblPhoneNumber[i];
    }
    const auto label = [this](const QString &caption, const char16_t *name, int box) {
        m_labels[box] = Named(new QLabel(caption, this), name);
        return m_labels[box];
    };
    lblLocalID = label(QStringLiteral("Local ID"), u"lblLocalID", kLocalID);
    Label1 = label(QStringLiteral("Number of rings to answer the phone (1-12 rings)"), u"Label1",
                   kRings);
    Label3 = label(QStringLiteral("Reminder CallOut Time Delay (15-900 minutes)"), u"Label3",
                   kReminderDelay);
    Label4 =
        label(QStringLiteral("Unit callout time delay (0-900 minutes)"), u"Label4", kUnitDelay);
    Label5 = label(QStringLiteral("Repeat Warning Message (0, 1, 2)"), u"Label5", kRepeatCount);
    Label6 = label(QStringLiteral("Power Outage Time Delay (0-120 minutes)"), u"Label6",
                   kPowerOutageDelay);
    Label2 = Named(new QLabel(QStringLiteral("Reminder Callouts Enabled"), this), u"Label2");
    cmboCalloutYN = Named(new QComboBox(this), u"cmboCalloutYN");
    cmboCalloutYN->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
    cmboCalloutYN->setCurrentIndex(0);

    auto *grid = new QGridLayout;
    for (int i = 0; i < kBoxes; ++i) {
        const int length = i <= kLocalID ? 20 : i == kRings ? 2 : i == kRepeatCount ? 1 : 3;
        const KeyRule rule = i <= kLocalID       ? KeyRule::PhoneNumber
                             : i == kRepeatCount ? KeyRule::RepeatCount
                                                 : KeyRule::Digits;
        txtPhoneNumber[i] = Named(new QLineEdit(this), Box(i));
        txtPhoneNumber[i]->setMaxLength(length);
        txtPhoneNumber[i]->installEventFilter(new LineEditKeyFilter(rule, txtPhoneNumber[i]));
        grid->addWidget(m_labels[i], i, 0);
        grid->addWidget(txtPhoneNumber[i], i, 1);
    }
    grid->addWidget(Label2, kBoxes, 0);
    grid->addWidget(cmboCalloutYN, kBoxes, 1);

    btnDefaults = Named(new QPushButton(QStringLiteral("Defaults"), this), u"btnDefaults");
    btnDefaults->setToolTip(QStringLiteral("Set phone parameters to default values"));
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnRefresh, btnSave, btnDefaults, btnClose})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lblStatus);
    layout->addWidget(lstStatus);
    layout->addLayout(buttons);

    m_commandButtons = {btnClose, btnSave, btnRefresh, btnDefaults};
    OnClick(btnRefresh, [this] { btnRefresh_Click(); });
    OnClick(btnSave, [this] { btnSave_Click(); });
    OnClick(btnDefaults, [this] { btnDefaults_Click(); });
    OnClick(btnClose, [this] { done(QDialog::Accepted); });
}

void frmRK715PhoneParameters::showEvent(QShowEvent *event)
{
    setWindowTitle(ServerName);
    PanelEngine::showEvent(event);
}

void frmRK715PhoneParameters::ClearTextBoxes()
{
    for (QLineEdit *box : txtPhoneNumber)
        box->clear();
    PanelEngine::ClearTextBoxes();
}

// The buttons stay enabled; the transfer guard keeps them from starting anything.
void frmRK715PhoneParameters::Form_Activate()
{
    GetLimits();
}

void frmRK715PhoneParameters::btnRefresh_Click()
{
    Buttons(false);
    GetLimits();
    Buttons(true);
}

void frmRK715PhoneParameters::btnSave_Click()
{
    Buttons(false);
    SaveLimits();
    CloseWinSocket();
    Buttons(true);
}

void frmRK715PhoneParameters::btnDefaults_Click()
{
    if (!UploadAllowed(false)) {
        RefuseUnreadPages();
        return;
    }
    if (Prompt::Show(QStringLiteral("Reset phone parameters to factory default?  Note that the "
                                    "phone numbers and local ID will not be modified"),
                     Prompt::Buttons::OkCancel, Prompt::Icon::None,
                     QStringLiteral("Factory Defaults?")) == Prompt::Answer::Cancel)
        return;
    txtPhoneNumber[kRings]->setText(QStringLiteral("1"));
    txtPhoneNumber[kUnitDelay]->setText(QStringLiteral("3"));
    txtPhoneNumber[kRepeatCount]->setText(QStringLiteral("0"));
    txtPhoneNumber[kPowerOutageDelay]->setText(QStringLiteral("5"));
    cmboCalloutYN->setCurrentIndex(1);
    txtPhoneNumber[kReminderDelay]->setText(QStringLiteral("45"));
    SaveLimits();
}

bool frmRK715PhoneParameters::CheckEntries(bool /*calOnly*/)
{
    for (int i = kRings; i <= kPowerOutageDelay; ++i) {
        if (txtPhoneNumber[i]->text().isEmpty()) {
            Prompt::Show(QStringLiteral("Please do not leave a parameter blank"));
            txtPhoneNumber[i]->setFocus();
            return false;
        }
    }
    for (const RangeRule &rule : kRanges) {
        QLineEdit *box = txtPhoneNumber[rule.box];
        // Text that is no number is refused by the field check that follows.
        const std::optional<float> value = BoxNumber(box->text());
        if (!value || (*value >= rule.lo && *value <= rule.hi))
            continue;
        Prompt::Show(QString::fromLatin1(rule.message));
        box->setText(QString::fromLatin1(rule.replacement));
        box->setFocus();
        return false;
    }
    return true;
}

QString frmRK715PhoneParameters::FieldTitle(const Field &field) const
{
    return m_labels[field.row]->text();
}
