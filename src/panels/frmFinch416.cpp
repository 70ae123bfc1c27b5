#include "frmFinch416.h"

#include "DeviceCommands.h"
#include "DeviceNamePage.h"
#include "FormControls.h"
#include "NumberText.h"
#include "Prompt.h"
#include "ReplyDecoding.h"
#include "ServerDatabase.h"
#include "SharedLayouts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Rows: two probes, the internal temperature and humidity sensors, then the two doors.
constexpr int kSensors = 4;
constexpr int kHumidityRow = 3;
constexpr int kRows = 6;
constexpr int kUnitPage = 1;
constexpr char16_t kDegreeSign = 0xB0;

bool UsesAlarmPage()
{
    return Decoded().DeviceSubModel >= 5;
}

PanelTables Tables()
{
    PanelTables t;
    // Page 0: a six-byte record per sensor from byte 9, then the doors' delays, then the
    // four correction factors; limits and factors in tenths whatever the device reports.
    for (int i = 0; i < kSensors; ++i) {
        const int p = RecordByte(i);
        // The probes' limits mean nothing without a name; the internal sensors keep theirs.
        const Shown shown = i < 2 ? Shown::WhenNamed : Shown::Always;
        t.fields.push_back({0, p, Indexed(u"txtLL", i), Codec::Tenths, i, shown});
        t.fields.push_back({0, p + 2, Indexed(u"txtUL", i), Codec::Tenths, i, shown});
        t.fields.push_back({0, p + 4, Indexed(u"txtTOL", i), Codec::Whole, i, shown});
    }
    for (int door = kSensors; door < kRows; ++door)
        t.fields.push_back({0, 33 + 2 * (door - kSensors), Indexed(u"txtTOL", door), Codec::Whole,
                            door, Shown::WhenNamed});
    for (int i = 0; i < kSensors; ++i)
        t.fields.push_back({0, 37 + 2 * i, Indexed(u"txtCF", i), Codec::Tenths, i});
    // Two names a page: the probes on page 2, the doors on 3, the internal sensors on 5.
    const int namePages[kRows] = {2, 2, 5, 5, 3, 3};
    for (int row = 0; row < kRows; ++row)
        t.fields.push_back(
            {namePages[row], row % 2 == 0 ? 9 : 29, Indexed(u"txtName", row), Codec::Name, row});
    t.fields.push_back({4, 9, QStringLiteral("optRelayLogic"), Codec::OptionByte, -1, Shown::Always,
                        Blank::KeepsBytes, 0, 1});
    t.fields.push_back({4, 10, QStringLiteral("txtAlarmReminderTimeDelay"), Codec::Byte});
    t.fields.push_back({4, 11, QStringLiteral("optEnableBuzzer"), Codec::OptionByte, -1,
                        Shown::Always, Blank::KeepsBytes, 1, 0});
    t.fields.push_back({4, 12, QStringLiteral("txtTwoStageDoorAlarmTimeDelay"), Codec::Byte});

    const auto failed = [](const char *what) -> QString {
        return QStringLiteral("Failed to retreive ") + QString::fromLatin1(what);
    };
    // The names come before page 0, whose limits show only on named rows.
    t.download = {
        {kIdentityPage},
        {4, failed("alarm parameters"), {}, false, false, UsesAlarmPage},
        {kUnitPage, failed("user page 1")},
        {2, failed("temperature sensor names")},
        {3, failed("door sensor names")},
        {5, failed("Internal Temperature and Humidity sensor names")},
        {kCurrentDataPage, QStringLiteral("Failed to download sensor readings")},
        {0, QStringLiteral("Failed to upload limits")},
    };
    t.upload = {
        {4}, {0, QStringLiteral("Failed to download the limits"), {}, false, false, nullptr, true},
        {2}, {3},
        {5},
    };
    // What the device changed since the download stays: each page is read again first.
    t.freshRead = true;
    return t;
}

