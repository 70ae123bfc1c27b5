#include "PanelTest.h"

#include "AnsiText.h"
#include "DeviceTransport.h"
#include "ServerDatabase.h"
#include "frmFinch.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

class frmFinchTest : public PanelTest {
protected:
    // Unowned bytes distinct; named sensors with limits 21.5 / 30.0 (or 215 / 300), delays,
    // factors 1.5 and -2.0, alarm options on their second element.
    void FillDevice(qint16 subModel, bool tenths)
    {
        device.family = 3;
        device.subModel = subModel;
        device.tenths = tenths;
        FillPagesDistinct();
        const int values[] = {215, 300, 5, -100, 50, 6, 7, 8, 15, -20};
        for (int k = 0; k < 10; ++k)
            device.pages[0].replace(8 + 2 * k, 2, Word(values[k]));
        device.pages[4].replace(8, 4, QByteArray::fromHex("0178000F"));
    }

    static QString Texts(const QList<QLineEdit *> &boxes)
    {
        QStringList texts;
        for (const QLineEdit *box : boxes)
            texts << box->text();
        return texts.join(u'|');
    }
};

TEST_F(frmFinchTest, SavingUneditedGivesEveryPageBackAndPageFourOnlyFromSubModelFive)
{
    const struct {
        qint16 subModel;
        QStringList download, upload;
    } rows[] = {
        {4,
         {u"2ACDDCBA"_s, u"AABBCC02"_s, u"AABBCC03"_s, u"3FCDDC00"_s, u"AABBCC00"_s},
         {u"AABBCC00"_s, u"DDCCBB00"_s, u"AABBCC02"_s, u"DDCCBB02"_s, u"AABBCC03"_s,
          u"DDCCBB03"_s}},
        {5,
         {u"2ACDDCBA"_s, u"AABBCC04"_s, u"AABBCC02"_s, u"AABBCC03"_s, u"3FCDDC00"_s, u"AABBCC00"_s},
         {u"AABBCC04"_s, u"DDCCBB04"_s, u"AABBCC00"_s, u"DDCCBB00"_s, u"AABBCC02"_s, u"DDCCBB02"_s,
          u"AABBCC03"_s, u"DDCCBB03"_s}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.subModel);
        FillDevice(row.subModel, true);
        const qsizetype first = device.Requests().size();
        frmFinch panel;
        Open(panel);
        EXPECT_EQ(Headers(first), row.download);
        EXPECT_EQ(panel.frmAlarmConfiguration->isHidden(), row.subModel < 5);
        EXPECT_FALSE(ConnectionOpen());
        EXPECT_EQ(Texts(panel.txtLL) + u'|' + Texts(panel.txtUL) + u'|' + Texts(panel.txtTOL) +
                      u'|' + Texts(panel.txtCF),
                  u"21.5|-10.0|30.0|5.0|5|6|7|8|1.5|-2.0"_s);
        if (row.subModel >= 5) {
            EXPECT_TRUE(panel.optRelayLogic[1]->isChecked());
            EXPECT_TRUE(panel.optEnableBuzzer[1]->isChecked());
            EXPECT_EQ(panel.txtAlarmReminderTimeDelay->text() + u'|' +
                          panel.txtTwoStageDoorAlarmTimeDelay->text(),
                      u"120|15"_s);
        }

        // What the device changed since the download stays.
        device.pages[0][40] = 'X';
        device.pages[4][20] = 'Y';
        const auto before = device.pages;
        const qsizetype upload = device.Requests().size();
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        EXPECT_EQ(Headers(upload), row.upload);
        EXPECT_EQ(device.pages, before);
        EXPECT_EQ(Lines(panel), QStringList{});
        EXPECT_FALSE(ConnectionOpen());
        EXPECT_TRUE(panel.btnSave->isEnabled());
        EXPECT_TRUE(prompt.Messages().isEmpty());
    }
}

