#include "PanelTest.h"

#include "AnsiText.h"
#include "ServerDatabase.h"
#include "frmRK715.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

using namespace Qt::StringLiterals;

class frmRK715Test : public PanelTest {
protected:
    // Every byte distinct from its neighbours and from what the panel would write, with
    // names of 20 letters and limits the range check passes.
    void FillDevice(qint16 family, qint16 subModel, qint16 revision)
    {
        device.family = family;
        device.subModel = subModel;
        device.revision = revision;
        device.tenths = true;
        FillPagesDistinct();
        for (int i = 0; i < 8; ++i)
            device.pages[0].replace(8 + 6 * i, 6,
                                    QByteArray(Word(-100 - i) + Word(300 + i) + Word(i + 1)));
        device.pages[0][56] = 1; // relay: second option
        device.pages[0][57] = 0; // buzzer: disabled
    }
};

TEST_F(frmRK715Test, SavingUneditedGivesEveryPageBackAndTheGatesFollowTheDevice)
{
    const struct {
        qint16 family, subModel, revision;
        bool correctionPage, relay, battery, filterShown, tenths;
    } rows[] = {
        {5, 7, 22, false, false, false, true, false}, {5, 7, 23, true, false, false, true, true},
        {5, 7, 24, true, true, false, false, true},   {5, 7, 25, true, true, true, true, true},
        {6, 5, 3, true, true, true, true, true},      {6, 8, 3, true, true, true, true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.revision * 100 + row.family * 10 + row.subModel);
        FillDevice(row.family, row.subModel, row.revision);
        const auto before = device.pages;
        const qsizetype first = device.Requests().size();
        frmRK715 panel;
        Open(panel);
        QStringList download = {u"2ACDDCBA"_s, u"AABBCC03"_s, u"AABBCC04"_s,
                                u"AABBCC05"_s, u"AABBCC06"_s, u"AABBCC07"_s,
                                u"3FCDDC00"_s, u"AABBCC00"_s, u"AABBCC01"_s};
        if (row.correctionPage)
            download << u"AABBCC0C"_s;
        EXPECT_EQ(Headers(first), download);
        EXPECT_EQ(Lines(panel), QStringList{u" Download complete"_s});
        EXPECT_FALSE(ConnectionOpen());
        EXPECT_EQ(panel.optRelayLogic[0]->isEnabled(), row.relay);
        EXPECT_TRUE(panel.optRelayLogic[1]->isChecked());
        EXPECT_EQ(panel.optEnableBuzzer[1]->isEnabled(), row.battery);
        EXPECT_TRUE(panel.optEnableBuzzer[1]->isChecked());
        EXPECT_EQ(panel.txtBattV->isHidden(), !row.battery);
        EXPECT_EQ(panel.lblBattV->isHidden(), !row.battery);
        EXPECT_EQ(panel.frmRK715rev23->isHidden(), !row.filterShown);
        EXPECT_EQ(panel.txtLL.at(0)->text(), row.tenths ? u"-10.0"_s : u"-100"_s);
        // Below revision 23 calibration stays offered while a transfer runs.
        panel.Buttons(false);
        EXPECT_EQ(panel.btnCal->isEnabled(), row.revision < 23);
        EXPECT_FALSE(panel.btnSave->isEnabled());
        panel.Buttons(true);

        const qsizetype upload = device.Requests().size();
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        QStringList stores = {u"DDCCBB00"_s, u"DDCCBB01"_s, u"DDCCBB03"_s, u"DDCCBB04"_s,
                              u"DDCCBB05"_s, u"DDCCBB06"_s, u"DDCCBB07"_s};
        if (row.correctionPage)
            stores.prepend(u"DDCCBB0C"_s);
        EXPECT_EQ(Headers(upload), stores);
        EXPECT_EQ(device.pages, before);
        EXPECT_EQ(Lines(panel).last(), u"Upload complete"_s);
        EXPECT_FALSE(ConnectionOpen());
        EXPECT_TRUE(prompt.Messages().isEmpty());
    }
}

