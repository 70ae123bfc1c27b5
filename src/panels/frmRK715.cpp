#include "frmRK715.h"

#include "DeviceCommands.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "NumberText.h"
#include "Prompt.h"
#include "ReplyDecoding.h"
#include "SharedLayouts.h"
#include "StatusGrid.h"
#include "WindowsColour.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kTemperatureRows = 8;
constexpr int kRows = 10;
constexpr float kLimitBound = 999.9f;
// The system colour of inactive window borders, which the correction boxes wear.
constexpr int kNeutralGrey = 0xC8D0D4;

// Page 12 exists on family 6 sub-models 5 and 8 and from revision 23 on.
bool ReadsCorrectionPage()
{
    const ReplyDecodingState &d = Decoded();
    return (d.DeviceFamily == 6 && (d.DeviceSubModel == 5 || d.DeviceSubModel == 8)) ||
           d.DeviceRevision >= 23;
}

PanelTables Tables()
{
    PanelTables t;
    AddLimitRecords(t.fields, kTemperatureRows);
    for (int i = 0; i < kTemperatureRows; ++i)
        t.fields.push_back({12, 9 + 2 * i, Indexed(u"txtCF", i), Codec::Tenths, i, Shown::Always,
                            Blank::WritesZero});
    AddRelayAndBuzzer(t.fields);
    for (int door = kTemperatureRows; door < kRows; ++door) {
        const int p = 9 + 2 * (door - kTemperatureRows);
        t.fields.push_back({1, p, Indexed(u"txtTOL", door), Codec::Whole, door});
        // No page carries the doors' limits; the sensor table keeps them.
        t.fields.push_back({kStoredOnly, 0, Indexed(u"txtLL", door), Codec::Limit, door});
        t.fields.push_back({kStoredOnly, 0, Indexed(u"txtUL", door), Codec::Limit, door});
        t.fields.push_back({12, 25 + door - kTemperatureRows, Indexed(u"txtCF", door), Codec::Byte,
                            door, Shown::Always, Blank::WritesZero});
    }
    AddNamePages(t.fields, kRows);

    const QString busyDownload = BusyDownloadLine();
    const QString busyUpload = BusyUploadLine();
    // The names come before page 0, whose limits show only on named rows.
    t.download = {
        {kIdentityPage},
        {3, {}, busyDownload},
        {4},
        {5},
        {6},
        {7, QStringLiteral("Failed to download sensor names")},
        {kCurrentDataPage, QStringLiteral("Failed to download sensor readings")},
        {0, QStringLiteral("Failed to download temperature limits"), {}, true},
        {1, QStringLiteral("Failed to download door sensor limits")},
        {12,
         QStringLiteral("Failed to download temperature correction factors"),
         {},
         false,
         false,
         ReadsCorrectionPage},
    };
    const QString names = QStringLiteral("Failed to upload the sensor names");
    t.upload = {
        {12,
         QStringLiteral("Failed to upload temperature correction factors"),
         {},
         false,
         false,
         nullptr,
         true},
        {0, QStringLiteral("Failed to upload the temperature sensor limits"), busyUpload},
        {1, QStringLiteral("Failed to upload the door sensor limits")},
        {3, names},
        {4, names},
        {5, names},
        {6, names},
        {7, QStringLiteral("Upload to upload the sensor names")},
    };
    // The current data decides TenthsMode, and so what the limits mean.
    t.readBeforeSave = {kCurrentDataPage};
    t.downloadComplete = QStringLiteral(" Download complete");
    t.uploadComplete = QStringLiteral("Upload complete");
    return t;
}

SensorRows Rows()
{
    SensorRows rows;
    rows.captions = NumberedCaptions(QStringLiteral("Temperature Sensor Port "), kTemperatureRows);
    rows.captions << QStringLiteral("Door Sensor 1") << QStringLiteral("Door Sensor 2");
    rows.calibratedRows = kTemperatureRows;
    rows.storeCaption = QStringLiteral("Store Calibration Factors");
    rows.storeTip =
        QStringLiteral("Click this button to store the correction factors to the Coldvane");
    rows.resetCaption = QStringLiteral("Reset");
    return rows;
}

} // namespace

