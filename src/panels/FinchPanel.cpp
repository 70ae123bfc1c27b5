#include "FinchPanel.h"

#include "DeviceCommands.h"
#include "DeviceTransport.h"
#include "FormControls.h"
#include "FormLayout.h"
#include "LineEditKeyFilter.h"
#include "NumberText.h"
#include "Prompt.h"
#include "ReplyDecoding.h"
#include "ServerDatabase.h"
#include "SharedLayouts.h"
#include "StatusGrid.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr char16_t kReminder[] = u"txtAlarmReminderTimeDelay";
constexpr char16_t kTwoStage[] = u"txtTwoStageDoorAlarmTimeDelay";

bool UsesAlarmPage()
{
    return Decoded().DeviceSubModel >= 5;
}

QString Retrieve(const char *what)
{
    return QStringLiteral("Failed to retreive ") + QString::fromLatin1(what);
}

} // namespace

SensorRows FinchPanel::Rows(const QStringList &captions, int limitRows, bool closesConnection)
{
    SensorRows rows;
    rows.captions = captions;
    rows.columns.last().caption = QStringLiteral("Time (min)");
    rows.headingStem = QStringLiteral("lblFinch");
    rows.limitRows = limitRows;
    rows.calibratedRows = limitRows;
    rows.closesConnection = closesConnection;
    rows.nameFilter = false;
    rows.keyWhitensLimit = false;
    rows.notesCaption = QStringLiteral("Notes");
    rows.storeCaption = QStringLiteral("Store Calibration Factors");
    rows.resetCaption = QStringLiteral("Clear Calibration Factors");
    return rows;
}

void FinchPanel::AddAlarmFields(std::vector<Field> &fields)
{
    // The delays are single bytes; a blank box goes as the 0 it then shows.
    fields.push_back({4, 9, QStringLiteral("optRelayLogic"), Codec::OptionByte, -1, Shown::Always,
                      Blank::KeepsBytes, 0, 1});
    fields.push_back(
        {4, 10, QString::fromUtf16(kReminder), Codec::Byte, -1, Shown::Always, Blank::WritesZero});
    fields.push_back({4, 11, QStringLiteral("optEnableBuzzer"), Codec::OptionByte, -1,
                      Shown::Always, Blank::KeepsBytes, 1, 0});
    fields.push_back(
        {4, 12, QString::fromUtf16(kTwoStage), Codec::Byte, -1, Shown::Always, Blank::WritesZero});
}

void FinchPanel::AddNames(std::vector<Field> &fields, int page, int firstRow)
{
    fields.push_back({page, 9, Indexed(u"txtName", firstRow), Codec::Name, firstRow});
    fields.push_back({page, 29, Indexed(u"txtName", firstRow + 1), Codec::Name, firstRow + 1});
}

void FinchPanel::AddExchanges(PanelTables &tables, const std::vector<Step> &beforeNames,
                              const std::vector<Step> &afterNames, const QList<int> &moreNamePages)
{
    // The names come before page 0, whose values show only on named rows.
    tables.download = {{kIdentityPage},
                       {4, Retrieve("alarm parameters"), {}, false, false, UsesAlarmPage}};
    tables.download.insert(tables.download.end(), beforeNames.begin(), beforeNames.end());
    tables.download.push_back({2, Retrieve("temperature sensor names")});
    tables.download.push_back({3, Retrieve("door sensor names")});
    tables.download.insert(tables.download.end(), afterNames.begin(), afterNames.end());
    tables.download.push_back(
        {kCurrentDataPage, QStringLiteral("Failed to download sensor readings")});
    tables.download.push_back({0, QStringLiteral("Failed to upload limits")});
    tables.upload = {
        {4},
        {0, QStringLiteral("Failed to download the limits"), {}, false, false, nullptr, true},
        {2},
        {3},
    };
    for (const int page : moreNamePages)
        tables.upload.push_back({page});
    tables.freshRead = true;
}

