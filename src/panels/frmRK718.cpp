#include "frmRK718.h"

#include "DeviceCommands.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "NumberText.h"
#include "Prompt.h"
#include "ReplyDecoding.h"
#include "SharedLayouts.h"
#include "StatusGrid.h"
#include "WindowsColour.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kZoneRows = 8; // temperature on even rows, humidity on odd ones
constexpr int kInputRow = 8;
constexpr int kRows = 9;
constexpr float kTemperatureBound = 120.0f;
constexpr float kHumidityBound = 100.0f;

bool ReadsCorrectionPage()
{
    return Decoded().DeviceRevision >= 12;
}

bool HasOptions()
{
    return Decoded().DeviceRevision >= 13;
}

PanelTables Tables()
{
    PanelTables t;
    AddLimitRecords(t.fields, kZoneRows);
    AddRelayAndBuzzer(t.fields);
    AddNamePages(t.fields, kRows);
    // The kind is always written, so a changed kind never waits on the delay box.
    t.fields.push_back({1, 9, Indexed(u"txtTOL", kInputRow), Codec::Whole, kInputRow});
    t.fields.push_back({1, 11, QStringLiteral("optInput"), Codec::OptionWord, kInputRow,
                        Shown::Always, Blank::KeepsBytes, 0, 1});
    for (int i = 0; i < kZoneRows; ++i)
        t.fields.push_back({12, 9 + 2 * i, Indexed(u"txtCF", i), Codec::Whole, i});

    const QString busy = BusyUploadLine();
    t.download = {
        {kIdentityPage},
        {.page = 12,
         .failureLine = QStringLiteral("Failed to download temperature correction factors"),
         .gate = ReadsCorrectionPage},
        {.page = kCurrentDataPage,
         .failureLine = QStringLiteral("Failed to download sensor readings"),
         .endsCalibration = true},
    };
    // The names come before page 0, whose limits show only on named rows.
    for (int page = 3; page <= 7; ++page)
        t.download.push_back({page,
                              QStringLiteral("Failed to download page %1 sensor names").arg(page),
                              page == 3 ? busy : QString()});
    t.download.push_back({0, QStringLiteral("Failed to uploaded temperature limits"), {}, true});
    t.download.push_back(
        {1, QStringLiteral("Failed to uploaded water/dry contact input configuration")});
    t.upload = {
        {.page = 12,
         .failureLine = QStringLiteral("Failed to upload temperature correction factors"),
         .endsCalibration = true},
        {0, QStringLiteral("Failed to download the temperature sensor limits"), busy},
        {1, QStringLiteral("Failed to download the door sensor limits")},
    };
    for (int page = 3; page <= 7; ++page)
        t.upload.push_back({page, QStringLiteral("Failed to download the sensor names")});
    return t;
}

SensorRows Rows()
{
    SensorRows rows;
    for (int zone = 1; zone <= kZoneRows / 2; ++zone) {
        const QString z = QStringLiteral("Zone %1 ").arg(zone);
        rows.captions << z + QStringLiteral("Temperature Sensor")
                      << z + QStringLiteral("Humidity Sensor");
    }
    rows.captions << QStringLiteral("Water Sensor / Dry contact input");
    rows.limitRows = kZoneRows;
    rows.calibratedRows = kZoneRows;
    rows.storeCaption = QStringLiteral("Store Correction Factors");
    rows.resetCaption = QStringLiteral("Reset");
    rows.factorsInTenths = false;
    rows.closesConnection = false;
    rows.nameFilter = false;
    rows.keyWhitensLimit = false;
    return rows;
}

bool IsYellow(const QLineEdit *box)
{
    return box->palette().color(QPalette::Base) == WindowsColour(kColourYellow);
}

} // namespace