frmRK715::frmRK715(QWidget *parent) : SensorPanel(Rows(), Tables(), parent)
{
    setObjectName(QStringLiteral("frmRK715"));
    setWindowTitle(QStringLiteral("Coldvane Parameters"));

    auto *relayBox = new QWidget(this);
    Frame1 = Named(new QGroupBox(this), u"Frame1");
    BuildRelayAndBuzzer(relayBox, Frame1, optRelayLogic, optEnableBuzzer);
    lblBattV = Named(new QLabel(QStringLiteral("Backup Battery Voltage (vdc)"), this), u"lblBattV");
    txtBattV = Named(new QLineEdit(this), u"txtBattV");
    SizeForText(txtBattV, BatteryCharacters(), BoxText::Digits);
    txtBattV->setReadOnly(true);
    auto *options = new QHBoxLayout;
    options->addWidget(relayBox);
    options->addWidget(Frame1);
    options->addWidget(lblBattV);
    options->addWidget(txtBattV);
    ModelArea()->addLayout(options);

    // The two filter settings of the erroneous-reading filter share the correction page.
    frmRK715rev23 = Named(new QGroupBox(frmCal), u"frmRK715rev23");
    auto *filter = new QGridLayout(frmRK715rev23);
    const QString filterNames[2] = {QStringLiteral("Erroneous Bit Change (bits)"),
                                    QStringLiteral("Number of Erroneous Readings")};
    for (int k = 0; k < 2; ++k) {
        const int i = kTemperatureRows + k;
        lblName.append(Named(new QLabel(filterNames[k], frmRK715rev23), Indexed(u"lblName", i)));
        txtCF.append(Named(new QLineEdit(frmRK715rev23), Indexed(u"txtCF", i)));
        filter->addWidget(lblName.last(), k, 0);
        filter->addWidget(txtCF.last(), k, 1);
    }
    CalibrationArea()->insertWidget(1, frmRK715rev23);

    for (QLineEdit *box : std::as_const(txtTOL))
        box->clear();
    for (const QList<QLineEdit *> *limits : {&txtUL, &txtLL}) {
        for (QLineEdit *box : *limits) {
            box->setMaxLength(6);
            SetBackColour(box, kColourWhite);
        }
    }
    for (QLineEdit *box : std::as_const(txtCF))
        SetBackColour(box, kNeutralGrey);
}

void frmRK715::Buttons(bool state)
{
    SensorPanel::Buttons(state);
    const ReplyDecodingState &d = Decoded();
    if (d.DeviceRevision < 23)
        btnCal->setEnabled(d.DeviceFamily == 5 || d.DeviceFamily == 6);
}

void frmRK715::ClearTextBoxes()
{
    SensorPanel::ClearTextBoxes();
    txtBattV->clear();
}

void frmRK715::ApplyGates()
{
    const ReplyDecodingState &d = Decoded();
    const bool relay = d.DeviceFamily == 6 || d.DeviceRevision >= 24;
    const bool battery = (d.DeviceFamily == 5 && d.DeviceRevision >= 25) || d.DeviceFamily == 6;
    for (int e = 0; e < 2; ++e) {
        optRelayLogic[e]->setEnabled(relay);
        optEnableBuzzer[e]->setEnabled(battery);
    }
    txtBattV->setVisible(battery);
    lblBattV->setVisible(battery);
}

// The last step of a download that ran on: the correction page, where the device has it,
// has been exchanged, and the filter frame follows the revision.
void frmRK715::AfterDownload()
{
    if (ReadsCorrectionPage())
        frmRK715rev23->setVisible(Decoded().DeviceRevision != 24);
    SensorPanel::AfterDownload();
}

void frmRK715::ParseCurrentData(const QByteArray &reply)
{
    using namespace CurrentDataReply;
    const ReplyDecodingState &d = Decoded();
    TenthsMode = (ReadDeviceUInt(reply, kTenthsFlagByte, 1) == 10 && d.DeviceRevision >= 23) ||
                 d.DeviceFamily == 6;
    for (int i = 0; i < kRows; ++i) {
        const bool temperature = i < kTemperatureRows;
        float v = float(ReadDeviceInt(reply, ReadingByte(i), 2));
        if (temperature && TenthsMode)
            v /= 10.0f;
        // A door reading other than 0 or 1 leaves the row's own text.
        QString text = txtReading.at(i)->text();
        const bool numeric = FormatSensorReading(v, lblSensorType.at(i)->text(), text);
        txtReading.at(i)->setText(temperature && numeric ? FormatPointZero(double(v)) : text);
    }
    txtBattV->setText(TenthsText(ReadDeviceUInt(reply, kBatteryByte, 1)));
}

bool frmRK715::CheckEntries(bool /*calOnly*/)
{
    bool refused = false;
    for (int i = 0; i < kRows; ++i) {
        for (QLineEdit *box : {txtUL.at(i), txtLL.at(i)}) {
            if (box->text().trimmed().isEmpty())
                continue;
            // Text that is no number is refused with the other boxes' values.
            const std::optional<float> value = BoxNumber(box->text());
            if (!value)
                continue;
            const bool out = *value > kLimitBound || *value < -kLimitBound;
            if (out)
                box->clear();
            SetBackColour(box, out ? kColourYellow : kColourWhite);
        }
    }
    for (int i = 0; i < kRows; ++i) {
        for (const QLineEdit *box : {txtUL.at(i), txtLL.at(i)})
            refused =
                refused || box->palette().color(QPalette::Base) == WindowsColour(kColourYellow);
    }
    if (refused)
        Prompt::Show(
            QStringLiteral("Valid temperature limits are between -999.9 and 999.9 degrees"));
    return !refused;
}

QString frmRK715::FieldTitle(const Field &field) const
{
    if (field.control.startsWith(u"txtCF") && field.row >= kTemperatureRows)
        return lblName.at(field.row)->text();
    return SensorPanel::FieldTitle(field);
}

void frmRK715::btnCal_Click()
{
    SensorPanel::btnCal_Click();
    txtReading.at(8)->hide();
    txtReading.at(9)->hide();
}

void frmRK715::btnCloseCal_Click()
{
    SensorPanel::btnCloseCal_Click();
    txtReading.at(8)->show();
    txtReading.at(9)->show();
}
