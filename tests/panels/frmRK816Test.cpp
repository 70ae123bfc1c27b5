#include "PanelTest.h"

#include "AnsiText.h"
#include "ServerDatabase.h"
#include "SharedLayouts.h"
#include "frmRK816.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

const QString kBusyDownload =
    u"This device is currently on the phone.  Please wait and try again later."_s;
const QString kBusyUpload =
    u"This server is currently on the phone.  Please wait and try again later."_s;

// The one log-in frame every upload sends.
QByteArray CredentialsFrame()
{
    return QByteArray::fromHex("F3FF00BC00000000") + "admin" + QByteArray(25, ' ') +
           QByteArray(22, '\0');
}

} // namespace

class frmRK816Test : public PanelTest {
protected:
    // Every byte distinct from its neighbours and from what the panel would write, names of
    // 20 letters, and logic levels open, closed and none.
    void FillDevice()
    {
        device.family = 6;
        device.subModel = 6;
        for (int n = 0; n < kPageCount; ++n) {
            for (int i = 4; i < 60; ++i)
                device.pages[n][i] = char(0x41 + (n * 11 + i * 7) % 58);
        }
        const int levels[] = {0, 1, -1, 0, 1, 0, 1, 0};
        for (int i = 0; i < 8; ++i) {
            device.pages[0].replace(RecordByte(i) - 1, 2, Word(levels[i]));
            device.pages[0].replace(RecordByte(i) + 3, 2, Word(i + 1));
        }
        device.pages[0][56] = 1; // relay: second option
        device.pages[0][57] = 0; // buzzer: disabled
        device.pages[0][58] = 0; // no relay control by phone
        device.credentials =
            PadWithNulls(DeviceCommand::ReadCredentials() + "\x01\x02\x03\x04" +
                         FixedAnsi(u"operator"_s, 20) + FixedAnsi(u"secret"_s, 20));
    }

    // The pages as an unedited Save leaves them: the records' middle words hold 99.
    std::array<QByteArray, kPageCount> Saved() const
    {
        auto pages = device.pages;
        for (int i = 0; i < 8; ++i)
            pages[0].replace(RecordByte(i) + 1, 2, Word(99));
        return pages;
    }

    QString Row(int port)
    {
        return Rows(u"SELECT SensorName, SensorType, UpperLimit, LowerLimit, TOL FROM tblSensors "
                    "WHERE PortNum = "_s +
                    QString::number(port))
            .join(u'/');
    }
};