SensorRows Rows()
{
    SensorRows rows;
    rows.captions = {QStringLiteral("Temperature Sensor Port 1"),
                     QStringLiteral("Temperature Sensor Port 2"),
                     QStringLiteral("Internal Temperature Sensor"),
                     QStringLiteral("Internal Humidity Sensor"),
                     QStringLiteral("Door Sensor 1"),
                     QStringLiteral("Door Sensor 2")};
    rows.columns = {{QStringLiteral("txtReading"), QStringLiteral("Current Reading")},
                    {QStringLiteral("txtLL"), QStringLiteral("Lower Limit")},
                    {QStringLiteral("txtUL"), QStringLiteral("Upper Limit")},
                    {QStringLiteral("lblUnits"), QString()},
                    {QStringLiteral("txtTOL"), QStringLiteral("Time (min)")}};
    rows.limitRows = kSensors;
    rows.calibratedRows = kSensors;
    rows.closesConnection = false;
    rows.nameFilter = false;
    rows.keyWhitensLimit = false;
    rows.storeCaption = QStringLiteral("Store Calibration Factors");
    rows.resetCaption = QStringLiteral("Clear Calibration Factors");
    return rows;
}

} // namespace

frmFinch416::frmFinch416(QWidget *parent) : SensorPanel(Rows(), Tables(), parent)
{
    setObjectName(QStringLiteral("frmFinch416"));
    setWindowTitle(QStringLiteral("F416 Parameters"));

    for (int i = 0; i < kSensors; ++i) {
        lblUnits.append(Named(new QLabel(this), Indexed(u"lblUnits", i)));
        PlaceInRow(i, QStringLiteral("lblUnits"), lblUnits.last());
    }

    const QString relay[2] = {
        QStringLiteral("Turn on alarm relay when a sensor goes into alarm."),
        QStringLiteral(
            "Turn off alarm relay when a sensor goes into alarm or the main power fails.")};
    const QString buzzer[2] = {QStringLiteral("Enable Buzzer"), QStringLiteral("Disable Buzzer")};
    frmAlarmConfiguration =
        Named(new QGroupBox(QStringLiteral("Alarm Configuration"), this), u"frmAlarmConfiguration");
    auto *alarm = new QVBoxLayout(frmAlarmConfiguration);
    auto *relayBox = new QWidget(frmAlarmConfiguration);
    auto *relayLayout = new QVBoxLayout(relayBox);
    auto *buzzerBox = new QWidget(frmAlarmConfiguration);
    auto *buzzerLayout = new QVBoxLayout(buzzerBox);
    for (int e = 0; e < 2; ++e) {
        optRelayLogic[e] =
            Named(new QRadioButton(relay[e], relayBox), Indexed(u"optRelayLogic", e));
        relayLayout->addWidget(optRelayLogic[e]);
        optEnableBuzzer[e] =
            Named(new QRadioButton(buzzer[e], buzzerBox), Indexed(u"optEnableBuzzer", e));
        buzzerLayout->addWidget(optEnableBuzzer[e]);
    }
    txtAlarmReminderTimeDelay =
        Named(new QLineEdit(frmAlarmConfiguration), u"txtAlarmReminderTimeDelay");
    txtTwoStageDoorAlarmTimeDelay =
        Named(new QLineEdit(frmAlarmConfiguration), u"txtTwoStageDoorAlarmTimeDelay");
    alarm->addWidget(relayBox);
    alarm->addWidget(buzzerBox);
    alarm->addWidget(txtAlarmReminderTimeDelay);
    alarm->addWidget(txtTwoStageDoorAlarmTimeDelay);
    frmAlarmConfiguration->hide();
    ModelArea()->addWidget(frmAlarmConfiguration);

    btnCF = Named(new QPushButton(QStringLiteral("CF"), frmCal), u"btnCF");
    CalibrationArea()->addWidget(btnCF);
    connect(btnCF, &QPushButton::clicked, this, [this] {
        for (QLineEdit *box : std::as_const(txtCF))
            box->show();
    });
}

void frmFinch416::ClearTextBoxes()
{
    SensorPanel::ClearTextBoxes();
    // A download whose page 1 fails leaves no unit behind.
    DeviceUnit.clear();
}

void frmFinch416::Form_Activate()
{
    // The temperature labels wait for the device-name page: a panel starts with no unit.
    lblUnits.at(kHumidityRow)->setText(QStringLiteral("%RH"));
    Buttons(false);
    GetLimits();
    Buttons(true);
}

void frmFinch416::ApplyGates()
{
    frmAlarmConfiguration->setVisible(UsesAlarmPage());
}

void frmFinch416::ParsePage(const QByteArray &page, int number)
{
    if (number != kUnitPage)
        return;
    DeviceUnit = ReadNamePage(page).unit;
    const bool known = DeviceUnit == u"C" || DeviceUnit == u"F";
    for (int i = 0; i < kHumidityRow; ++i)
        lblUnits.at(i)->setText(known ? kDegreeSign + DeviceUnit : QString());
}