TEST_F(frmRK715Test, EachEditChangesExactlyItsBytes)
{
    FillDevice(6, 5, 3);
    // Named by another tool: a name, whatever word it holds.
    device.pages[3].replace(8, 40, "Error LED rack      Terror Freezer      ");
    frmRK715 panel;
    Open(panel);
    EXPECT_EQ(panel.txtName.at(1)->text(), u"Terror Freezer"_s);
    auto expected = Type({
        {panel.txtName.at(0), u"LED rack error"_s, 3, 9, "LED rack error      "},
        {panel.txtName.at(3), u"Dairy \"B\""_s, 4, 29, "Dairy \"B\"           "},
        {panel.txtLL.at(2), u"12.5"_s, 0, 21, Word(125)},
        {panel.txtUL.at(7), u"-.5"_s, 0, 53, Word(-5)},
        {panel.txtTOL.at(5), u"45"_s, 0, 43, Word(45)},
        {panel.txtTOL.at(9), u"7"_s, 1, 11, Word(7)},
        {panel.txtCF.at(1), u"-1.5"_s, 12, 11, Word(-15)},
        {panel.txtCF.at(8), u"200"_s, 12, 25, QByteArray(1, char(200))},
        {panel.txtCF.at(9), {}, 12, 26, QByteArray(1, 0)},
    });
    panel.optRelayLogic[0]->setChecked(true);
    panel.optEnableBuzzer[0]->setChecked(true);
    expected[0][56] = 0;
    expected[0][57] = 1;
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, expected);
    EXPECT_EQ(Lines(panel).last(), u"Upload complete"_s);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK715Test, ReadingsBatteryAndUnnamedRows)
{
    device.family = 5;
    device.revision = 23;
    device.tenths = true;
    device.pages[3].replace(8, 20, FixedAnsi(u"Walk-in"_s, 20));
    device.pages[7].replace(8, 20, FixedAnsi(u"Back door"_s, 20));
    device.pages[0].replace(8, 6, QByteArray(Word(-5) + Word(0) + Word(30)));
    device.pages[0].replace(14, 6, QByteArray(Word(10) + Word(20) + Word(30))); // row 1 has no name
    device.pages[1].replace(8, 4, QByteArray(Word(5) + Word(6)));
    device.pages[12].replace(8, 2, QByteArray::fromHex("000F"));
    device.channels[0].reading = 725;
    device.channels[1].reading = 10000; // 1000 once in tenths: "Not Connected"
    device.channels[2].reading = 5;
    device.channels[8].reading = 1;
    device.channels[9].reading = 7;
    device.battery = 125;
    SaveSensorRecord(4, u"x"_s, 0, u"Check the seal"_s, {}, {}, {}, {});
    SaveSensorRecord(4, u"y"_s, 1, u"Old note"_s, {}, {}, {}, {});
    frmRK715 panel;
    panel.DatabaseID = 4;
    Open(panel);
    const QStringList readings = {
        u"72.5"_s, u"Not Connected"_s, u".5"_s, u".0"_s, u".0"_s, u".0"_s, u".0"_s,
        u".0"_s,   u"Closed"_s,        {}};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(panel.txtReading.at(i)->text(), readings.at(i)) << i;
    EXPECT_EQ(panel.txtBattV->text(), u"12.5"_s);
    EXPECT_EQ(panel.txtLL.at(0)->text() + u'|' + panel.txtUL.at(0)->text() + u'|' +
                  panel.txtTOL.at(0)->text(),
              u"-.5|.0|30"_s);
    EXPECT_EQ(panel.txtLL.at(1)->text() + panel.txtUL.at(1)->text() + panel.txtTOL.at(1)->text(),
              QString());
    EXPECT_EQ(panel.txtTOL.at(8)->text() + u'|' + panel.txtTOL.at(9)->text(), u"5|6"_s);
    EXPECT_EQ(panel.txtCF.at(0)->text(), u"1.5"_s);
    EXPECT_EQ(panel.txtNotes.at(0)->text(), u"Check the seal"_s);
    EXPECT_EQ(panel.txtNotes.at(1)->text(), QString());
    EXPECT_FALSE(panel.txtReading.at(0)->isEnabled());
    EXPECT_EQ(panel.txtLL.at(0)->maxLength(), 6);

    device.battery = 0;
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(panel.txtBattV->text(), u".0"_s);
    EXPECT_TRUE(ConnectionOpen());
}