TEST_F(frmFinchTest, EachEditChangesExactlyItsBytes)
{
    FillDevice(5, true);
    frmFinch panel;
    Open(panel);
    panel.txtTwoStageDoorAlarmTimeDelay->clear();
    const auto expected = Type({
        {panel.txtName.at(1), u"Walk-in freezer no. 12"_s, 2, 29, "Walk-in freezer no. "},
        {panel.txtName.at(3), u"Dock"_s, 3, 29, "Dock                "},
        {panel.txtLL.at(0), u"12.25"_s, 0, 9, Word(122)},
        {panel.txtUL.at(1), u"-.5"_s, 0, 17, Word(-5)},
        {panel.txtTOL.at(1), u"45"_s, 0, 19, Word(45)},
        {panel.txtTOL.at(3), u"9"_s, 0, 23, Word(9)},
        {panel.txtCF.at(1), u"2.5"_s, 0, 27, Word(25)},
        {panel.txtAlarmReminderTimeDelay, u"255"_s, 4, 10, QByteArray(1, char(255))},
    });
    auto pages = expected;
    pages[4][8] = 0;
    pages[4][10] = 1;
    pages[4][11] = 0; // the blank two-stage delay
    panel.optRelayLogic[0]->setChecked(true);
    panel.optEnableBuzzer[0]->setChecked(true);
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, pages);
    EXPECT_EQ(panel.txtTwoStageDoorAlarmTimeDelay->text(), u"0"_s);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmFinchTest, TenthsModeDecidesHowLimitsAndFactorsShow)
{
    const struct {
        bool tenths;
        QString shown, factors, typed;
        QByteArray stored;
    } rows[] = {
        {true, u"21.5|-10.0|30.0|5.0"_s, u"1.5|-2.0"_s, u"-.5"_s, Word(-5)},
        {false, u"215|-100|300|50"_s, u"|"_s, u"-5"_s, Word(-5)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.tenths);
        FillDevice(4, row.tenths);
        device.channels[0].reading = row.tenths ? 725 : 72;
        device.channels[1].reading = row.tenths ? 10000 : 1000; // "Not Connected" either way
        device.channels[2].reading = 1;
        device.channels[3].reading = 7;
        frmFinch panel;
        Open(panel);
        EXPECT_EQ(Texts(panel.txtLL) + u'|' + Texts(panel.txtUL), row.shown);
        EXPECT_EQ(Texts(panel.txtCF), row.factors);
        EXPECT_EQ(Texts(panel.txtReading),
                  (row.tenths ? u"72.5"_s : u"72.0"_s) + u"|Not Connected|Closed|"_s);
        EXPECT_EQ(panel.txtReading.at(1)->toolTip(), u"Not Connected"_s);

        auto expected = device.pages;
        expected[0].replace(8, 2, row.stored);
        panel.txtLL.at(0)->setText(row.typed);
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        // Outside tenths the blank factor boxes leave bytes 25 to 28 as they were.
        EXPECT_EQ(device.pages, expected);
        QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
        EXPECT_EQ(panel.txtLL.at(0)->text(), row.typed);
    }
}