TEST_F(frmRK816Test, SavingUneditedGivesThePagesBackWithTheFixedWordAndOneLogIn)
{
    FillDevice();
    const auto saved = Saved();
    frmRK816 panel;
    panel.DatabaseID = 7;
    Open(panel);
    EXPECT_EQ(Headers(), (QStringList{u"2ACDDCBA"_s, u"F355AABC"_s, u"AABBCC03"_s, u"AABBCC04"_s,
                                      u"AABBCC05"_s, u"AABBCC06"_s, u"3FCDDC00"_s, u"AABBCC00"_s}));
    EXPECT_EQ(Lines(panel), QStringList{u" Download complete"_s});
    EXPECT_FALSE(ConnectionOpen());
    EXPECT_EQ(panel.cmboNoNc.at(1)->currentText(), u"Normally Closed"_s);
    EXPECT_EQ(panel.cmboNoNc.at(2)->currentIndex(), -1);
    EXPECT_EQ(panel.txtTOL.at(7)->text(), u"8"_s);

    qsizetype first = device.Requests().size();
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(Headers(first), (QStringList{u"F3FF00BC"_s, u"DDCCBB00"_s, u"DDCCBB03"_s,
                                           u"DDCCBB04"_s, u"DDCCBB05"_s, u"DDCCBB06"_s}));
    EXPECT_EQ(device.Requests().at(first), CredentialsFrame());
    EXPECT_EQ(device.pages, saved);
    EXPECT_EQ(Lines(panel).last(), u"Upload complete"_s);
    EXPECT_FALSE(ConnectionOpen());
    EXPECT_EQ(Row(1).section(u'|', 2), u"UpperLimit=NULL|LowerLimit=1|TOL=2"_s);
    EXPECT_EQ(Row(2).section(u'|', 1), u"SensorType=Dry Contact Input 3|UpperLimit=NULL|"
                                       "LowerLimit=-1|TOL=3"_s);

    // Command1 uploads the same, with the same log-in, and leaves the connection open; the
    // next download closes it with its last exchange.
    first = device.Requests().size();
    panel.Buttons(false);
    EXPECT_TRUE(panel.Command1->isEnabled());
    QTest::mouseClick(panel.Command1, Qt::LeftButton);
    panel.Buttons(true);
    EXPECT_EQ(Headers(first).size(), 6);
    EXPECT_EQ(device.Requests().at(first), CredentialsFrame());
    EXPECT_EQ(device.pages, saved);
    EXPECT_TRUE(ConnectionOpen());
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_FALSE(ConnectionOpen());
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK816Test, EachEditChangesExactlyItsBytesAndRelayByPhoneTakesTheRelay)
{
    FillDevice();
    auto expected = Saved();
    frmRK816 panel;
    panel.DatabaseID = 7;
    Open(panel);
    EXPECT_TRUE(panel.optRelayLogic[1]->isChecked());
    EXPECT_TRUE(panel.optEnableBuzzer[1]->isChecked());
    EXPECT_FALSE(panel.chkRelayControlEnabled->isChecked());
    panel.cmboNoNc.at(3)->setCurrentIndex(1);
    panel.cmboNoNc.at(1)->setCurrentIndex(0);
    panel.txtTOL.at(5)->setText(u"45"_s);
    panel.txtTOL.at(6)->clear(); // a blank delay keeps the device's
    panel.txtName.at(6)->setText(u"Dock \"B\""_s);
    QTest::mouseClick(panel.chkRelayControlEnabled, Qt::LeftButton);
    EXPECT_FALSE(panel.optRelayLogic[0]->isEnabled());
    EXPECT_FALSE(panel.optRelayLogic[1]->isEnabled());
    panel.optEnableBuzzer[0]->setChecked(true);
    expected[0].replace(RecordByte(3) - 1, 2, Word(1));
    expected[0].replace(RecordByte(1) - 1, 2, Word(0));
    expected[0].replace(RecordByte(5) + 3, 2, Word(45));
    expected[6].replace(8, 20, "Dock \"B\"            ");
    expected[0][56] = 0;
    expected[0][57] = 1;
    expected[0][58] = 1;
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, expected);
    EXPECT_EQ(Row(3).section(u'|', 3), u"LowerLimit=1|TOL=4"_s);
    EXPECT_EQ(Row(6).section(u'|', 0, 0), u"SensorName=Dock \"B\""_s);

    // The option chosen under phone control is kept on the screen, and the next download
    // disables the options again from byte 59.
    EXPECT_TRUE(panel.optRelayLogic[1]->isChecked());
    QTest::mouseClick(panel.chkRelayControlEnabled, Qt::LeftButton);
    EXPECT_TRUE(panel.optRelayLogic[1]->isEnabled());
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_TRUE(panel.chkRelayControlEnabled->isChecked());
    EXPECT_FALSE(panel.optRelayLogic[0]->isEnabled());
    EXPECT_TRUE(panel.optEnableBuzzer[0]->isChecked());
    EXPECT_EQ(panel.cmboNoNc.at(3)->currentText(), u"Normally Closed"_s);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK816Test, ALogicLevelTheListCannotShowIsNamedAndKept)
{
    FillDevice();
    device.pages[0].replace(RecordByte(2) - 1, 2, Word(2));
    device.pages[0].replace(RecordByte(4) - 1, 2, Word(-2));
    const auto saved = Saved();
    frmRK816 panel;
    panel.DatabaseID = 7;
    Open(panel);
    EXPECT_EQ(Lines(panel),
              (QStringList{u"Dry Contact Input 3, Logic Level: the device holds 2, which the list "
                           "does not offer; Save leaves it as it is."_s,
                           u"Dry Contact Input 5, Logic Level: the device holds -2, which the list "
                           "does not offer; Save leaves it as it is."_s,
                           u" Download complete"_s}));
    EXPECT_EQ(panel.cmboNoNc.at(2)->currentIndex(), -1);
    EXPECT_EQ(panel.txtTOL.at(7)->text(), u"8"_s);
    EXPECT_TRUE(panel.optRelayLogic[1]->isChecked());
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, saved);
    EXPECT_EQ(Row(2).section(u'|', 3, 3), u"LowerLimit=-1"_s);
}

