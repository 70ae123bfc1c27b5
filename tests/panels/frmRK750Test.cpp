#include "PanelTest.h"

#include "AnsiText.h"
#include "ServerDatabase.h"
#include "frmRK750.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

class frmRK750Test : public PanelTest {
protected:
    // Every row named but temperature 3 and power input 3; power input 4 holds a state
    // that no list item stands for.
    void FillDevice()
    {
        FillPagesDistinct();
        for (int row = 0; row < 9; ++row) {
            const bool named = row != 2 && row != 6;
            device.pages[3 + row / 2].replace(
                row % 2 == 0 ? 8 : 28, 20,
                named ? FixedAnsi(u"Row "_s + QString::number(row), 20) : QByteArray(20, ' '));
        }
        for (int i = 0; i < 4; ++i)
            device.pages[0].replace(8 + 6 * i, 6,
                                    QByteArray(Word(-20 - i) + Word(40 + i) + Word(i + 1)));
        const int states[] = {1, 0, 0x5A5B, 2};
        for (int k = 0; k < 4; ++k) {
            device.pages[0].replace(32 + 6 * k, 2, Word(states[k]));
            device.pages[0].replace(36 + 6 * k, 2, Word(10 + k));
        }
        device.pages[1].replace(8, 2, Word(9));
    }

    // lblStatus as each request reaches the device.
    QStringList captions;
    void RecordCaptions(const frmRK750 &panel)
    {
        QObject::connect(&device, &FakeDevice::Received, &device, [this, &panel] {
            captions << (panel.lblStatus->isHidden() ? QString() : panel.lblStatus->text());
        });
    }

    static QString Lists(const frmRK750 &panel)
    {
        QStringList indexes;
        for (const QComboBox *list : panel.cmboNormalState)
            indexes << QString::number(list->currentIndex());
        return indexes.join(u' ');
    }

    static QString Delays(const frmRK750 &panel)
    {
        QStringList delays;
        for (const QLineEdit *box : panel.txtTOL)
            delays << box->text();
        return delays.join(u' ');
    }

    const QString unlisted = u"Power Sensor Port 4: the device holds 2, which the list does not "
                             "offer; Save leaves it as it is."_s;
};

TEST_F(frmRK750Test, SavingUneditedGivesEveryPageBackAndEachEditChangesItsBytes)
{
    FillDevice();
    const auto before = device.pages;
    frmRK750 panel;
    panel.DatabaseID = 4;
    RecordCaptions(panel);
    QString shownWith;
    const OnEvent shown(panel.lblStatus, QEvent::Show,
                        [&] { shownWith = panel.lblStatus->text(); });
    Open(panel);
    EXPECT_EQ(shownWith, u"Downloading page 3"_s);
    EXPECT_EQ(Headers(), (QStringList{u"AABBCC03"_s, u"AABBCC04"_s, u"AABBCC05"_s, u"AABBCC06"_s,
                                      u"AABBCC07"_s, u"AABBCC00"_s, u"AABBCC01"_s, u"3FCDDC00"_s}));
    EXPECT_EQ(captions, (QStringList{u"Downloading page 3"_s, u"Downloading page 4"_s,
                                     u"Downloading page 5"_s, u"Downloading page 6"_s,
                                     u"Downloading page 7"_s, u"Downloading page 0"_s,
                                     u"Downloading page 0"_s, u"Downloading page 0"_s}));
    EXPECT_TRUE(panel.lblStatus->isHidden());
    EXPECT_EQ(Lines(panel), QStringList{unlisted});
    EXPECT_EQ(Lists(panel), u"1 0 -1 -1"_s);
    EXPECT_EQ(Delays(panel), u"1 2  4 10 11  13 9"_s);
    EXPECT_EQ(panel.txtLL.at(1)->text() + u'|' + panel.txtUL.at(1)->text() + u'|' +
                  panel.txtLL.at(2)->text(),
              u"-21|41|"_s);
    EXPECT_TRUE(ConnectionOpen());

    captions.clear();
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(shownWith, u"Uploading page 0"_s);
    EXPECT_EQ(captions,
              (QStringList{u"Uploading page 0"_s, u"Uploading page 1"_s, u"Uploading page 3"_s,
                           u"Uploading page 4"_s, u"Uploading page 5"_s, u"Uploading page 6"_s,
                           u"Uploading page 7"_s}));
    EXPECT_EQ(device.pages, before);
    EXPECT_EQ(Lines(panel), QStringList{unlisted});
    EXPECT_TRUE(panel.lblStatus->isHidden());

    panel.cmboNormalState[0]->setCurrentIndex(0);
    panel.cmboNormalState[2]->setCurrentIndex(1); // written though the row has no name
    auto expected = Type({
        {panel.txtName.at(8), u"Dock \"2\""_s, 7, 9, "Dock \"2\"            "},
        {panel.txtName.at(6), u"Spare"_s, 6, 9, "Spare               "},
        {panel.txtLL.at(0), u"25.5"_s, 0, 9, Word(26)},
        {panel.txtUL.at(3), u"-10"_s, 0, 29, QByteArray::fromHex("FFF6")},
        {panel.txtTOL.at(2), u"7"_s, 0, 25, Word(7)},
        {panel.txtTOL.at(5), u"45"_s, 0, 43, Word(45)},
        {panel.txtTOL.at(8), u"15"_s, 1, 9, Word(15)},
    });
    expected[0].replace(32, 2, Word(0));
    expected[0].replace(44, 2, Word(1));
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, expected);
    EXPECT_TRUE(prompt.Messages().isEmpty());
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_TRUE(ConnectionOpen());
}