TEST_F(frmFinchTest, EachFailingExchangeGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    FillDevice(5, true);
    ExpectFailureLines<frmFinch>(
        {
            {{DeviceCommand::Identify()}, B::WrongEcho, {}, {}},
            {{DeviceCommand::ReadPage(4)},
             B::WrongEcho,
             {u"Failed to retreive alarm parameters"_s}},
            {{DeviceCommand::ReadPage(2)},
             B::WrongEcho,
             {u"Failed to retreive temperature sensor names"_s}},
            {{DeviceCommand::ReadPage(3)},
             B::WrongEcho,
             {u"Failed to retreive door sensor names"_s}},
            {{DeviceCommand::ReadCurrentData()},
             B::WrongEcho,
             {u"Failed to download sensor readings"_s}},
            {{DeviceCommand::ReadPage(0)}, B::WrongEcho, {u"Failed to upload limits"_s}},
        },
        false);
    // A fresh read that fails skips its page; only page 0's are told, and the upload is
    // not complete.
    ExpectFailureLines<frmFinch>(
        {
            {{DeviceCommand::ReadPage(0)},
             B::WrongEcho,
             {u"Failed to download the limits"_s, Incomplete()},
             {u"AABBCC04"_s, u"DDCCBB04"_s, u"AABBCC00"_s, u"AABBCC02"_s, u"DDCCBB02"_s,
              u"AABBCC03"_s, u"DDCCBB03"_s}},
            {{StoreHeader(0)}, B::WrongEcho, {u"Failed to download the limits"_s, Incomplete()}},
            {{DeviceCommand::ReadPage(4), StoreHeader(2)},
             B::Silent,
             {Incomplete()},
             {u"AABBCC04"_s, u"AABBCC00"_s, u"DDCCBB00"_s, u"AABBCC02"_s, u"DDCCBB02"_s,
              u"AABBCC03"_s, u"DDCCBB03"_s}},
            {{StoreHeader(2)}, B::ErrorText, {Incomplete()}, {}, ErrorInName()},
        },
        true);
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmFinchTest, SaveRefusesWhatTheDeviceCannotHoldAndPagesThatFailed)
{
    FillDevice(5, true);
    ExpectRefusals<frmFinch>({
        {{},
         u"txtAlarmReminderTimeDelay"_s,
         u"300"_s,
         u"Alarm reminder time delay: \"300\" cannot be stored.  Enter a number from 0 to "
         "255."_s},
        {{},
         u"txtTwoStageDoorAlarmTimeDelay"_s,
         u"256"_s,
         u"Two stage door alarm time delay: \"256\" cannot be stored.  Enter a number "
         "from 0 to 255."_s},
        {{},
         u"txtLL(1)"_s,
         u"-"_s,
         u"Temperature Sensor Port 2, Lower Limit: \"-\" cannot be stored.  Enter a number from "
         "-3276.8 to 3276.7."_s},
        {{},
         u"txtTOL(2)"_s,
         u"40000"_s,
         u"Door Sensor 1, Time (min): \"40000\" cannot be stored.  Enter a number from -32768 "
         "to 32767."_s},
        {DeviceCommand::ReadPage(4), {}, {}, UnreadRefusal()},
        {DeviceCommand::ReadPage(3), {}, {}, UnreadRefusal()},
        {DeviceCommand::ReadCurrentData(), {}, {}, UnreadRefusal()},
    });
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmFinchTest, CalibrationWorksOutTheFactorsBeforeItAsks)
{
    FillDevice(4, true);
    device.channels[0].reading = 200;
    device.channels[1].reading = 250;
    frmFinch panel;
    Open(panel);
    QTest::mouseClick(panel.btnCal, Qt::LeftButton);
    EXPECT_FALSE(panel.frmCal->isHidden());
    EXPECT_TRUE(panel.txtReading.at(2)->isHidden());
    EXPECT_TRUE(panel.txtCF.at(0)->isHidden());
    EXPECT_TRUE(panel.lblCal.at(1)->isHidden());
    QTest::mouseClick(panel.btnCF, Qt::LeftButton);
    EXPECT_FALSE(panel.txtCF.at(1)->isHidden());
    EXPECT_FALSE(panel.lblCal.at(1)->isHidden());

    const qsizetype first = device.Requests().size();
    EXPECT_EQ(Click(panel.btnStoreCalFactors),
              QList{Box(u"Please enter the actual temperature"_s)});

    // Only the second sensor's actual box: only its factor changes. Cancel puts it back.
    const auto ask = Box(u"Upload Calibration Factors?"_s, Prompt::Buttons::OkCancel,
                         Prompt::Icon::Question, u"Upload Calibration Factors"_s);
    panel.txtActualTemp.at(1)->setText(u"24"_s);
    prompt.Queue(Prompt::Answer::Cancel);
    EXPECT_EQ(Click(panel.btnStoreCalFactors), QList{ask});
    EXPECT_EQ(Texts(panel.txtCF), u"1.5|-2.0"_s);
    EXPECT_EQ(Headers(first), QStringList{});
    const auto factors = device.pages[0].mid(24, 4);
    panel.txtLL.at(0)->setText(u"20"_s);
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages[0].mid(24, 4), factors);

    device.channels[1].reading = 240; // what the device reads once corrected
    EXPECT_EQ(Click(panel.btnStoreCalFactors), QList{ask});
    EXPECT_EQ(device.pages[0].mid(24, 4), QByteArray(Word(15) + Word(-30))); // 24 - 25 + -2.0
    EXPECT_EQ(Texts(panel.txtCF), u"1.5|-3.0"_s);
    EXPECT_EQ(panel.txtReading.at(1)->text(), u"24.0"_s);
    EXPECT_FALSE(ConnectionOpen());

    // A reading that is no number: refused, naming the sensor, nothing sent.
    device.channels[0].reading = -32768;
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    panel.txtActualTemp.at(0)->setText(u"20"_s);
    const qsizetype later = device.Requests().size();
    const auto shown = Click(panel.btnStoreCalFactors);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown.at(0).text.startsWith(panel.txtName.at(0)->text() + u" cannot be"_s));
    EXPECT_EQ(Headers(later), QStringList{});

    prompt.Queue(Prompt::Answer::Cancel);
    Click(panel.btnReset);
    EXPECT_EQ(Texts(panel.txtCF), u"1.5|-3.0"_s);
    EXPECT_EQ(Click(panel.btnReset),
              QList{Box(u"Reset both calibration factors to zero?"_s, Prompt::Buttons::OkCancel,
                        Prompt::Icon::Question, u"Reset Cal Factors"_s)});
    EXPECT_EQ(device.pages[0].mid(24, 4), QByteArray(4, '\0'));
    EXPECT_EQ(Texts(panel.txtCF), u".0|.0"_s);
    EXPECT_FALSE(ConnectionOpen());

    QTest::mouseClick(panel.btnCloseCal, Qt::LeftButton);
    EXPECT_TRUE(panel.frmCal->isHidden());
    EXPECT_FALSE(panel.txtReading.at(2)->isHidden());
}

