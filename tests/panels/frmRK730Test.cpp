#include "PanelTest.h"

#include "AnsiText.h"
#include "ServerDatabase.h"
#include "frmRK730.h"

#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

class frmRK730Test : public PanelTest {
protected:
    // Rows 0, 1 and 3 and the door named, row 2 not.
    void FillDevice()
    {
        FillPagesDistinct();
        for (int i = 0; i < 4; ++i)
            device.pages[0].replace(8 + 6 * i, 6,
                                    QByteArray(Word(-20 - i) + Word(40 + i) + Word(i + 1)));
        device.pages[3].replace(
            8, 40, QByteArray(FixedAnsi(u"Walk-in"_s, 20) + FixedAnsi(u"Reach-in"_s, 20)));
        device.pages[4].replace(
            8, 40, QByteArray(QByteArray(20, ' ') + FixedAnsi(u"Blast \\ chill"_s, 20)));
        device.pages[7].replace(8, 20, FixedAnsi(u"Back door"_s, 20));
        device.pages[1].replace(8, 2, Word(9));
    }

    static QString Row(const frmRK730 &panel, int i)
    {
        const auto limit = [i](const QList<QLineEdit *> &boxes) {
            return i < boxes.size() ? boxes.at(i)->text() : QString();
        };
        return panel.txtName.at(i)->text() + u'|' + limit(panel.txtLL) + u'|' + limit(panel.txtUL) +
               u'|' + panel.txtTOL.at(i)->text();
    }
};

TEST_F(frmRK730Test, SavingUneditedGivesEveryPageBackAndEachEditChangesItsBytes)
{
    FillDevice();
    auto expected = device.pages;
    frmRK730 panel;
    panel.DatabaseID = 6;
    Open(panel);
    EXPECT_EQ(Headers(), (QStringList{u"AABBCC03"_s, u"AABBCC04"_s, u"AABBCC07"_s, u"AABBCC00"_s,
                                      u"AABBCC01"_s, u"3FCDDC00"_s}));
    EXPECT_EQ(Lines(panel), QStringList{u" Download complete"_s});
    const QStringList rows = {u"Walk-in|-20|40|1"_s, u"Reach-in|-21|41|2"_s, u"|||"_s,
                              u"Blast \\ chill|-23|43|4"_s, u"Back door|||9"_s};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Row(panel, i), rows.at(i)) << i;
    EXPECT_TRUE(ConnectionOpen());

    qsizetype first = device.Requests().size();
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(Headers(first), (QStringList{u"DDCCBB00"_s, u"DDCCBB01"_s, u"DDCCBB03"_s,
                                           u"DDCCBB04"_s, u"DDCCBB07"_s}));
    EXPECT_EQ(device.pages, expected);
    EXPECT_EQ(Lines(panel).last(), u"Upload complete"_s);

    expected = Type({
        {panel.txtName.at(4), u"Dock \"2\""_s, 7, 9, "Dock \"2\"            "},
        {panel.txtName.at(2), u"Spare"_s, 4, 9, "Spare               "},
        {panel.txtLL.at(0), u"25.5"_s, 0, 9, Word(26)},
        {panel.txtUL.at(1), u"24.5"_s, 0, 17, Word(24)},
        {panel.txtLL.at(3), u"-10"_s, 0, 27, QByteArray::fromHex("FFF6")},
        {panel.txtTOL.at(3), u"32767"_s, 0, 31, Word(32767)},
        {panel.txtTOL.at(4), u"15"_s, 1, 9, Word(15)},
    });
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, expected);
    EXPECT_TRUE(prompt.Messages().isEmpty());
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(ConnectionOpen());
}

TEST_F(frmRK730Test, ReadingsNotesAndTheRowsItStores)
{
    FillDevice();
    device.channels[0].reading = 72;
    device.channels[1].reading = -5;
    device.channels[2].reading = 999;
    device.channels[4].reading = 0;
    SaveSensorRecord(6, u"x"_s, 0, u"Seal"_s, {}, {}, {}, {});
    SaveSensorRecord(6, u"y"_s, 2, u"Gone"_s, {}, {}, {}, {});
    frmRK730 panel;
    panel.DatabaseID = 6;
    Open(panel);
    const QStringList readings = {u"72"_s, u"-5"_s, u"Sensor Open"_s, u"0"_s, u"Open"_s};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(panel.txtReading.at(i)->text(), readings.at(i)) << i;
    EXPECT_EQ(panel.txtNotes.at(0)->text() + u'|' + panel.txtNotes.at(2)->text(), u"Seal|"_s);

    device.channels[4].reading = 1;
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(panel.txtReading.at(4)->text(), u"Closed"_s);

    panel.txtLL.at(0)->setText(u"-2"_s);
    panel.txtNotes.at(4)->setText(u"Don't prop"_s);
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(Rows(u"SELECT PortNum, SensorName, SensorNotes, SensorType, UpperLimit, LowerLimit, "
                   "TOL FROM tblSensors WHERE ServerIDNum = 6 ORDER BY PortNum"_s),
              (QStringList{
                  u"PortNum=0|SensorName=Walk-in|SensorNotes=Seal|SensorType=Temperature Sensor "
                  "Port 1|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
                  u"PortNum=1|SensorName=Reach-in|SensorNotes=|SensorType=Temperature Sensor "
                  "Port 2|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
                  u"PortNum=2|SensorName=|SensorNotes=|SensorType=Temperature Sensor Port "
                  "3|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
                  u"PortNum=3|SensorName=Blast \\ chill|SensorNotes=|SensorType=Temperature "
                  "Sensor Port 4|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
                  u"PortNum=4|SensorName=Back door|SensorNotes=Don't prop|SensorType=Dry "
                  "Contact Alarm Input (NO)|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
              }));
}