TEST_F(frmRK750Test, ReadingsListsOfUnnamedRowsAndTheRowsItStores)
{
    FillDevice();
    device.channels[0].reading = 72;
    device.channels[1].reading = 999;
    device.channels[4].reading = 1;
    device.channels[5].reading = 0;
    device.channels[6].reading = 7;
    device.channels[8].reading = 0;
    SaveSensorRecord(4, u"x"_s, 4, u"Main feed"_s, {}, {}, {}, {});
    SaveSensorRecord(4, u"y"_s, 6, u"Gone"_s, {}, {}, {}, {});
    frmRK750 panel;
    panel.DatabaseID = 4;
    Open(panel);
    const QStringList readings = {u"72"_s,        u"Sensor Open"_s, u"0"_s,
                                  u"0"_s,         u"Power On"_s,    u"Power Off"_s,
                                  u"Power Off"_s, u"Power Off"_s,   u"Open"_s};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(panel.txtReading.at(i)->text(), readings.at(i)) << i;
    EXPECT_EQ(panel.txtNotes.at(4)->text() + u'|' + panel.txtNotes.at(6)->text(), u"Main feed|"_s);

    // A power input that lost its name keeps what its list showed.
    device.pages[5].replace(8, 20, QByteArray(20, ' '));
    device.channels[8].reading = 1;
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(Lists(panel), u"1 0 -1 -1"_s);
    EXPECT_EQ(panel.txtTOL.at(4)->text(), QString());
    EXPECT_EQ(panel.txtReading.at(8)->text(), u"Closed"_s);

    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    const QStringList rows = Rows(
        u"SELECT PortNum, SensorName, SensorType, UpperLimit, LowerLimit, TOL "
        "FROM tblSensors WHERE ServerIDNum = 4 AND PortNum IN (0, 4, 6, 8) ORDER BY PortNum"_s);
    EXPECT_EQ(rows, (QStringList{
                        u"PortNum=0|SensorName=Row 0|SensorType=Temperature Sensor Port "
                        "1|UpperLimit=NULL|LowerLimit=NULL|TOL=0"_s,
                        u"PortNum=4|SensorName=|SensorType=Power Sensor Port "
                        "1|UpperLimit=NULL|LowerLimit=NULL|TOL=0"_s,
                        u"PortNum=6|SensorName=|SensorType=Power Sensor Port "
                        "3|UpperLimit=NULL|LowerLimit=NULL|TOL=0"_s,
                        u"PortNum=8|SensorName=Row 8|SensorType=Dry Contact Input "
                        "1|UpperLimit=NULL|LowerLimit=NULL|TOL=0"_s,
                    }));
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors WHERE ServerIDNum = 4 AND TOL = '0'"_s),
              QStringList{u"COUNT(*)=9"_s});
    EXPECT_EQ(ReadDeviceInt(device.pages[0], 33, 2), 1);
}

