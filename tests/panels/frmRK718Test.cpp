#include "PanelTest.h"

#include "AnsiText.h"
#include "ServerDatabase.h"
#include "frmRK718.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

const QString kBusy = u"This server is currently on the phone.  Please wait and try again later."_s;
const QString kTemperatureRange = u"Valid temperature limits are between 0 and 120 degrees"_s;
const QString kHumidityRange = u"Valid humidity limits are between 0% and 100%"_s;

} // namespace

class frmRK718Test : public PanelTest {
protected:
    // Every byte distinct from its neighbours and from what the panel would write; names
    // of 20 letters but row 5's, limits the range check passes, a dry contact on row 8.
    void FillDevice(qint16 revision)
    {
        device.family = 5;
        device.subModel = 8;
        device.revision = revision;
        FillPagesDistinct();
        for (int i = 0; i < 8; ++i) {
            device.pages[0].replace(8 + 6 * i, 6,
                                    QByteArray(Word(10 + i) + Word(80 + i) + Word(i + 1)));
            device.pages[12].replace(8 + 2 * i, 2, Word(i - 3));
        }
        device.pages[5].replace(28, 20, QByteArray(20, ' '));
        device.pages[0][56] = 1; // relay: second option
        device.pages[0][57] = 0; // buzzer: disabled
        device.pages[1].replace(8, 4, QByteArray(Word(5) + Word(1)));
    }

    QStringList DownloadHeaders(bool correctionPage) const
    {
        QStringList headers = {u"2ACDDCBA"_s, u"3FCDDC00"_s, u"AABBCC03"_s,
                               u"AABBCC04"_s, u"AABBCC05"_s, u"AABBCC06"_s,
                               u"AABBCC07"_s, u"AABBCC00"_s, u"AABBCC01"_s};
        if (correctionPage)
            headers.insert(1, u"AABBCC0C"_s);
        return headers;
    }
};

TEST_F(frmRK718Test, RevisionsGateTheDownloadAndSavingUneditedGivesEveryPageBack)
{
    const struct {
        qint16 revision;
        bool correctionPage, options;
    } rows[] = {{11, false, false}, {12, true, false}, {13, true, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.revision);
        FillDevice(row.revision);
        const auto before = device.pages;
        const qsizetype first = device.Requests().size();
        frmRK718 panel;
        Open(panel);
        EXPECT_EQ(Headers(first), DownloadHeaders(row.correctionPage));
        EXPECT_EQ(Lines(panel), QStringList{});
        EXPECT_TRUE(ConnectionOpen());
        for (const QRadioButton *option : {panel.optRelayLogic[0], panel.optRelayLogic[1],
                                           panel.optEnableBuzzer[0], panel.optEnableBuzzer[1]})
            EXPECT_EQ(option->isEnabled(), row.options);
        EXPECT_TRUE(panel.optRelayLogic[1]->isChecked());
        EXPECT_TRUE(panel.optEnableBuzzer[1]->isChecked());
        EXPECT_TRUE(panel.optInput[1]->isChecked());
        EXPECT_EQ(panel.txtBattV->isHidden(), !row.correctionPage);
        EXPECT_EQ(panel.lblBattV->isHidden(), !row.correctionPage);
        EXPECT_EQ(panel.btnCal->isHidden(), !row.options);
        EXPECT_EQ(panel.btnCal->isEnabled(), row.options);
        EXPECT_EQ(panel.txtLL.at(4)->text() + u'|' + panel.txtUL.at(4)->text() + u'|' +
                      panel.txtTOL.at(4)->text() + u'|' + panel.txtLL.at(5)->text(),
                  u"14|84|5|"_s);
        EXPECT_EQ(panel.txtCF.at(0)->text(), row.correctionPage ? u"-3"_s : QString());

        const qsizetype upload = device.Requests().size();
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        QStringList stores = {u"DDCCBB00"_s, u"DDCCBB01"_s, u"DDCCBB03"_s, u"DDCCBB04"_s,
                              u"DDCCBB05"_s, u"DDCCBB06"_s, u"DDCCBB07"_s};
        if (row.correctionPage)
            stores.prepend(u"DDCCBB0C"_s);
        EXPECT_EQ(Headers(upload), stores);
        EXPECT_EQ(device.pages, before);
        EXPECT_EQ(Lines(panel), QStringList{});
        EXPECT_TRUE(ConnectionOpen());
        EXPECT_TRUE(prompt.Messages().isEmpty());
    }
}