TEST_F(frmRK715Test, SavedRowsHoldTheBoxTexts)
{
    device.family = 6;
    device.subModel = 5;
    device.pages[3].replace(8, 20, FixedAnsi(u"Cooler 'A'"_s, 20));
    device.pages[7].replace(8, 20, FixedAnsi(u"Dock \"1\""_s, 20));
    frmRK715 panel;
    panel.DatabaseID = 9;
    Open(panel);
    panel.txtLL.at(0)->setText(u"-2.5"_s);
    panel.txtUL.at(0)->setText(u"8"_s);
    panel.txtTOL.at(0)->setText(u"15"_s);
    panel.txtNotes.at(8)->setText(u"Don't prop"_s);
    panel.txtLL.at(8)->setText(u"1"_s);
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    const QStringList rows = Rows(
        u"SELECT PortNum, SensorName, SensorNotes, SensorType, UpperLimit, LowerLimit, TOL "
        "FROM tblSensors WHERE ServerIDNum = 9 AND PortNum IN (0, 1, 8, 9) ORDER BY PortNum"_s);
    EXPECT_EQ(rows, (QStringList{
                        u"PortNum=0|SensorName=Cooler 'A'|SensorNotes=|SensorType=Temperature "
                        "Sensor Port 1|UpperLimit=8|LowerLimit=-2.5|TOL=15"_s,
                        u"PortNum=1|SensorName=|SensorNotes=|SensorType=Temperature Sensor Port "
                        "2|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
                        u"PortNum=8|SensorName=Dock \"1\"|SensorNotes=Don't prop|SensorType=Door "
                        "Sensor 1|UpperLimit=NULL|LowerLimit=1|TOL=0"_s,
                        u"PortNum=9|SensorName=|SensorNotes=|SensorType=Door Sensor "
                        "2|UpperLimit=NULL|LowerLimit=NULL|TOL=0"_s,
                    }));
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors WHERE ServerIDNum = 9"_s),
              QStringList{u"COUNT(*)=10"_s});
    qint16 named = 0;
    CountNamedSensors(named);
    EXPECT_EQ(named, 2);
}