TEST_F(frmFinchTest, FactorsOutsideTenthsAreRefusedForCalibration)
{
    FillDevice(4, false);
    frmFinch panel;
    Open(panel);
    QTest::mouseClick(panel.btnCal, Qt::LeftButton);
    panel.txtActualTemp.at(0)->setText(u"20"_s);
    const qsizetype first = device.Requests().size();
    EXPECT_EQ(Click(panel.btnStoreCalFactors),
              QList{Box(panel.txtName.at(0)->text() +
                        u" cannot be calibrated from the actual temperature \"20\", the reading "
                        "\".0\" and the correction \"\"."_s)});
    EXPECT_EQ(Headers(first), QStringList{});
}

TEST_F(frmFinchTest, SavedRowsKeepNotesOfUnnamedSensorsAndDoorsHaveNoLimits)
{
    FillDevice(4, true);
    device.pages[2].replace(8, 20, FixedAnsi(u"Cooler 'A'"_s, 20));
    device.pages[2].replace(28, 20, QByteArray(20, ' '));
    device.pages[3].replace(8, 20, FixedAnsi(u"Dock \"1\""_s, 20));
    device.pages[3].replace(28, 20, QByteArray(20, ' '));
    SaveSensorRecord(9, {}, 0, u"Check the seal"_s, {}, {}, {}, {});
    SaveSensorRecord(9, {}, 1, u"Spare probe"_s, {}, {}, {}, {});
    frmFinch panel;
    panel.DatabaseID = 9;
    Open(panel);
    EXPECT_EQ(panel.txtNotes.at(1)->text(), u"Spare probe"_s);
    EXPECT_EQ(panel.txtLL.at(1)->text() + panel.txtUL.at(1)->text() + panel.txtTOL.at(1)->text() +
                  panel.txtTOL.at(3)->text(),
              QString());
    EXPECT_EQ(panel.txtLL.size(), 2);
    const auto pages = device.pages;
    bool enabledDuring = true;
    DuringDelayedReply(StoreHeader(0), [&] { QTest::mouseClick(panel.btnSave, Qt::LeftButton); },
                       {[&] { enabledDuring = panel.btnCal->isEnabled(); }});
    EXPECT_FALSE(enabledDuring);
    EXPECT_EQ(device.pages, pages);
    EXPECT_EQ(Rows(u"SELECT PortNum, SensorName, SensorNotes, SensorType, UpperLimit, "
                   "LowerLimit, TOL FROM tblSensors WHERE ServerIDNum = 9 ORDER BY PortNum"_s),
              (QStringList{
                  u"PortNum=0|SensorName=Cooler 'A'|SensorNotes=Check the "
                  u"seal|SensorType=Temperature Sensor "
                  "Port 1|UpperLimit=30|LowerLimit=21.5|TOL=5"_s,
                  u"PortNum=1|SensorName=|SensorNotes=Spare probe|SensorType=Temperature Sensor "
                  "Port 2|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
                  u"PortNum=2|SensorName=Dock \"1\"|SensorNotes=|SensorType=Door Sensor "
                  "1|UpperLimit=NULL|LowerLimit=NULL|TOL=7"_s,
                  u"PortNum=3|SensorName=|SensorNotes=|SensorType=Door Sensor "
                  "2|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
              }));
}