FinchPanel::FinchPanel(const SensorRows &rows, PanelTables tables, QWidget *parent)
    : SensorPanel(rows, std::move(tables), parent)
{
    while (auto *heading = findChild<QLabel *>(Indexed(u"lblFinch", int(lblFinch.size()))))
        lblFinch.append(heading);
    lblFinch.last()->setToolTip(QStringLiteral(
        "The amount of time that the sensor has to out of limits, programmed in minutes."));
    for (QLineEdit *reading : std::as_const(txtReading))
        connect(reading, &QLineEdit::textChanged, reading, &QLineEdit::setToolTip);

    Label1.append(Named(new QLabel(QStringLiteral("Note: to disable a sensor, leave the name "
                                                  "blank."),
                                   this),
                        u"Label1(0)"));
    ModelArea()->addWidget(Label1.last());

    frmAlarmConfiguration =
        Named(new QGroupBox(QStringLiteral("Alarm Configuration"), this), u"frmAlarmConfiguration");
    frmAlarmConfiguration->hide();
    auto *alarm = new QGridLayout(frmAlarmConfiguration);
    const QString relay[2] = {
        QStringLiteral("Turn on alarm relay when a sensor goes into alarm."),
        QStringLiteral(
            "Turn off alarm relay when a sensor goes into alarm or the main power fails.")};
    const QString buzzer[2] = {QStringLiteral("Enable Buzzer"), QStringLiteral("Disable Buzzer")};
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
    alarm->addWidget(relayBox, 0, 0, 1, 2);
    alarm->addWidget(buzzerBox, 1, 0, 1, 2);
    const QString delayLabels[2] = {
        QStringLiteral("Alarm reminder time delay (min).  Enter a value from 1 to 255 minutes, "
                       "or 0 to disable alarm reminder."),
        QStringLiteral("Two stage door alarm time delay.  Generate a full alarm after this time "
                       "delay (min).  Enter a value from 1 to 255 minutes, or 0 to disable two "
                       "stage alarm.")};
    QLineEdit **delays[2] = {&txtAlarmReminderTimeDelay, &txtTwoStageDoorAlarmTimeDelay};
    const char16_t *delayNames[2] = {kReminder, kTwoStage};
    for (int k = 0; k < 2; ++k) {
        QLineEdit *box = Named(new QLineEdit(frmAlarmConfiguration), QStringView(delayNames[k]));
        box->installEventFilter(new LineEditKeyFilter(KeyRule::Digits, box));
        *delays[k] = box;
        Label1.append(
            Named(new QLabel(delayLabels[k], frmAlarmConfiguration), Indexed(u"Label1", k + 1)));
        WrapLabel(Label1.last());
        alarm->addWidget(box, 2 + k, 0);
        alarm->addWidget(Label1.last(), 2 + k, 1);
    }
    Label1.at(1)->setToolTip(
        QStringLiteral("After an alarm has been acknowledged, a new alarm will be generated "
                       "after this value (in minutes).    "));
    ModelArea()->addWidget(frmAlarmConfiguration);

    btnCF = Named(new QPushButton(QStringLiteral("CF"), frmCal), u"btnCF");
    CalibrationArea()->addWidget(btnCF);
    connect(btnCF, &QPushButton::clicked, this, &FinchPanel::btnCF_Click);
}

void FinchPanel::Form_Activate()
{
    frmCal->hide();
    frmNotes->hide();
    frmAlarmConfiguration->hide();
    SensorPanel::Form_Activate();
}

void FinchPanel::ApplyGates()
{
    frmAlarmConfiguration->setVisible(UsesAlarmPage());
}

QString FinchPanel::NumericReading(int /*row*/, float reading) const
{
    return FormatPointZero(double(reading));
}