frmRK718::frmRK718(QWidget *parent) : SensorPanel(Rows(), Tables(), parent)
{
    setObjectName(QStringLiteral("frmRK718"));
    setWindowTitle(QStringLiteral("Rackvane Parameters"));

    const QString input[2] = {QStringLiteral("Water Sensor Input"),
                              QStringLiteral("Dry Contact Input")};
    const QString rowCaption[2] = {QStringLiteral("Water Sensor"),
                                   QStringLiteral("Dry Contact Input")};
    Frame2 = Named(new QGroupBox(this), u"Frame2");
    auto *inputLayout = new QVBoxLayout(Frame2);
    for (int e = 0; e < 2; ++e) {
        optInput[e] = Named(new QRadioButton(input[e], Frame2), Indexed(u"optInput", e));
        inputLayout->addWidget(optInput[e]);
        // The row's caption names the kind its readings and its stored row are read as.
        connect(optInput[e], &QRadioButton::toggled, this,
                [this, caption = rowCaption[e]](bool on) {
                    if (on)
                        lblSensorType.at(kInputRow)->setText(caption);
                });
    }
    auto *relayBox = new QWidget(this);
    Frame1 = Named(new QGroupBox(this), u"Frame1");
    BuildRelayAndBuzzer(relayBox, Frame1, optRelayLogic, optEnableBuzzer);
    for (int e = 0; e < 2; ++e) {
        optRelayLogic[e]->setEnabled(false);
        optEnableBuzzer[e]->setEnabled(false);
    }
    lblBattV = Named(new QLabel(QStringLiteral("Backup Battery Voltage (vdc)"), this), u"lblBattV");
    txtBattV = Named(new QLineEdit(this), u"txtBattV");
    SizeForText(txtBattV, BatteryCharacters(), BoxText::Digits);
    txtBattV->setReadOnly(true);
    auto *options = new QHBoxLayout;
    QWidget *const row[] = {Frame2, relayBox, Frame1, lblBattV, txtBattV};
    for (QWidget *widget : row)
        options->addWidget(widget);
    ModelArea()->addLayout(options);

    for (QLineEdit *box : std::as_const(txtName))
        box->setMaxLength(20);
    txtTOL.at(kInputRow)->setMaxLength(3);
}

void frmRK718::Buttons(bool state)
{
    SensorPanel::Buttons(state);
    const bool calibrates = HasOptions();
    btnCal->setVisible(calibrates);
    if (!calibrates)
        btnCal->setEnabled(false);
}

// Runs after the identification that starts every download.
void frmRK718::ApplyGates()
{
    m_currentData.clear();
    for (QLineEdit *box : std::as_const(txtReading))
        box->clear();
    txtBattV->clear();
    for (QRadioButton *option :
         {optRelayLogic[0], optRelayLogic[1], optEnableBuzzer[0], optEnableBuzzer[1]})
        option->setEnabled(HasOptions());
    txtBattV->setVisible(ReadsCorrectionPage());
    lblBattV->setVisible(ReadsCorrectionPage());
}

void frmRK718::ParseCurrentData(const QByteArray &reply)
{
    m_currentData = reply;
    for (int i = 0; i < kRows; ++i) {
        const auto reading = float(ReadDeviceInt(reply, CurrentDataReply::ReadingByte(i), 2));
        QString text = txtReading.at(i)->text();
        FormatSensorReading(reading, lblSensorType.at(i)->text(), text);
        txtReading.at(i)->setText(text);
    }
    txtBattV->setText(TenthsText(ReadDeviceUInt(reply, CurrentDataReply::kBatteryByte, 1)));
}

void frmRK718::AfterDownload()
{
    if (!m_currentData.isEmpty())
        ParseCurrentData(m_currentData);
    SensorPanel::AfterDownload();
}

// Limits out of range are emptied and marked; the marks, not the texts, refuse the upload.
bool frmRK718::CheckEntries(bool /*calOnly*/)
{
    lstStatus->clear();
    for (int i = 0; i < kZoneRows; ++i) {
        const float bound = i % 2 == 0 ? kTemperatureBound : kHumidityBound;
        for (QLineEdit *box : {txtUL.at(i), txtLL.at(i)}) {
            // Text that is no number is refused with the other boxes' values.
            const std::optional<float> value = BoxNumber(box->text());
            if (box->text().trimmed().isEmpty() || !value)
                continue;
            const bool out = *value > bound || *value < 0.0f;
            if (out)
                box->clear();
            SetBackColour(box, out ? kColourYellow : kColourWhite);
        }
    }
    for (const int first : {0, 1}) {
        for (int i = first; i < kZoneRows; i += 2) {
            if (!IsYellow(txtUL.at(i)) && !IsYellow(txtLL.at(i)))
                continue;
            Prompt::Show(
                first == 0
                    ? QStringLiteral("Valid temperature limits are between 0 and 120 degrees")
                    : QStringLiteral("Valid humidity limits are between 0% and 100%"));
            return false;
        }
    }
    return true;
}

void frmRK718::btnRefresh_Click()
{
    frmNotes->hide();
    btnNotes->setText(QStringLiteral("Notes"));
    Buttons(false);
    GetLimits(!frmCal->isHidden());
    Buttons(true);
}