TEST_F(frmRK715Test, EachFailingStepGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const QString busyDownload =
        u"This device is currently on the phone.  Please wait and try again later."_s;
    const QString done = u" Download complete"_s;
    const struct {
        QByteArray header;
        B behaviour;
        QStringList lines;
        QString lastRequest;
        QByteArray errorText = "Error"; // written from byte 5
    } rows[] = {
        {DeviceCommand::ReadPage(3), B::Busy, {busyDownload}, u"AABBCC03"_s},
        {DeviceCommand::ReadPage(4), B::WrongEcho, {done}, u"AABBCC0C"_s},
        {DeviceCommand::ReadPage(7),
         B::WrongEcho,
         {u"Failed to download sensor names"_s, done},
         {}},
        {DeviceCommand::ReadPage(7), // into the first name
         B::ErrorText,
         {u"Failed to download sensor names"_s, done},
         {}},
        {DeviceCommand::ReadPage(0), // among the limits
         B::ErrorText,
         {u"Failed to download temperature limits"_s},
         u"AABBCC00"_s,
         "-----ERROR"},
        {DeviceCommand::ReadCurrentData(),
         B::WrongEcho,
         {u"Failed to download sensor readings"_s, done},
         {}},
        {DeviceCommand::ReadPage(0),
         B::WrongEcho,
         {u"Failed to download temperature limits"_s},
         u"AABBCC00"_s},
        {DeviceCommand::ReadPage(1),
         B::WrongEcho,
         {u"Failed to download door sensor limits"_s, done},
         {}},
        {DeviceCommand::ReadPage(12),
         B::WrongEcho,
         {u"Failed to download temperature correction factors"_s, done},
         {}},
    };
    device.revision = 24;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.header.toHex().toStdString());
        FakeDevice::Knob knob = Knob(row.behaviour);
        knob.errorText = row.errorText;
        device.SetKnob(row.header, knob);
        frmRK715 panel;
        Open(panel);
        EXPECT_EQ(Lines(panel), row.lines);
        EXPECT_TRUE(panel.lblStatus->isHidden());
        // The filter frame follows the revision only once the correction page was exchanged.
        EXPECT_EQ(panel.frmRK715rev23->isHidden(), row.lines.last() == done);
        if (!row.lastRequest.isEmpty()) {
            EXPECT_EQ(Headers().last(), row.lastRequest);
        }
    }
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK715Test, EachFailingStoreGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const QString done = Incomplete();
    const struct {
        int page;
        B behaviour;
        QStringList lines;
    } rows[] = {
        {12, B::WrongEcho, {u"Failed to upload temperature correction factors"_s, done}},
        {0,
         B::Busy,
         {u"This server is currently on the phone.  Please wait and try again later."_s}},
        {0, B::WrongEcho, {u"Failed to upload the temperature sensor limits"_s, done}},
        {1, B::WrongEcho, {u"Failed to upload the door sensor limits"_s, done}},
        {5, B::WrongEcho, {u"Failed to upload the sensor names"_s, done}},
        {5, B::ErrorText, {u"Failed to upload the sensor names"_s, done}},
        {7, B::WrongEcho, {u"Upload to upload the sensor names"_s, done}},
    };
    device.revision = 23;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.page);
        frmRK715 panel;
        panel.DatabaseID = 3;
        Open(panel);
        panel.lstStatus->clear();
        FakeDevice::Knob knob = Knob(row.behaviour);
        knob.errorText = ErrorInName();
        device.SetKnob(StoreHeader(row.page), knob);
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        EXPECT_EQ(Lines(panel), row.lines);
        EXPECT_TRUE(panel.lblStatus->isHidden());
    }
    // The busy store ended the upload there: nothing after page 0, no message box. No upload
    // was whole: no rows.
    EXPECT_TRUE(prompt.Messages().isEmpty());
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmRK715Test, BusyStoreOfTheLimitsSendsNothingAfter)
{
    frmRK715 panel;
    panel.DatabaseID = 3;
    Open(panel);
    device.SetKnob(StoreHeader(0), Knob(FakeDevice::Behaviour::Busy));
    const qsizetype first = device.Requests().size();
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(Headers(first), (QStringList{u"DDCCBB0C"_s, u"DDCCBB00"_s}));
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmRK715Test, LimitsBeyond999Point9AreEmptiedMarkedAndRefused)
{
    device.family = 6;
    device.subModel = 5;
    frmRK715 panel;
    Open(panel);
    panel.txtUL.at(0)->setText(u"999.9"_s);
    panel.txtLL.at(0)->setText(u"-999.9"_s);
    panel.txtUL.at(9)->setText(u"1000"_s);
    panel.txtLL.at(3)->setText(u"-1000"_s);
    const qsizetype first = device.Requests().size();
    EXPECT_EQ(Click(panel.btnSave),
              QList{Box(u"Valid temperature limits are between -999.9 and 999.9 degrees"_s)});
    EXPECT_EQ(Headers(first), QStringList{});
    for (QLineEdit *box : {panel.txtUL.at(9), panel.txtLL.at(3)}) {
        EXPECT_TRUE(box->text().isEmpty());
        EXPECT_TRUE(IsYellow(box));
    }
    EXPECT_FALSE(IsYellow(panel.txtUL.at(0)));
    // Still yellow while blank: refused again, until a key is pressed in the box.
    EXPECT_EQ(Click(panel.btnSave).size(), 1);
    QTest::keyClick(panel.txtUL.at(9), Qt::Key_Left);
    EXPECT_TRUE(IsYellow(panel.txtUL.at(9)));
    QTest::keyClick(panel.txtUL.at(9), Qt::Key_Backspace);
    QTest::keyClick(panel.txtLL.at(3), Qt::Key_5);
    EXPECT_FALSE(IsYellow(panel.txtUL.at(9)));
    EXPECT_TRUE(Click(panel.btnSave).isEmpty());
    EXPECT_EQ(ReadDeviceInt(device.pages[0], 11, 2), 9999);
    EXPECT_EQ(ReadDeviceInt(device.pages[0], 27, 2), 50);
}