TEST_F(frmRK718Test, EachEditChangesExactlyItsBytes)
{
    FillDevice(13);
    frmRK718 panel;
    Open(panel);
    auto expected = Type({
        {panel.txtName.at(3), u"Rack \"B\""_s, 4, 29, "Rack \"B\"            "},
        {panel.txtName.at(8), u"Floor"_s, 7, 9, "Floor               "},
        {panel.txtLL.at(2), u"12.5"_s, 0, 21, Word(12)},
        {panel.txtUL.at(7), u"13.5"_s, 0, 53, Word(14)},
        {panel.txtTOL.at(4), u"45"_s, 0, 37, Word(45)},
        {panel.txtTOL.at(8), u"7"_s, 1, 9, Word(7)},
        {panel.txtCF.at(1), u"2.5"_s, 12, 11, Word(2)},
        {panel.txtCF.at(7), u"-3.5"_s, 12, 23, Word(-4)},
    });
    panel.optRelayLogic[0]->setChecked(true);
    panel.optEnableBuzzer[0]->setChecked(true);
    panel.optInput[0]->setChecked(true);
    expected[0][56] = 0;
    expected[0][57] = 1;
    expected[1].replace(10, 2, Word(0));
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, expected);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

// The kind goes out whatever the delay box holds, and the stored row and the readings
// follow the kind chosen.
TEST_F(frmRK718Test, DryContactChosenWithTheDelayBlank)
{
    device.revision = 13;
    device.pages[1].replace(8, 4, QByteArray(Word(9) + Word(0)));
    device.pages[7].replace(8, 20, FixedAnsi(u"Under floor"_s, 20));
    device.channels[8].reading = 1;
    frmRK718 panel;
    panel.DatabaseID = 6;
    EXPECT_EQ(panel.lblSensorType.at(8)->text(), u"Water Sensor / Dry contact input"_s);
    Open(panel);
    EXPECT_TRUE(panel.optInput[0]->isChecked());
    EXPECT_EQ(panel.lblSensorType.at(8)->text(), u"Water Sensor"_s);
    EXPECT_EQ(panel.txtReading.at(8)->text(), u"Water Detected"_s);

    panel.optInput[1]->setChecked(true);
    panel.txtTOL.at(8)->clear();
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages[1].mid(8, 4), QByteArray(Word(9) + Word(1)));
    EXPECT_EQ(Rows(u"SELECT SensorName, SensorType, UpperLimit, LowerLimit, TOL FROM tblSensors "
                   "WHERE ServerIDNum = 6 AND PortNum = 8"_s),
              QStringList{u"SensorName=Under floor|SensorType=Dry Contact Input|UpperLimit=NULL|"
                          "LowerLimit=NULL|TOL=NULL"_s});

    for (const auto &[reading, text] : {std::pair{1, u"Closed"_s}, std::pair{0, u"Open"_s}}) {
        device.channels[8].reading = qint16(reading);
        QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
        EXPECT_EQ(panel.lblSensorType.at(8)->text(), u"Dry Contact Input"_s);
        EXPECT_EQ(panel.txtReading.at(8)->text(), text);
        EXPECT_EQ(panel.txtTOL.at(8)->text(), u"9"_s);
    }
}