TEST_F(frmRK730Test, EachFailingStepGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const QString busy =
        u"This server is currently on the phone.  Please wait and try again later."_s;
    const QString done = u" Download complete"_s;
    ExpectFailureLines<frmRK730>(
        {
            {{DeviceCommand::ReadPage(3)}, B::Busy, {busy}, {u"AABBCC03"_s}},
            {{DeviceCommand::ReadPage(4)}, B::Busy, {done}, {}},
            {{DeviceCommand::ReadPage(1)},
             B::WrongEcho,
             {u"Failed to download door sensor limits"_s, done},
             {}},
            {{DeviceCommand::ReadCurrentData()},
             B::WrongEcho,
             {u"Failed to download sensor readings"_s, done},
             {}},
            // Last: the knobs of the steps after page 0 are never taken.
            {{DeviceCommand::ReadPage(3), DeviceCommand::ReadPage(4), DeviceCommand::ReadPage(7),
              DeviceCommand::ReadPage(0), DeviceCommand::ReadPage(1),
              DeviceCommand::ReadCurrentData()},
             B::WrongEcho,
             {u"Failed to download sensor names"_s, u"Failed to download temperature limits"_s},
             {u"AABBCC03"_s, u"AABBCC04"_s, u"AABBCC07"_s, u"AABBCC00"_s}},
        },
        false);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK730Test, EachFailingStoreGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const QString busy =
        u"This server is currently on the phone.  Please wait and try again later."_s;
    const QString stored = Incomplete();
    ExpectFailureLines<frmRK730>(
        {
            {{StoreHeader(0)}, B::Busy, {busy}, {u"DDCCBB00"_s}},
            {{StoreHeader(0)},
             B::WrongEcho,
             {u"Failed to upload the temperature sensor limits"_s, stored},
             {}},
            {{StoreHeader(1)},
             B::WrongEcho,
             {u"Failed to upload the door sensor limits"_s, stored},
             {}},
            {{StoreHeader(4)}, B::WrongEcho, {u"Failed to upload the sensor names"_s, stored}, {}},
            {{StoreHeader(3)},
             B::ErrorText,
             {u"Failed to upload the sensor names"_s, stored},
             {},
             ErrorInName()},
            {{StoreHeader(7)}, B::WrongEcho, {u"Upload to upload the sensor names"_s, stored}, {}},
        },
        true);
    // Rows are stored only after a whole upload.
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK730Test, NothingIsSentForAValueThatWouldWrapOrAPageNotRead)
{
    ExpectRefusals<frmRK730>({
        {{},
         u"txtUL(2)"_s,
         u"40000"_s,
         u"Temperature Sensor Port 3, Upper Limit: \"40000\" cannot be stored.  Enter a number "
         "from -32768 to 32767."_s},
        {{},
         u"txtTOL(4)"_s,
         u"-40000"_s,
         u"Dry Contact Alarm Input (NO), Time: \"-40000\" cannot be stored.  Enter a number from "
         "-32768 to 32767."_s},
        {DeviceCommand::ReadPage(4), {}, {}, UnreadRefusal()},
        {DeviceCommand::ReadPage(0), {}, {}, UnreadRefusal()},
    });
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmRK730Test, ShowsItsTextsAndTakesEveryCharacterInNames)
{
    frmRK730 panel;
    Open(panel);
    ExpectTexts(&panel, "RK730 Parameters\n"
                        "Temperature Sensor Port 1\nTemperature Sensor Port 2\n"
                        "Temperature Sensor Port 3\nTemperature Sensor Port 4\n"
                        "Dry Contact Alarm Input (NO)\n"
                        "Current Reading\nLower Limit\nUpper Limit\nTime\n"
                        "Sensor Notes\nRefresh\nSave\nClose\nNotes");
    EXPECT_EQ(panel.findChild<QPushButton *>(u"btnCal"_s), nullptr);
    EXPECT_EQ(panel.txtLL.size() + panel.txtUL.size(), 8);
    EXPECT_FALSE(panel.txtReading.at(4)->isEnabled());
    EXPECT_EQ(TypeIntoFirstRow(panel, u"A\\/B"_s), u"A\\/B|5|-.5"_s);
    EXPECT_TRUE(prompt.Messages().isEmpty());
    QTest::mouseClick(panel.btnNotes, Qt::LeftButton);
    EXPECT_EQ(panel.btnNotes->text(), u"Hide"_s);
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_TRUE(panel.frmNotes->isHidden());
    EXPECT_EQ(panel.btnNotes->text(), u"Notes"_s);
}