TEST_F(frmRK750Test, EachFailingStepGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const QString busy =
        u"This server is currently on the phone.  Please wait and try again later."_s;
    ExpectFailureLines<frmRK750>(
        {
            {{DeviceCommand::ReadPage(3)}, B::Busy, {busy}, {u"AABBCC03"_s}},
            {{DeviceCommand::ReadPage(5)}, B::Busy, {}, {}},
            {{DeviceCommand::ReadPage(1)},
             B::WrongEcho,
             {u"Failed to uploaded door sensor limits"_s},
             {}},
            {{DeviceCommand::ReadCurrentData()},
             B::WrongEcho,
             {u"Failed to download sensor readings"_s},
             {}},
            // Last: the knobs of the steps after page 0 are never taken.
            {{DeviceCommand::ReadPage(3), DeviceCommand::ReadPage(4), DeviceCommand::ReadPage(5),
              DeviceCommand::ReadPage(6), DeviceCommand::ReadPage(7), DeviceCommand::ReadPage(0),
              DeviceCommand::ReadPage(1), DeviceCommand::ReadCurrentData()},
             B::WrongEcho,
             {u"Failed to uploaded temperature limits"_s},
             {u"AABBCC03"_s, u"AABBCC04"_s, u"AABBCC05"_s, u"AABBCC06"_s, u"AABBCC07"_s,
              u"AABBCC00"_s}},
        },
        false);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK750Test, EachFailingStoreGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const QString busy =
        u"This server is currently on the phone.  Please wait and try again later."_s;
    ExpectFailureLines<frmRK750>(
        {
            {{StoreHeader(0)}, B::Busy, {busy}, {u"DDCCBB00"_s}},
            {{StoreHeader(0)},
             B::WrongEcho,
             {u"Failed to upload the temperature sensor limits"_s},
             {}},
            {{StoreHeader(1)}, B::WrongEcho, {u"Failed to upload the door sensor limits"_s}, {}},
            {{StoreHeader(6)}, B::WrongEcho, {u"Failed to upload the sensor names"_s}, {}},
            {{StoreHeader(3)},
             B::ErrorText,
             {u"Failed to upload the sensor names"_s},
             {},
             ErrorInName()},
        },
        true);
    // Rows are stored only after a whole upload.
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK750Test, NothingIsSentForABoxThatIsNoNumberOrAPageNotRead)
{
    ExpectRefusals<frmRK750>({
        {{},
         u"txtLL(1)"_s,
         u"-"_s,
         u"Temperature Sensor Port 2, Lower Limit: \"-\" cannot be stored.  Enter a number from "
         "-32768 to 32767."_s},
        {{},
         u"txtTOL(5)"_s,
         u"40000"_s,
         u"Power Sensor Port 2, Time: \"40000\" cannot be stored.  Enter a number from -32768 to "
         "32767."_s},
        {DeviceCommand::ReadPage(5), {}, {}, UnreadRefusal()},
    });
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmRK750Test, ShowsItsTextsAndItsBoxesTakeWhatTheyShould)
{
    frmRK750 panel;
    EXPECT_EQ(Lists(panel), u"-1 -1 -1 -1"_s);
    Open(panel);
    ExpectTexts(&panel, "Powervane Model RK750\n"
                        "Temperature Sensor Port 1\nTemperature Sensor Port 4\n"
                        "Power Sensor Port 1\nPower Sensor Port 4\nDry Contact Input 1\n"
                        "Current Reading\nLower Limit\nUpper Limit\nTime\n"
                        "An alarm is generated when the power has been___ for xxx minutes\n"
                        "On|Off\nSensor Notes\nRefresh\nSave\nClose\nNotes");
    EXPECT_EQ(panel.findChild<QPushButton *>(u"btnCal"_s), nullptr);
    EXPECT_EQ(panel.txtLL.size() + panel.txtUL.size(), 8);
    // The heading stands between the temperatures and the power inputs, whose normal states
    // fill the lower-limit column.
    QLabel *heading = nullptr;
    for (QLabel *label : panel.findChildren<QLabel *>()) {
        if (label->text().startsWith(u"An alarm"))
            heading = label;
    }
    ASSERT_NE(heading, nullptr);
    EXPECT_GT(heading->y(), panel.txtLL.at(3)->geometry().bottom());
    EXPECT_LT(heading->geometry().bottom(), panel.cmboNormalState[0]->y());
    for (int k = 0; k < 4; ++k) {
        const QComboBox *list = panel.cmboNormalState[k];
        EXPECT_EQ(list->geometry().center().x(), panel.txtLL.at(0)->geometry().center().x());
        for (const QWidget *cell : std::initializer_list<const QWidget *>{
                 panel.lblSensorType.at(4 + k), panel.txtName.at(4 + k), panel.txtTOL.at(4 + k)})
            EXPECT_LE(std::abs(cell->geometry().center().y() - list->geometry().center().y()), 2);
        EXPECT_LT(panel.lblSensorType.at(4 + k)->x(), panel.txtName.at(4 + k)->x());
        EXPECT_LT(panel.txtName.at(4 + k)->x(), panel.txtReading.at(4 + k)->x());
    }
    EXPECT_FALSE(panel.txtReading.at(8)->isEnabled());
    EXPECT_EQ(TypeIntoFirstRow(panel, u"A\\/B45678901234567890"_s),
              u"A\\/B4567890123456789|5|-.5"_s);
    EXPECT_FALSE(panel.txtLL.at(0)->palette().isBrushSet(QPalette::Active, QPalette::Base));
    EXPECT_TRUE(prompt.Messages().isEmpty());
}