TEST_F(frmRK718Test, LimitsOutOfRangeAreEmptiedMarkedAndRefused)
{
    device.revision = 13;
    const struct {
        QStringList boxes, texts;
        QString message;
    } rows[] = {
        {{u"txtUL(0)"_s, u"txtLL(1)"_s, u"txtUL(3)"_s}, {u"120"_s, u"0"_s, u"100"_s}, {}},
        {{u"txtUL(2)"_s}, {u"120.5"_s}, kTemperatureRange},
        {{u"txtLL(6)"_s}, {u"-1"_s}, kTemperatureRange},
        {{u"txtUL(3)"_s}, {u"100.5"_s}, kHumidityRange},
        {{u"txtLL(7)"_s}, {u"-1"_s}, kHumidityRange},
        {{u"txtUL(1)"_s, u"txtLL(4)"_s}, {u"101"_s, u"121"_s}, kTemperatureRange},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.texts.join(u' ').toStdString());
        frmRK718 panel;
        panel.DatabaseID = 8;
        Open(panel);
        QList<QLineEdit *> boxes;
        for (int b = 0; b < row.boxes.size(); ++b) {
            boxes << panel.findChild<QLineEdit *>(row.boxes.at(b));
            boxes.last()->setText(row.texts.at(b));
        }
        const qsizetype first = device.Requests().size();
        const auto shown = Click(panel.btnSave);
        EXPECT_TRUE(panel.lblStatus->isHidden());
        if (row.message.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty());
            EXPECT_EQ(ReadDeviceInt(device.pages[0], 11, 2), 120);
            EXPECT_EQ(ReadDeviceInt(device.pages[0], 29, 2), 100);
            continue;
        }
        EXPECT_EQ(shown, QList{Box(row.message)});
        EXPECT_EQ(Headers(first), QStringList{});
        for (QLineEdit *box : std::as_const(boxes)) {
            EXPECT_TRUE(box->text().isEmpty());
            EXPECT_TRUE(IsYellow(box));
        }
        // Typing leaves the mark: only a valid value saved takes it back.
        QTest::keyClick(boxes.first(), Qt::Key_5);
        EXPECT_TRUE(IsYellow(boxes.first()));
        for (QLineEdit *box : std::as_const(boxes))
            box->setText(u"50"_s);
        EXPECT_TRUE(Click(panel.btnSave).isEmpty());
        EXPECT_FALSE(IsYellow(boxes.first()));
    }
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=9"_s});
}

// Nothing half written, nothing wrapped, nothing written over a page this opening lacks.
TEST_F(frmRK718Test, NothingIsSentWhileABoxHoldsWhatItsFieldCannotHold)
{
    device.revision = 13;
    const QString number = u"cannot be stored.  Enter a number from -32768 to 32767."_s;
    ExpectRefusals<frmRK718>({
        {{}, u"txtLL(0)"_s, u"-"_s, u"Zone 1 Temperature Sensor, Lower Limit: \"-\" "_s + number},
        {{}, u"txtTOL(8)"_s, u"x"_s, u"Water Sensor, Time: \"x\" "_s + number},
        {{}, u"txtTOL(3)"_s, u"40000"_s, u"Zone 2 Humidity Sensor, Time: \"40000\" "_s + number},
        {{}, u"txtCF(5)"_s, u"1x"_s, u"Zone 3 Humidity Sensor, Correction: \"1x\" "_s + number},
        {DeviceCommand::ReadPage(1), {}, {}, UnreadRefusal()},
        {DeviceCommand::ReadPage(12), {}, {}, UnreadRefusal()},
    });
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmRK718Test, EachFailingStepGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const struct {
        QByteArray header;
        B behaviour;
        QString line, lastRequest;
    } rows[] = {
        {DeviceCommand::ReadPage(3), B::Busy, kBusy, u"AABBCC03"_s},
        {DeviceCommand::ReadPage(4), B::WrongEcho, u"Failed to download page 4 sensor names"_s,
         u"AABBCC01"_s},
        {DeviceCommand::ReadPage(12), B::WrongEcho,
         u"Failed to download temperature correction factors"_s, u"AABBCC01"_s},
        {DeviceCommand::ReadCurrentData(), B::WrongEcho, u"Failed to download sensor readings"_s,
         u"AABBCC01"_s},
        {DeviceCommand::ReadPage(0), B::WrongEcho, u"Failed to uploaded temperature limits"_s,
         u"AABBCC00"_s},
        {DeviceCommand::ReadPage(1), B::WrongEcho,
         u"Failed to uploaded water/dry contact input configuration"_s, u"AABBCC01"_s},
    };
    FillDevice(13);
    frmRK718 panel;
    Open(panel);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.header.toHex().toStdString());
        device.SetKnob(row.header, Knob(row.behaviour));
        QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
        EXPECT_EQ(Lines(panel), QStringList{row.line});
        EXPECT_EQ(Headers().last(), row.lastRequest);
        EXPECT_TRUE(panel.lblStatus->isHidden());
        EXPECT_TRUE(panel.btnSave->isEnabled());
        // Readings come only from this download's reply.
        EXPECT_EQ(panel.txtReading.at(0)->text(),
                  row.header == DeviceCommand::ReadCurrentData() ? QString() : u"0"_s);
    }
    EXPECT_TRUE(prompt.Messages().isEmpty());

    // Busy at the names: only the identification, page 12 and the readings before it.
    device.SetKnob(DeviceCommand::ReadPage(3), Knob(B::Busy));
    const qsizetype first = device.Requests().size();
    EXPECT_FALSE(panel.GetLimits());
    EXPECT_TRUE(panel.lblStatus->isHidden());
    EXPECT_EQ(Headers(first),
              (QStringList{u"2ACDDCBA"_s, u"AABBCC0C"_s, u"3FCDDC00"_s, u"AABBCC03"_s}));
    EXPECT_EQ(panel.txtName.at(0)->text() + panel.txtLL.at(0)->text(), QString());
}