TEST_F(frmRK816Test, EachFailingStepGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const QString done = u" Download complete"_s;
    const QStringList all = {u"2ACDDCBA"_s, u"F355AABC"_s, u"AABBCC03"_s, u"AABBCC04"_s,
                             u"AABBCC05"_s, u"AABBCC06"_s, u"3FCDDC00"_s, u"AABBCC00"_s};
    FillDevice();
    ExpectFailureLines<frmRK816>(
        {
            {{DeviceCommand::ReadCredentials()}, B::Busy, {kBusyDownload}, all.mid(0, 2)},
            {{DeviceCommand::Identify(), DeviceCommand::ReadCredentials(),
              DeviceCommand::ReadPage(5)},
             B::WrongEcho,
             {done},
             all},
            {{DeviceCommand::ReadPage(3)}, B::Busy, {kBusyDownload}, all.mid(0, 3)},
            {{DeviceCommand::ReadCurrentData()},
             B::WrongEcho,
             {u"Failed to download sensor readings"_s, done},
             all},
            {{DeviceCommand::ReadPage(0)},
             B::WrongEcho,
             {u"Failed to download temperature limits"_s},
             all},
        },
        false);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmRK816Test, EachFailingStoreGivesItsLineAndABusyDeviceEndsTheUpload)
{
    using B = FakeDevice::Behaviour;
    const QString done = Incomplete();
    const QString names = u"Failed to upload the Input names"_s;
    const QStringList all = {u"F3FF00BC"_s, u"DDCCBB00"_s, u"DDCCBB03"_s,
                             u"DDCCBB04"_s, u"DDCCBB05"_s, u"DDCCBB06"_s};
    FillDevice();
    ExpectFailureLines<frmRK816>(
        {
            {{DeviceCommand::StoreCredentials()}, B::Busy, {kBusyUpload}, all.mid(0, 1)},
            {{DeviceCommand::StoreCredentials()},
             B::WrongEcho,
             {u"Failed to upload user name and password"_s, done},
             all},
            {{StoreHeader(0)}, B::Busy, {kBusyUpload}, all.mid(0, 2)},
            {{StoreHeader(0)},
             B::WrongEcho,
             {u"Failed to upload the Input parameters"_s, done},
             all},
            {{StoreHeader(4), StoreHeader(6)}, B::WrongEcho, {names, names, done}, all},
            {{StoreHeader(3)}, B::ErrorText, {names, done}, all, ErrorInName()},
            {{DeviceCommand::StoreCredentials(), StoreHeader(0), StoreHeader(3), StoreHeader(4),
              StoreHeader(5), StoreHeader(6)},
             B::Silent,
             {u"Failed to upload user name and password"_s,
              u"Failed to upload the Input parameters"_s, names, names, names, names, done},
             all},
        },
        true);
    // No upload was whole: no row is stored, and no message box shown.
    EXPECT_TRUE(prompt.Messages().isEmpty());
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

TEST_F(frmRK816Test, NothingIsSentWhileAPageIsUnreadOrADelayCannotBeStored)
{
    FillDevice();
    ExpectRefusals<frmRK816>({
        {DeviceCommand::ReadPage(4), {}, {}, UnreadRefusal()},
        {{},
         u"txtTOL(2)"_s,
         u"40000"_s,
         u"Dry Contact Input 3, Time Delay (min): \"40000\" cannot be stored.  Enter a number "
         "from -32768 to 32767."_s},
        {{},
         u"txtTOL(7)"_s,
         u"7 min"_s,
         u"Dry Contact Input 8, Time Delay (min): \"7 min\" cannot be stored.  Enter a number "
         "from -32768 to 32767."_s},
        {{},
         u"txtTOL(1)"_s,
         u"5.5"_s,
         u"Dry Contact Input 2: Time out of limits \"5.5\" is not a whole number."_s},
    });
}

// A download that stopped at the busy credentials read leaves no page of its own: Save and
// Command1 send nothing and store nothing, on the first opening and after a Refresh.
TEST_F(frmRK816Test, ABusyCredentialsReadLeavesNothingToSave)
{
    FillDevice();
    const QString stored = u"SELECT * FROM tblSensors ORDER BY PortNum"_s;
    device.SetKnob(DeviceCommand::ReadCredentials(), Knob(FakeDevice::Behaviour::Busy));
    for (const bool refresh : {false, true}) {
        SCOPED_TRACE(refresh);
        frmRK816 panel;
        panel.DatabaseID = 7;
        Open(panel);
        if (refresh) {
            QTest::mouseClick(panel.btnSave, Qt::LeftButton);
            device.SetKnob(DeviceCommand::ReadCredentials(), Knob(FakeDevice::Behaviour::Busy));
            QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
        }
        EXPECT_EQ(Lines(panel), QStringList{kBusyDownload});
        const QStringList rows = Rows(stored);
        const qsizetype first = device.Requests().size();
        EXPECT_EQ(Click(panel.btnSave), QList{Box(UnreadRefusal())});
        EXPECT_EQ(Click(panel.Command1), QList{Box(UnreadRefusal())});
        EXPECT_EQ(Headers(first), QStringList{});
        EXPECT_EQ(Rows(stored), rows);
        EXPECT_EQ(rows.size(), refresh ? 8 : 0);
    }
}

TEST_F(frmRK816Test, Command1DuringASaveStartsNothing)
{
    FillDevice();
    frmRK816 panel;
    Open(panel);
    const qsizetype first = device.Requests().size();
    DuringDelayedReply(StoreHeader(3), [&] { QTest::mouseClick(panel.btnSave, Qt::LeftButton); },
                       {[&] { panel.Command1->click(); }, [&] { panel.btnRefresh->click(); }});
    EXPECT_EQ(Headers(first), (QStringList{u"F3FF00BC"_s, u"DDCCBB00"_s, u"DDCCBB03"_s,
                                           u"DDCCBB04"_s, u"DDCCBB05"_s, u"DDCCBB06"_s}));
}

TEST_F(frmRK816Test, ReadingsBatteryAndUnnamedInputs)
{
    device.family = 6;
    device.subModel = 6;
    device.pages[3].replace(8, 20, FixedAnsi(u"Back door"_s, 20));
    device.pages[0].replace(RecordByte(0) + 3, 2, Word(30));
    device.pages[0].replace(RecordByte(1) + 3, 2, Word(40)); // row 1 has no name
    const qint16 readings[] = {0, 1, -1, 7, 0, 0, 0, 0};
    for (int i = 0; i < 8; ++i)
        device.channels[i].reading = readings[i];
    device.battery = 125;
    SaveSensorRecord(4, u"x"_s, 0, u"Check the latch"_s, {}, {}, {}, {});
    SaveSensorRecord(4, u"y"_s, 1, u"Old note"_s, {}, {}, {}, {});
    frmRK816 panel;
    panel.DatabaseID = 4;
    Open(panel);
    QStringList shown;
    for (int i = 0; i < 4; ++i)
        shown << panel.txtReading.at(i)->text();
    EXPECT_EQ(shown, (QStringList{u"Open"_s, u"Closed"_s, u"Closed"_s, u"Closed"_s}));
    EXPECT_EQ(panel.txtBattV->text(), u"12.5"_s);
    EXPECT_EQ(panel.txtTOL.at(0)->text() + u'|' + panel.txtTOL.at(1)->text(), u"30|"_s);
    EXPECT_EQ(panel.txtNotes.at(0)->text() + u'|' + panel.txtNotes.at(1)->text(),
              u"Check the latch|"_s);
    EXPECT_FALSE(panel.txtReading.at(0)->isEnabled());

    device.battery = 5;
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(panel.txtBattV->text(), u".5"_s);
    device.SetKnob(DeviceCommand::ReadCurrentData(), Knob(FakeDevice::Behaviour::WrongEcho));
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(panel.txtBattV->text() + panel.txtReading.at(0)->text(), QString());
}

TEST_F(frmRK816Test, ShowsItsTextsAndFiltersItsKeys)
{
    frmRK816 panel;
    Open(panel);
    EXPECT_TRUE(panel.windowTitle().isEmpty());
    ExpectTexts(&panel, "Dry Contact Input 1\nDry Contact Input 8\n"
                        "Logic Level\nTime Delay (min)\nCurrent State\n"
                        "Normally Open|Normally Closed\nSensor Notes\n"
                        "Check to enable relay control via phone call\n"
                        "Turn on alarm relay when a sensor goes into alarm.\n"
                        "Turn off alarm relay when a sensor goes into alarm or the main power "
                        "fails.\n"
                        "Enable Alarm Buzzer\nDisable Alarm Buzzer\n"
                        "Backup Battery Voltage (vdc)\n"
                        "Save\nRefresh\nClose\nNotes\nCommand1");
    EXPECT_EQ(panel.cmboNoNc.size(), 8);
    // A row reads across from its caption to its state, each under its heading; the two
    // buzzer options stand one above the other.
    const QWidget *row[] = {panel.lblSensorType.at(3), panel.txtName.at(3), panel.cmboNoNc.at(3),
                            panel.txtTOL.at(3), panel.txtReading.at(3)};
    for (int c = 1; c < int(std::size(row)); ++c) {
        const QRect left = row[c - 1]->geometry();
        const QRect right = row[c]->geometry();
        EXPECT_LE(std::abs(left.center().y() - right.center().y()), 3) << c;
        EXPECT_GT(right.left(), left.right()) << c;
    }
    const char *headings[] = {"Logic Level", "Time Delay (min)", "Current State"};
    for (int c = 0; c < 3; ++c) {
        const QRect column = row[c + 2]->geometry();
        int found = 0;
        for (const QLabel *label : panel.findChildren<QLabel *>()) {
            if (label->text() != QString::fromLatin1(headings[c]))
                continue;
            ++found;
            EXPECT_LE(std::abs(label->geometry().center().x() - column.center().x()), 3) << c;
            EXPECT_LT(label->geometry().bottom(), panel.txtName.at(0)->geometry().top()) << c;
        }
        EXPECT_EQ(found, 1) << c;
    }
    EXPECT_GT(panel.optEnableBuzzer[1]->geometry().top(),
              panel.optEnableBuzzer[0]->geometry().bottom());
    // The options on two lines: relay control by phone, then the battery box and Command1;
    // under them the relay options it overrides, then the buzzer's.
    const QWidget *options[] = {panel.chkRelayControlEnabled, panel.lblBattV, panel.txtBattV,
                                panel.Command1, panel.optRelayLogic[0]->parentWidget(),
                                panel.optEnableBuzzer[0]->parentWidget()};
    for (int a = 0; a < int(std::size(options)); ++a) {
        EXPECT_EQ(options[a]->y() > panel.chkRelayControlEnabled->geometry().bottom(), a >= 4) << a;
        if (a > 0 && a != 4) {
            EXPECT_GT(options[a]->x(), options[a - 1]->geometry().right()) << a;
        }
    }
    EXPECT_EQ(panel.cmboNoNc.at(0)->currentIndex(), 0);
    QTest::keyClicks(panel.cmboNoNc.at(0), u"Normally Closed"_s);
    EXPECT_EQ(panel.cmboNoNc.at(0)->currentIndex(), 0);
    QTest::keyClick(panel.cmboNoNc.at(0), Qt::Key_Down);
    EXPECT_EQ(panel.cmboNoNc.at(0)->currentIndex(), 1);
    QTest::keyClicks(panel.txtTOL.at(0), u"1a5"_s);
    EXPECT_EQ(panel.txtTOL.at(0)->text(), u"15"_s);
    EXPECT_EQ(Shown([&] { QTest::keyClicks(panel.txtName.at(0), u"a/b"_s); }),
              QList{Box(u"/ is an invalid character."_s)});
    EXPECT_EQ(panel.txtName.at(0)->text(), u"ab"_s);
    QTest::mouseClick(panel.btnNotes, Qt::LeftButton);
    EXPECT_EQ(panel.btnNotes->text(), u"Hide"_s);
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_FALSE(ConnectionOpen());
}

// The rows of one Save go in together, before the status label goes: a failure at the last
// row or at one in the middle takes back the others.
TEST_F(frmRK816Test, ARowSaveThatFailsLeavesTheRowsOfTheSaveBefore)
{
    FillDevice();
    const QString all = u"SELECT * FROM tblSensors ORDER BY PortNum"_s;
    for (const int port : {7, 3}) {
        SCOPED_TRACE(port);
        frmRK816 panel;
        panel.DatabaseID = 7;
        Open(panel);
        QStringList whenHidden;
        const OnEvent hidden(panel.lblStatus, QEvent::Hide, [&] { whenHidden = Rows(all); });
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        const QStringList before = Rows(all);
        ASSERT_EQ(before.size(), 8);
        EXPECT_EQ(whenHidden, before);
        DatabaseConnection db;
        ASSERT_TRUE(
            db.Exec(u"CREATE TRIGGER killed BEFORE UPDATE ON tblSensors WHEN "
                    "NEW.PortNum = %1 BEGIN SELECT RAISE(ABORT, 'killed'); END"_s.arg(port)));
        const QString name = u"Renamed "_s + QString::number(port);
        for (QLineEdit *box : std::as_const(panel.txtName))
            box->setText(name);
        EXPECT_EQ(Click(panel.btnSave),
                  QList{Box(u"Error saving sensor record for port %1, the error is killed Unable "
                            "to fetch row"_s.arg(port))});
        EXPECT_EQ(Rows(all), before);
        EXPECT_EQ(device.pages[3].mid(8, 9), name.toLatin1());
        ASSERT_TRUE(db.Exec(u"DROP TRIGGER killed"_s));
    }
}