TEST_F(frmRK715Test, NothingIsSentWhileABoxHoldsWhatItsFieldCannotHold)
{
    device.family = 6;
    device.subModel = 5;
    const struct {
        QString box, text, message;
    } rows[] = {
        {u"txtTOL(2)"_s, u"40000"_s,
         u"Temperature Sensor Port 3, Time: \"40000\" cannot be stored.  Enter a number from "
         "-32768 to 32767."_s},
        {u"txtCF(8)"_s, u"300"_s,
         u"Erroneous Bit Change (bits): \"300\" cannot be stored.  Enter a number from 0 to 255."_s},
        {u"txtLL(4)"_s, u"-"_s,
         u"Temperature Sensor Port 5, Lower Limit: \"-\" cannot be stored.  Enter a number from "
         "-3276.8 to 3276.7."_s},
        {u"txtUL(9)"_s, u"."_s,
         u"Door Sensor 2, Upper Limit: \".\" cannot be stored.  Enter a number from -3276.8 to "
         "3276.7."_s},
        {u"txtCF(0)"_s, u"x"_s,
         u"Temperature Sensor Port 1, Correction: \"x\" cannot be stored.  Enter a number from "
         "-3276.8 to 3276.7."_s},
        {u"txtLL(0)"_s, u"nan"_s,
         u"Temperature Sensor Port 1, Lower Limit: \"nan\" cannot be stored.  Enter a number "
         "from -3276.8 to 3276.7."_s},
        {u"txtUL(1)"_s, u"-inf"_s,
         u"Temperature Sensor Port 2, Upper Limit: \"-inf\" cannot be stored.  Enter a number "
         "from -3276.8 to 3276.7."_s},
        {u"txtUL(2)"_s, u"1e999"_s,
         u"Temperature Sensor Port 3, Upper Limit: \"1e999\" cannot be stored.  Enter a number "
         "from -3276.8 to 3276.7."_s},
    };
    for (const auto &row : rows) {
        frmRK715 panel;
        panel.DatabaseID = 2;
        Open(panel);
        auto *box = panel.findChild<QLineEdit *>(row.box);
        box->setText(row.text);
        const qsizetype first = device.Requests().size();
        EXPECT_EQ(Click(panel.btnSave), QList{Box(row.message)});
        EXPECT_EQ(Headers(first), QStringList{});
        if (box->isVisible()) {
            EXPECT_EQ(panel.focusWidget(), box);
        }
    }
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmRK715Test, APageThatFailedRefusesSaveAndCalibration)
{
    const QString refusal = u"Some settings could not be read from the device, so nothing was "
                            "saved.  Press Refresh and try again."_s;
    const QByteArray failing[] = {DeviceCommand::ReadPage(5), DeviceCommand::ReadPage(12),
                                  DeviceCommand::ReadCurrentData()};
    device.revision = 23;
    for (const QByteArray &header : failing) {
        device.SetKnob(header, Knob(FakeDevice::Behaviour::WrongEcho));
        frmRK715 panel;
        panel.DatabaseID = 5;
        Open(panel);
        const auto pages = device.pages;
        const qsizetype first = device.Requests().size();
        EXPECT_EQ(Click(panel.btnSave), QList{Box(refusal)});
        if (header == DeviceCommand::ReadPage(12)) {
            EXPECT_EQ(Click(panel.btnStoreCalFactors), QList{Box(refusal)});
        }
        EXPECT_EQ(Headers(first), QStringList{});
        EXPECT_EQ(device.pages, pages);
    }
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});

    // Revision 22 never reads the correction page: calibration is offered but refused,
    // while Save goes on without that page.
    device.revision = 22;
    frmRK715 panel;
    Open(panel);
    EXPECT_TRUE(panel.btnCal->isEnabled());
    panel.txtCF.at(8)->setText(u"300"_s); // on the page that is not sent
    const qsizetype first = device.Requests().size();
    EXPECT_EQ(Click(panel.btnReset), QList{Box(refusal)});
    EXPECT_EQ(Click(panel.btnStoreCalFactors), QList{Box(refusal)});
    EXPECT_EQ(Headers(first), QStringList{});
    EXPECT_TRUE(Click(panel.btnSave).isEmpty());
    EXPECT_FALSE(Headers(first).contains(u"DDCCBB0C"_s));
}