void FinchPanel::ParseCurrentData(const QByteArray &reply)
{
    using namespace CurrentDataReply;
    TenthsMode = ReadDeviceUInt(reply, kTenthsFlagByte, 1) == 10;
    for (int i = 0; i < txtReading.size(); ++i) {
        float reading = float(ReadDeviceInt(reply, ReadingByte(i), 2));
        if (TenthsMode && !IsDoor(i))
            reading /= 10.0f;
        // A door reading other than 0 or 1 leaves the row's own text.
        QString text = txtReading.at(i)->text();
        FormatSensorReading(reading, lblSensorType.at(i)->text(), text);
        txtReading.at(i)->setText(BoxNumber(text) ? NumericReading(i, reading) : text);
    }
}

// Notes belong to the port, named or not.
void FinchPanel::AfterDownload()
{
    for (int i = 0; i < txtNotes.size(); ++i) {
        QString notes;
        LoadSensorNotes(DatabaseID, qint16(i), notes);
        txtNotes.at(i)->setText(notes);
    }
}

// Blank alarm delays go to the device as 0, and the operator sees that before it happens.
bool FinchPanel::CheckEntries(bool /*calOnly*/)
{
    if (UsesAlarmPage()) {
        for (QLineEdit *box : {txtAlarmReminderTimeDelay, txtTwoStageDoorAlarmTimeDelay}) {
            if (box->text().trimmed().isEmpty())
                box->setText(QStringLiteral("0"));
        }
    }
    return true;
}

QString FinchPanel::FieldTitle(const Field &field) const
{
    if (field.control == kReminder)
        return QStringLiteral("Alarm reminder time delay");
    if (field.control == kTwoStage)
        return QStringLiteral("Two stage door alarm time delay");
    return SensorPanel::FieldTitle(field);
}

void FinchPanel::btnRefresh_Click()
{
    Buttons(false);
    frmNotes->hide();
    GetLimits();
    CloseConnection();
    Buttons(true);
}

void FinchPanel::btnSave_Click()
{
    Buttons(false);
    SaveLimits(false);
    CloseConnection();
    Buttons(true);
}

// The connection stays as the last transfer left it.
void FinchPanel::btnClose_Click()
{
    done(QDialog::Accepted);
}

void FinchPanel::btnCal_Click()
{
    SensorPanel::btnCal_Click();
    for (QLineEdit *factor : std::as_const(txtCF))
        factor->hide();
    lblCal.at(1)->hide();
}

void FinchPanel::btnCF_Click()
{
    for (QLineEdit *factor : std::as_const(txtCF))
        factor->show();
    lblCal.at(1)->show();
}

void FinchPanel::SetFactors(const QStringList &texts)
{
    for (int i = 0; i < txtCF.size(); ++i)
        txtCF.at(i)->setText(texts.at(i));
}

void FinchPanel::btnStoreCalFactors_Click()
{
    if (!ReadyToCalibrate())
        return;
    if (!UploadAllowed(true)) {
        RefuseUnreadPages();
        return;
    }
    QStringList before;
    for (const QLineEdit *factor : std::as_const(txtCF))
        before << factor->text();
    if (!ComputeFactors())
        return;
    // Factors not stored must not stay in the boxes: the next Save would send them.
    if (Prompt::Show(QStringLiteral("Upload Calibration Factors?"), Prompt::Buttons::OkCancel,
                     Prompt::Icon::Question,
                     QStringLiteral("Upload Calibration Factors")) == Prompt::Answer::Cancel) {
        SetFactors(before);
        return;
    }
    Buttons(false);
    const bool stored = SaveLimits(true);
    Buttons(true);
    if (!stored) {
        SetFactors(before);
        return;
    }
    btnRefresh_Click();
}

void FinchPanel::btnReset_Click()
{
    if (!ZeroFactorsIfConfirmed(QStringLiteral("Reset both calibration factors to zero?")))
        return;
    Buttons(false);
    SaveLimits(true);
    CloseConnection();
    GetLimits();
    CloseConnection();
    Buttons(true);
}