void frmFinch416::ParseCurrentData(const QByteArray &reply)
{
    using namespace CurrentDataReply;
    TenthsMode = ReadDeviceUInt(reply, kTenthsFlagByte, 1) == 10;
    for (int i = 0; i < kRows; ++i) {
        const bool sensor = i < kSensors;
        float v = float(ReadDeviceInt(reply, ReadingByte(i), 2));
        if (sensor && TenthsMode)
            v /= 10.0f;
        QString text = txtReading.at(i)->text();
        const bool numeric = FormatSensorReading(v, lblSensorType.at(i)->text(), text);
        if (sensor && numeric)
            // Humidity is shown whole, halves to the even neighbour.
            text = i == kHumidityRow ? QString::number(std::nearbyint(double(v)))
                                     : FormatPointZero(double(v));
        txtReading.at(i)->setText(text);
    }
}

void frmFinch416::AfterDownload()
{
    // Notes belong to the port, named or not.
    for (int i = 0; i < kRows; ++i) {
        QString notes;
        LoadSensorNotes(DatabaseID, qint16(i), notes);
        txtNotes.at(i)->setText(notes);
    }
}

// Blank alarm delays go to the device as 0, and the operator sees that before it happens.
bool frmFinch416::CheckEntries(bool /*calOnly*/)
{
    if (UsesAlarmPage()) {
        for (QLineEdit *box : {txtAlarmReminderTimeDelay, txtTwoStageDoorAlarmTimeDelay}) {
            if (box->text().trimmed().isEmpty())
                box->setText(QStringLiteral("0"));
        }
    }
    return true;
}

QString frmFinch416::FieldTitle(const Field &field) const
{
    if (field.control == txtAlarmReminderTimeDelay->objectName())
        return QStringLiteral("Alarm reminder time delay");
    if (field.control == txtTwoStageDoorAlarmTimeDelay->objectName())
        return QStringLiteral("Two stage door alarm time delay");
    return SensorPanel::FieldTitle(field);
}

void frmFinch416::btnRefresh_Click()
{
    Buttons(false);
    frmNotes->hide();
    GetLimits();
    Buttons(true);
}

void frmFinch416::btnSave_Click()
{
    Buttons(false);
    SaveLimits(false);
    Buttons(true);
}

void frmFinch416::btnCal_Click()
{
    SensorPanel::btnCal_Click();
    for (int i = 0; i < kSensors; ++i) {
        const QString reading = txtReading.at(i)->text();
        const bool number = BoxNumber(reading).has_value();
        txtActualTemp.at(i)->setReadOnly(!number);
        txtActualTemp.at(i)->setToolTip(number ? QString()
                                               : QStringLiteral("Sensor is ") + reading +
                                                     QStringLiteral(" and cannot be calibrated."));
        txtCF.at(i)->hide();
    }
}

void frmFinch416::btnStoreCalFactors_Click()
{
    if (!UploadAllowed(true)) {
        RefuseUnreadPages();
        return;
    }
    QStringList before;
    for (const QLineEdit *box : std::as_const(txtCF))
        before << box->text();
    if (!ComputeFactors())
        return;
    if (Prompt::Show(QStringLiteral("Upload Calibration Factors?"), Prompt::Buttons::OkCancel,
                     Prompt::Icon::Question,
                     QStringLiteral("Upload Calibration Factors")) == Prompt::Answer::Cancel) {
        // Nothing was stored: the boxes go back to what the device holds.
        for (int i = 0; i < txtCF.size(); ++i)
            txtCF.at(i)->setText(before.at(i));
        return;
    }
    Buttons(false);
    SaveLimits(true);
    Buttons(true);
    btnRefresh_Click();
}

void frmFinch416::btnReset_Click()
{
    if (!UploadAllowed(true)) {
        RefuseUnreadPages();
        return;
    }
    if (Prompt::Show(QStringLiteral("Reset both calibration factors to zero?"),
                     Prompt::Buttons::OkCancel, Prompt::Icon::Question,
                     QStringLiteral("Reset Cal Factors")) == Prompt::Answer::Cancel)
        return;
    for (int i = 0; i < kSensors; ++i) {
        txtActualTemp.at(i)->clear();
        txtCF.at(i)->setText(QStringLiteral("0"));
    }
    Buttons(false);
    SaveLimits(true);
    GetLimits();
    Buttons(true);
}