TEST_F(frmRK715Test, CalibrationStoresTheNewFactorsAndShowsWhatTheDeviceHolds)
{
    device.family = 6;
    device.subModel = 5;
    device.pages[12].replace(8, 2, Word(15));
    device.pages[12][24] = 7;
    device.pages[12][25] = 9;
    device.channels[0].reading = 200;
    device.channels[1].reading = 10000; // "Not Connected" once in tenths
    frmRK715 panel;
    Open(panel);
    QTest::mouseClick(panel.btnCal, Qt::LeftButton);
    EXPECT_FALSE(panel.frmCal->isHidden());
    EXPECT_TRUE(panel.txtReading.at(8)->isHidden());
    EXPECT_EQ(panel.lblName.at(0)->text(), u"Not Named"_s);

    // One row that cannot be calibrated: nothing changes, nothing is sent.
    panel.txtActualTemp.at(0)->setText(u"25"_s);
    panel.txtActualTemp.at(1)->setText(u"20"_s);
    const qsizetype first = device.Requests().size();
    EXPECT_EQ(Click(panel.btnStoreCalFactors),
              (QList{Box(u"Upload calibration factors?"_s, Prompt::Buttons::OkCancel,
                         Prompt::Icon::Question, u"Upload Calibration Factors"_s),
                     Box(u"Not Named cannot be calibrated from the actual temperature \"20\", the "
                         "reading \"Not Connected\" and the correction \".0\"."_s)}));
    EXPECT_EQ(panel.txtCF.at(0)->text(), u"1.5"_s);
    EXPECT_EQ(Headers(first), QStringList{});

    prompt.Queue(Prompt::Answer::Cancel);
    panel.txtActualTemp.at(1)->clear();
    Click(panel.btnStoreCalFactors);
    EXPECT_EQ(panel.txtCF.at(0)->text(), u"1.5"_s);
    EXPECT_EQ(Headers(first), QStringList{});

    device.channels[0].reading = 265; // what the device reads once corrected
    Click(panel.btnStoreCalFactors);
    EXPECT_EQ(Headers(first).mid(0, 2), (QStringList{u"DDCCBB0C"_s, u"2ACDDCBA"_s}));
    EXPECT_EQ(device.pages[12].mid(8, 2), Word(65)); // 25 - 20 + 1.5
    EXPECT_EQ(device.pages[12].mid(24, 2), QByteArray::fromHex("0709"));
    EXPECT_EQ(panel.txtCF.at(0)->text(), u"6.5"_s);
    EXPECT_EQ(panel.txtReading.at(0)->text(), u"26.5"_s);
    EXPECT_FALSE(ConnectionOpen());

    prompt.Queue(Prompt::Answer::Cancel);
    Click(panel.btnReset);
    EXPECT_EQ(panel.txtCF.at(0)->text(), u"6.5"_s);
    // The pause between the store and the download after it lasts at least its time.
    QElapsedTimer clock;
    clock.start();
    qint64 stored = -1;
    qint64 next = -1;
    const auto timing = QObject::connect(&device, &FakeDevice::Received, [&](const QByteArray &r) {
        if (r.startsWith(StoreHeader(12)))
            stored = clock.elapsed();
        else if (stored >= 0 && next < 0)
            next = clock.elapsed();
    });
    Click(panel.btnReset);
    QObject::disconnect(timing);
    EXPECT_GE(next - stored, 2000);
    EXPECT_EQ(device.pages[12].mid(8, 18), QByteArray(16, '\0') + QByteArray::fromHex("0709"));
    EXPECT_EQ(panel.txtCF.at(0)->text(), u".0"_s);
    EXPECT_EQ(panel.txtCF.at(8)->text(), u"7"_s);
    EXPECT_TRUE(panel.btnSave->isEnabled());
    EXPECT_EQ(prompt.Messages().last(),
              Box(u"Reset all calibration factors to zero?"_s, Prompt::Buttons::OkCancel,
                  Prompt::Icon::Question, u"Reset Cal Factors"_s));

    QTest::mouseClick(panel.btnCloseCal, Qt::LeftButton);
    EXPECT_TRUE(panel.frmCal->isHidden());
    EXPECT_FALSE(panel.txtReading.at(8)->isHidden());
}