TEST_F(frmRK718Test, EachFailingStoreGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const struct {
        int page;
        B behaviour;
        QString line;
    } rows[] = {
        {12, B::WrongEcho, u"Failed to upload temperature correction factors"_s},
        {0, B::WrongEcho, u"Failed to download the temperature sensor limits"_s},
        {1, B::WrongEcho, u"Failed to download the door sensor limits"_s},
        {5, B::WrongEcho, u"Failed to download the sensor names"_s},
        {0, B::Busy, kBusy},
    };
    device.revision = 13;
    frmRK718 panel;
    panel.DatabaseID = 3;
    Open(panel);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.page);
        panel.lstStatus->addItem(u"from before"_s);
        device.SetKnob(StoreHeader(row.page), Knob(row.behaviour));
        const qsizetype first = device.Requests().size();
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        EXPECT_EQ(Lines(panel), QStringList{row.line});
        EXPECT_TRUE(panel.lblStatus->isHidden());
        EXPECT_EQ(Headers(first).size(), row.behaviour == B::Busy ? 2 : 8);
    }
    // No upload was whole: no rows.
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK718Test, CalibrationStoresWholeFactorsAndRefreshesOnlyWhatItChanges)
{
    FillDevice(13);
    device.channels[0].reading = 70;
    device.channels[1].reading = 1000; // "Not Connected"
    frmRK718 panel;
    Open(panel);
    QTest::mouseClick(panel.btnCal, Qt::LeftButton);
    EXPECT_FALSE(panel.frmCal->isHidden());
    const QString name0 = panel.txtName.at(0)->text();
    EXPECT_EQ(panel.lblName.at(0)->text(), name0);
    EXPECT_EQ(panel.lblName.at(5)->text(), u"Not Named"_s);

    // The old readings go once the device is identified; the log is not cleared.
    panel.lstStatus->addItem(u"kept"_s);
    device.SetKnob(DeviceCommand::ReadCurrentData(), Knob(FakeDevice::Behaviour::WrongEcho));
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(panel.txtReading.at(0)->text() + panel.txtBattV->text(), QString());
    EXPECT_EQ(Lines(panel), (QStringList{u"kept"_s, u"Failed to download sensor readings"_s}));

    const qsizetype refresh = device.Requests().size();
    bool saveOffered = true;
    DuringDelayedReply(DeviceCommand::ReadCurrentData(),
                       [&] { QTest::mouseClick(panel.btnRefresh, Qt::LeftButton); },
                       {[&] { saveOffered = panel.btnSave->isEnabled(); }});
    EXPECT_FALSE(saveOffered);
    EXPECT_EQ(Headers(refresh), (QStringList{u"2ACDDCBA"_s, u"AABBCC0C"_s, u"3FCDDC00"_s}));
    EXPECT_EQ(panel.txtName.at(0)->text(), name0);
    // A calibration download reaches its end at the readings.
    EXPECT_TRUE(panel.GetLimits(true));
    EXPECT_TRUE(panel.lblStatus->isHidden());

    // One row that cannot be calibrated: no factor changes, nothing is sent.
    panel.txtActualTemp.at(0)->setText(u"72.3"_s);
    panel.txtActualTemp.at(1)->setText(u"40"_s);
    const qsizetype first = device.Requests().size();
    EXPECT_EQ(Click(panel.btnStoreCalFactors).size(), 2);
    EXPECT_EQ(panel.txtCF.at(0)->text(), u"-3"_s);
    EXPECT_EQ(Headers(first), QStringList{});

    panel.txtActualTemp.at(1)->clear();
    device.channels[0].reading = 72;
    QString worked;
    const auto shown = Shown([&] {
        DuringDelayedReply(StoreHeader(12),
                           [&] { QTest::mouseClick(panel.btnStoreCalFactors, Qt::LeftButton); },
                           {[&] { worked = panel.txtCF.at(0)->text(); }});
    });
    EXPECT_EQ(worked, u"-0.6999969"_s); // 72.3 - 70 + -3 in single precision, as worked out
    EXPECT_EQ(shown, QList{Box(u"Upload calibration factors?"_s, Prompt::Buttons::OkCancel,
                               Prompt::Icon::Question, u"Upload Calibration Factors"_s)});
    EXPECT_EQ(Headers(first),
              (QStringList{u"DDCCBB0C"_s, u"2ACDDCBA"_s, u"AABBCC0C"_s, u"3FCDDC00"_s}));
    EXPECT_EQ(device.pages[12].mid(8, 4), QByteArray(Word(-1) + Word(-2)));
    EXPECT_EQ(panel.txtCF.at(0)->text(), u"-1"_s);
    EXPECT_EQ(panel.txtReading.at(0)->text(), u"72"_s);
    EXPECT_TRUE(ConnectionOpen());

    const QByteArray untouched = device.pages[12].mid(24);
    Click(panel.btnReset);
    EXPECT_EQ(device.pages[12].mid(8, 16), QByteArray(16, '\0'));
    EXPECT_EQ(device.pages[12].mid(24), untouched);
    EXPECT_EQ(panel.txtCF.at(1)->text(), u"0"_s);
    EXPECT_TRUE(panel.btnSave->isEnabled());
    EXPECT_TRUE(ConnectionOpen());
}