TEST_F(frmFinchTest, ShowsItsTextsAndLeavesTheConnectionOpenOnClose)
{
    FillDevice(5, true);
    frmFinch panel;
    Open(panel);
    ExpectTexts(&panel,
                "F41x Parameters\n"
                "Temperature Sensor Port 1\nTemperature Sensor Port 2\n"
                "Door Sensor 1\nDoor Sensor 2\n"
                "Current Reading\nLower Limit\nUpper Limit\nTime (min)\n"
                "The amount of time that the sensor has to out of limits, programmed in "
                "minutes.\n"
                "Note: to disable a sensor, leave the name blank.\n"
                "Alarm Configuration\n"
                "Turn on alarm relay when a sensor goes into alarm.\n"
                "Turn off alarm relay when a sensor goes into alarm or the main power fails.\n"
                "Enable Buzzer\nDisable Buzzer\n"
                "Alarm reminder time delay (min).  Enter a value from 1 to 255 minutes, or 0 to "
                "disable alarm reminder.\n"
                "After an alarm has been acknowledged, a new alarm will be generated after this "
                "value (in minutes).    \n"
                "Two stage door alarm time delay.  Generate a full alarm after this time delay "
                "(min).  Enter a value from 1 to 255 minutes, or 0 to disable two stage alarm.\n"
                "Temperature Calibration\nActual Temperature\nCorrection\nCF\n"
                "Store Calibration Factors\nClear Calibration Factors\n"
                "Cal\nRefresh\nNotes\nSave");
    EXPECT_EQ(panel.frmNotes->title(), u"Notes"_s);
    EXPECT_EQ(panel.findChild<QPushButton *>(u"btnCloseCal"_s)->text(), u"Close"_s);
    // Names take any character; delays only digits.
    QTest::keyClicks(panel.txtName.at(0), u"A/B\\"_s);
    QTest::keyClicks(panel.txtAlarmReminderTimeDelay, u"-5x"_s);
    EXPECT_EQ(panel.txtName.at(0)->text().right(4) + u'|' +
                  panel.txtAlarmReminderTimeDelay->text().right(1),
              u"A/B\\|5"_s);
    EXPECT_TRUE(prompt.Messages().isEmpty());

    QTest::mouseClick(panel.btnNotes, Qt::LeftButton);
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_TRUE(panel.frmNotes->isHidden());
    EXPECT_EQ(panel.btnNotes->text(), u"Hide"_s);
    EXPECT_FALSE(ConnectionOpen());

    // Close leaves the program's connection as it finds it, open for the next exchange.
    QByteArray reply;
    ASSERT_TRUE(ReadFromKV(device.Address(), kDevicePort, PadWithNulls(DeviceCommand::Identify()),
                           reply, kFrameLength, ProgressForm::None, false));
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(ConnectionOpen());
}