TEST_F(frmRK715Test, NothingStartsAndNothingClosesWhileATransferWaits)
{
    device.family = 6;
    device.subModel = 5;
    frmRK715 panel;
    Open(panel);
    const qsizetype first = device.Requests().size();
    QString status;
    DuringDelayedReply(
        StoreHeader(3), [&] { QTest::mouseClick(panel.btnSave, Qt::LeftButton); },
        {[&] { status = panel.lblStatus->isHidden() ? QString() : panel.lblStatus->text(); },
         [&] { panel.btnSave->click(); }, [&] { panel.btnRefresh->click(); },
         [&] { panel.btnStoreCalFactors->click(); }, [&] { panel.btnReset->click(); },
         [&] { panel.close(); }, [&] { QTest::keyClick(&panel, Qt::Key_Escape); }});
    EXPECT_EQ(Headers(first),
              (QStringList{u"DDCCBB0C"_s, u"DDCCBB00"_s, u"DDCCBB01"_s, u"DDCCBB03"_s,
                           u"DDCCBB04"_s, u"DDCCBB05"_s, u"DDCCBB06"_s, u"DDCCBB07"_s}));
    EXPECT_TRUE(panel.isVisible());
    EXPECT_TRUE(prompt.Messages().isEmpty());
    EXPECT_EQ(status, u"Uploading..."_s);

    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
}

TEST_F(frmRK715Test, CloseShutsTheConnectionAndEnterPressesNothing)
{
    frmRK715 panel;
    Open(panel);
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_TRUE(ConnectionOpen());
    const qsizetype first = device.Requests().size();
    QTest::keyClick(panel.txtName.at(0), Qt::Key_Return);
    EXPECT_EQ(Headers(first), QStringList{});
    EXPECT_TRUE(panel.isVisible());
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(ConnectionOpen());
    // Shown again, the panel downloads nothing: it activates once per opening.
    panel.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(Headers(first), QStringList{});
}

TEST_F(frmRK715Test, ShowsItsTexts)
{
    frmRK715 panel;
    Open(panel);
    ExpectTexts(&panel, "Coldvane Parameters\n"
                        "Temperature Sensor Port 1\nTemperature Sensor Port 8\n"
                        "Door Sensor 1\nDoor Sensor 2\n"
                        "Current Reading\nLower Limit\nUpper Limit\nTime\n"
                        "Sensor Notes\nRefresh\nSave\nClose\nNotes\nCal\n"
                        "Backup Battery Voltage (vdc)\nTemperature Calibration\n"
                        "Actual Temperature\nCorrection\nStore Calibration Factors\n"
                        "Click this button to store the correction factors to the Coldvane\n"
                        "Reset\nErroneous Bit Change (bits)\nNumber of Erroneous Readings\n"
                        "Turn on alarm relay when a sensor goes into alarm.\n"
                        "Turn off alarm relay when a sensor goes into alarm or the main power "
                        "fails.\n"
                        "Enable Alarm Buzzer\nDisable Alarm Buzzer");
    // Centred, but never starting off the screen.
    const QRect screen = panel.screen()->availableGeometry();
    EXPECT_LE(std::abs(panel.x() - std::max(0, (screen.width() - panel.width()) / 2)), 10);
    EXPECT_LE(std::abs(panel.y() - std::max(0, (screen.height() - panel.height()) / 2)), 10);
    EXPECT_EQ(panel.findChild<QPushButton *>(u"btnCloseCal"_s)->text(), u"Close"_s);
    QTest::mouseClick(panel.btnNotes, Qt::LeftButton);
    EXPECT_FALSE(panel.frmNotes->isHidden());
    EXPECT_EQ(panel.btnNotes->text(), u"Hide"_s);
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_TRUE(panel.frmNotes->isHidden());
    EXPECT_EQ(panel.btnNotes->text(), u"Notes"_s);
}