TEST_F(frmRK718Test, ShowsItsTextsAndReadings)
{
    device.revision = 13;
    const qint16 readings[] = {72, 45, 1000, 999, -999, 55, 0, 100, 0};
    for (int i = 0; i < 9; ++i)
        device.channels[i].reading = readings[i];
    device.battery = 5;
    frmRK718 panel;
    Open(panel);
    QStringList shown;
    for (const QLineEdit *box : std::as_const(panel.txtReading))
        shown << box->text();
    EXPECT_EQ(shown.join(u'|'), u"72|45|Not Connected|Sensor Open|Sensor Shorted|55|0|100|Water "
                                "Not Detected"_s);
    EXPECT_EQ(panel.txtBattV->text(), u".5"_s);
    EXPECT_EQ(panel.findChild<QLineEdit *>(u"txtLL(8)"_s), nullptr);
    EXPECT_EQ(panel.txtName.at(0)->maxLength(), 20);
    EXPECT_EQ(panel.txtTOL.at(8)->maxLength(), 3);
    ExpectTexts(&panel, "Rackvane Parameters\n"
                        "Zone 1 Temperature Sensor\nZone 1 Humidity Sensor\n"
                        "Zone 2 Temperature Sensor\nZone 2 Humidity Sensor\n"
                        "Zone 3 Temperature Sensor\nZone 3 Humidity Sensor\n"
                        "Zone 4 Temperature Sensor\nZone 4 Humidity Sensor\nWater Sensor\n"
                        "Current Reading\nLower Limit\nUpper Limit\nTime\n"
                        "Sensor Notes\nRefresh\nSave\nClose\nNotes\nCal\n"
                        "Backup Battery Voltage (vdc)\nTemperature Calibration\n"
                        "Actual Temperature\nCorrection\nStore Correction Factors\nReset\n"
                        "Water Sensor Input\nDry Contact Input\n"
                        "Turn on alarm relay when a sensor goes into alarm.\n"
                        "Turn off alarm relay when a sensor goes into alarm or the main power "
                        "fails.\n"
                        "Enable Alarm Buzzer\nDisable Alarm Buzzer");
    // Typing a slash in a name is no error here.
    QTest::keyClicks(panel.txtName.at(0), u"A/B"_s);
    EXPECT_EQ(panel.txtName.at(0)->text(), u"A/B"_s);
    QTest::mouseClick(panel.btnNotes, Qt::LeftButton);
    EXPECT_EQ(panel.btnNotes->text(), u"Hide"_s);
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_TRUE(panel.frmNotes->isHidden());
    EXPECT_EQ(panel.btnNotes->text(), u"Notes"_s);
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(ConnectionOpen());
    EXPECT_TRUE(prompt.Messages().isEmpty());
}
