#include "PanelTest.h"

#include "AnsiText.h"
#include "ServerDatabase.h"
#include "frmFinch416.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;

namespace {

// 16-bit words one after the other, as a page holds them.
QByteArray Words(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (const int value : values)
        bytes += Word(value);
    return bytes;
}

QStringList Texts(const QList<QLineEdit *> &boxes)
{
    QStringList texts;
    for (const QLineEdit *box : boxes)
        texts << box->text();
    return texts;
}

QStringList Texts(const QList<QLabel *> &labels)
{
    QStringList texts;
    for (const QLabel *label : labels)
        texts << label->text();
    return texts;
}

} // namespace

class frmFinch416Test : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        device.family = 3;
        device.subModel = 6;
        // The device manager identified it before it opened the panel.
        Decoded().DeviceFamily = 3;
        Decoded().DeviceSubModel = 6;
    }

    // Every byte distinct from its neighbours and from what the panel would write.
    void FillDevice()
    {
        for (int n = 0; n < kPageCount; ++n) {
            for (int i = 4; i < 60; ++i)
                device.pages[n][i] = char(0x41 + (n * 11 + i * 7) % 58);
        }
        for (int i = 0; i < 4; ++i)
            device.pages[0].replace(8 + 6 * i, 6, Words({-100 - i, 300 + 7 * i, i + 1}));
        device.pages[0].replace(32, 12, Words({5, 6, 15, -25, 0, 7}));
        device.pages[4][8] = 1;  // relay: second option
        device.pages[4][10] = 0; // buzzer: disabled
    }

    void Name(int page, int byte, const QString &name)
    {
        device.pages[page].replace(byte - 1, 20, FixedAnsi(name, 20));
    }
};

TEST_F(frmFinch416Test, SavingUneditedGivesEveryPageBackInItsOrderOverOneConnection)
{
    FillDevice();
    const auto before = device.pages;
    frmFinch416 panel;
    Open(panel);
    EXPECT_EQ(Headers(), (QStringList{u"2ACDDCBA"_s, u"AABBCC04"_s, u"AABBCC01"_s, u"AABBCC02"_s,
                                      u"AABBCC03"_s, u"AABBCC05"_s, u"3FCDDC00"_s, u"AABBCC00"_s}));
    EXPECT_TRUE(Lines(panel).isEmpty());
    EXPECT_FALSE(panel.frmAlarmConfiguration->isHidden());
    EXPECT_TRUE(panel.optRelayLogic[1]->isChecked());
    EXPECT_TRUE(panel.optEnableBuzzer[1]->isChecked());

    const qsizetype upload = device.Requests().size();
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(
        Headers(upload),
        (QStringList{u"AABBCC04"_s, u"DDCCBB04"_s, u"AABBCC00"_s, u"DDCCBB00"_s, u"AABBCC02"_s,
                     u"DDCCBB02"_s, u"AABBCC03"_s, u"DDCCBB03"_s, u"AABBCC05"_s, u"DDCCBB05"_s}));
    EXPECT_EQ(device.pages, before);
    EXPECT_TRUE(Lines(panel).isEmpty());
    EXPECT_TRUE(panel.lblStatus->isHidden());
    EXPECT_TRUE(prompt.Messages().isEmpty());

    // The device-name page is only read, whatever happens.
    EXPECT_FALSE(Headers().contains(u"DDCCBB01"_s));
    // The connection is never closed: activation, Save, Refresh and Close use the one.
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    QTest::mouseClick(panel.btnClose, Qt::LeftButton);
    EXPECT_TRUE(ConnectionOpen());
    EXPECT_EQ(device.ConnectionCount(), 1);
}

TEST_F(frmFinch416Test, EachEditChangesExactlyItsBytes)
{
    FillDevice();
    frmFinch416 panel;
    Open(panel);
    // The device changes bytes the panel does not own after the download: they stay.
    device.pages[0][50] = '!';
    device.pages[5][55] = '!';
    auto expected = device.pages;
    const struct {
        QLineEdit *box;
        QString text;
        int page, pos;
        QByteArray bytes;
    } edits[] = {
        {panel.txtName.at(1), u"Dairy \"B\""_s, 2, 29, "Dairy \"B\"           "},
        {panel.txtName.at(2), u"Inside"_s, 5, 9, "Inside              "},
        {panel.txtName.at(3), u"Relative humidity, cabinet"_s, 5, 29, "Relative humidity, c"},
        {panel.txtName.at(4), u"Front"_s, 3, 9, "Front               "},
        {panel.txtLL.at(1), u"12.25"_s, 0, 15, Word(122)},
        {panel.txtUL.at(3), u"80"_s, 0, 29, Word(800)},
        {panel.txtLL.at(2), u"-.5"_s, 0, 21, Word(-5)},
        {panel.txtTOL.at(3), u"45"_s, 0, 31, Word(45)},
        {panel.txtTOL.at(5), u"7"_s, 0, 35, Word(7)},
        {panel.txtCF.at(3), u"-1.5"_s, 0, 43, Word(-15)},
        {panel.txtAlarmReminderTimeDelay, u"255"_s, 4, 10, QByteArray(1, char(255))},
        {panel.txtTwoStageDoorAlarmTimeDelay, {}, 4, 12, QByteArray(1, 0)},
    };
    for (const auto &edit : edits) {
        edit.box->setText(edit.text);
        expected[edit.page].replace(edit.pos - 1, edit.bytes.size(), edit.bytes);
    }
    // A blank correction box leaves its bytes as read.
    panel.txtCF.at(0)->clear();
    panel.optRelayLogic[0]->setChecked(true);
    panel.optEnableBuzzer[0]->setChecked(true);
    expected[4][8] = 0;
    expected[4][10] = 1;
    QTest::mouseClick(panel.btnSave, Qt::LeftButton);
    EXPECT_EQ(device.pages, expected);
    EXPECT_EQ(panel.txtTwoStageDoorAlarmTimeDelay->text(), u"0"_s);
    EXPECT_TRUE(prompt.Messages().isEmpty());
}

TEST_F(frmFinch416Test, ReadingsLimitsNotesAndRowsWhateverTheTenthsFlag)
{
    Name(2, 9, u"Freezer"_s);
    Name(3, 9, u"Dock"_s);
    device.pages[0].replace(8, 6, Words({-215, 50, 10}));  // probe 1
    device.pages[0].replace(14, 6, Words({-10, 40, 20}));  // probe 2, unnamed
    device.pages[0].replace(20, 6, Words({150, 300, 30})); // internal temperature
    device.pages[0].replace(26, 6, Words({200, 800, 40})); // internal humidity
    device.pages[0].replace(32, 4, Words({5, 6}));         // doors, door 2 unnamed
    SaveSensorRecord(8, u"old"_s, 3, u"Near the vent"_s, {}, {}, {}, {});
    const struct {
        bool tenths;
        qint16 readings[6];
        QStringList shown;
    } rows[] = {
        {true,
         {215, 9990, -5, 445, 1, 0},
         {u"21.5"_s, u"Sensor Open"_s, u"-.5"_s, u"44"_s, u"Closed"_s, u"Open"_s}},
        {true,
         {0, 10000, 250, 455, 0, 7},
         {u".0"_s, u"Not Connected"_s, u"25.0"_s, u"46"_s, u"Open"_s, {}}},
        {false,
         {21, 999, -999, 45, 0, 1},
         {u"21.0"_s, u"Sensor Open"_s, u"Sensor Shorted"_s, u"45"_s, u"Open"_s, u"Closed"_s}},
    };
    QString note;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.readings[0]);
        device.tenths = row.tenths;
        for (int i = 0; i < 6; ++i)
            device.channels[i].reading = row.readings[i];
        frmFinch416 panel;
        panel.DatabaseID = 8;
        Open(panel);
        EXPECT_EQ(Texts(panel.txtReading), row.shown);
        EXPECT_EQ(Texts(panel.txtLL), (QStringList{u"-21.5"_s, {}, u"15.0"_s, u"20.0"_s}));
        EXPECT_EQ(Texts(panel.txtUL), (QStringList{u"5.0"_s, {}, u"30.0"_s, u"80.0"_s}));
        EXPECT_EQ(Texts(panel.txtTOL), (QStringList{u"10"_s, {}, u"30"_s, u"40"_s, u"5"_s, {}}));
        // Notes stay with their ports, named or not, from one opening to the next.
        EXPECT_EQ(Texts(panel.txtNotes), (QStringList{{}, {}, {}, u"Near the vent"_s, {}, note}));
        note = u"Don't prop"_s;
        panel.txtNotes.at(5)->setText(note);
        QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        EXPECT_EQ(ReadDeviceInt(device.pages[0], 29, 2), 800);
        EXPECT_EQ(ReadDeviceInt(device.pages[0], 15, 2), -10);
    }
    EXPECT_EQ(Rows(u"SELECT PortNum, SensorName, SensorNotes, SensorType, UpperLimit, LowerLimit, "
                   "TOL FROM tblSensors WHERE ServerIDNum = 8 ORDER BY PortNum"_s),
              (QStringList{
                  u"PortNum=0|SensorName=Freezer|SensorNotes=|SensorType=Temperature Sensor "
                  "Port 1|UpperLimit=5|LowerLimit=-21.5|TOL=10"_s,
                  u"PortNum=1|SensorName=|SensorNotes=|SensorType=Temperature Sensor Port "
                  "2|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
                  u"PortNum=2|SensorName=|SensorNotes=|SensorType=Internal Temperature "
                  "Sensor|UpperLimit=30|LowerLimit=15|TOL=30"_s,
                  u"PortNum=3|SensorName=|SensorNotes=Near the vent|SensorType=Internal Humidity "
                  "Sensor|UpperLimit=80|LowerLimit=20|TOL=40"_s,
                  u"PortNum=4|SensorName=Dock|SensorNotes=|SensorType=Door Sensor "
                  "1|UpperLimit=NULL|LowerLimit=NULL|TOL=5"_s,
                  u"PortNum=5|SensorName=|SensorNotes=Don't prop|SensorType=Door Sensor "
                  "2|UpperLimit=NULL|LowerLimit=NULL|TOL=NULL"_s,
              }));
}

TEST_F(frmFinch416Test, TheUnitLetterOfTheNamePageLabelsTheTemperatureRows)
{
    const QString degree = QString(QChar(0xB0));
    const struct {
        char letter;
        QString shown;
    } rows[] = {
        {'C', degree + u'C'}, {'F', degree + u'F'}, {' ', {}}, {'c', {}}, {'K', {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.letter);
        device.pages[1][28] = row.letter;
        frmFinch416 panel;
        Open(panel);
        EXPECT_EQ(panel.DeviceUnit, QString(QLatin1Char(row.letter)).trimmed());
        EXPECT_EQ(Texts(panel.lblUnits), (QStringList{row.shown, row.shown, row.shown, u"%RH"_s}));
    }
    // A name page that fails on a later Refresh leaves the labels as they were.
    device.pages[1][28] = 'C';
    frmFinch416 panel;
    Open(panel);
    device.SetKnob(DeviceCommand::ReadPage(1), Knob(FakeDevice::Behaviour::WrongEcho));
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(Lines(panel), QStringList{u"Failed to retreive user page 1"_s});
    EXPECT_EQ(panel.DeviceUnit, QString());
    EXPECT_EQ(Texts(panel.lblUnits),
              (QStringList{degree + u'C', degree + u'C', degree + u'C', u"%RH"_s}));
}

TEST_F(frmFinch416Test, EachFailingExchangeGivesItsLine)
{
    using B = FakeDevice::Behaviour;
    const auto read = [](int page) { return DeviceCommand::ReadPage(page); };
    ExpectFailureLines<frmFinch416>(
        {
            {{read(4)}, B::WrongEcho, {u"Failed to retreive alarm parameters"_s}, {}},
            {{read(1)}, B::WrongEcho, {u"Failed to retreive user page 1"_s}, {}},
            {{read(2)}, B::WrongEcho, {u"Failed to retreive temperature sensor names"_s}, {}},
            {{read(3)}, B::WrongEcho, {u"Failed to retreive door sensor names"_s}, {}},
            {{read(5)},
             B::WrongEcho,
             {u"Failed to retreive Internal Temperature and Humidity sensor names"_s},
             {}},
            {{DeviceCommand::ReadCurrentData()},
             B::WrongEcho,
             {u"Failed to download sensor readings"_s},
             {}},
            {{read(0)}, B::WrongEcho, {u"Failed to upload limits"_s}, {}},
        },
        false);
    // Of the stores only the limits page is examined; a page whose fresh read fails is not
    // stored, and only the limits page says so.
    ExpectFailureLines<frmFinch416>(
        {
            {{StoreHeader(0), StoreHeader(2), StoreHeader(5)},
             B::WrongEcho,
             {u"Failed to download the limits"_s, Incomplete()},
             {}},
            {{read(0)},
             B::WrongEcho,
             {u"Failed to download the limits"_s, Incomplete()},
             {u"AABBCC04"_s, u"DDCCBB04"_s, u"AABBCC00"_s, u"AABBCC02"_s, u"DDCCBB02"_s,
              u"AABBCC03"_s, u"DDCCBB03"_s, u"AABBCC05"_s, u"DDCCBB05"_s}},
            {{read(4), read(3)},
             B::WrongEcho,
             {Incomplete()},
             {u"AABBCC04"_s, u"AABBCC00"_s, u"DDCCBB00"_s, u"AABBCC02"_s, u"DDCCBB02"_s,
              u"AABBCC03"_s, u"AABBCC05"_s, u"DDCCBB05"_s}},
            {{StoreHeader(5)}, B::ErrorText, {Incomplete()}, {}, ErrorInName()},
        },
        true);
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
}

// Nothing goes to the device over a page that failed to download (its boxes are empty),
// nor a value its field cannot hold; the page-1 unit and the readings are not needed.
TEST_F(frmFinch416Test, SaveRefusesBeforeAnyStore)
{
    const QString unread = UnreadRefusal();
    const auto read = [](int page) { return DeviceCommand::ReadPage(page); };
    ExpectRefusals<frmFinch416>({
        {read(4), {}, {}, unread},
        {read(2), {}, {}, unread},
        {read(3), {}, {}, unread},
        {read(5), {}, {}, unread},
        {read(0), {}, {}, unread},
        {{},
         u"txtAlarmReminderTimeDelay"_s,
         u"300"_s,
         u"Alarm reminder time delay: \"300\" cannot be stored.  Enter a number from 0 to 255."_s},
        {{},
         u"txtTwoStageDoorAlarmTimeDelay"_s,
         u"256"_s,
         u"Two stage door alarm time delay: \"256\" cannot be stored.  Enter a number from 0 "
         "to 255."_s},
        {{},
         u"txtLL(2)"_s,
         u"-"_s,
         u"Internal Temperature Sensor, Lower Limit: \"-\" cannot be stored.  Enter a number "
         "from -3276.8 to 3276.7."_s},
        {{},
         u"txtCF(3)"_s,
         u"x"_s,
         u"Internal Humidity Sensor, Correction: \"x\" cannot be stored.  Enter a number from "
         "-3276.8 to 3276.7."_s},
    });
    EXPECT_EQ(Rows(u"SELECT COUNT(*) FROM tblSensors"_s), QStringList{u"COUNT(*)=0"_s});
    for (const QByteArray &header : {read(1), DeviceCommand::ReadCurrentData()}) {
        device.SetKnob(header, Knob(FakeDevice::Behaviour::WrongEcho));
        frmFinch416 panel;
        Open(panel);
        panel.txtAlarmReminderTimeDelay->setText(u"255"_s);
        EXPECT_TRUE(Click(panel.btnSave).isEmpty());
        EXPECT_EQ(uchar(device.pages[4][9]), 255);
    }
}

TEST_F(frmFinch416Test, CalibrationLocksWhatCannotBeCalibratedAndCancelPutsTheFactorsBack)
{
    device.tenths = true;
    Name(2, 9, u"Freezer"_s);
    device.pages[0].replace(36, 8, Words({10, 20, -5, 0}));
    const qint16 readings[] = {9990, 215, 250, 455};
    for (int i = 0; i < 4; ++i)
        device.channels[i].reading = readings[i];
    frmFinch416 panel;
    Open(panel);
    QTest::mouseClick(panel.btnCal, Qt::LeftButton);
    EXPECT_FALSE(panel.frmCal->isHidden());
    EXPECT_EQ(Texts(panel.lblName),
              (QStringList{u"Freezer"_s, u"Not Named"_s, u"Not Named"_s, u"Not Named"_s}));
    for (int i = 0; i < 4; ++i) {
        const bool open = i != 0;
        EXPECT_EQ(panel.txtActualTemp.at(i)->isReadOnly(), !open) << i;
        EXPECT_EQ(panel.txtActualTemp.at(i)->toolTip(),
                  open ? QString() : u"Sensor is Sensor Open and cannot be calibrated."_s);
        EXPECT_TRUE(panel.txtCF.at(i)->isHidden());
        EXPECT_FALSE(panel.txtReading.at(i)->isHidden());
    }
    QTest::mouseClick(panel.btnCF, Qt::LeftButton);
    EXPECT_FALSE(panel.txtCF.at(3)->isHidden());

    const QStringList before = {u"1.0"_s, u"2.0"_s, u"-.5"_s, u".0"_s};
    const QStringList computed = {u"1.0"_s, u"2.5"_s, u"-.5"_s, u"4.0"_s};
    const struct {
        Prompt::Answer answer;
        QStringList shown;
        QByteArray factors;
    } rows[] = {
        {Prompt::Answer::Cancel, before, Words({10, 20, -5, 0})},
        {Prompt::Answer::Ok, computed, Words({10, 25, -5, 40})},
    };
    // Pages 4 and 0 only, then the whole download again.
    const QStringList kCalibrationUpload = {u"AABBCC04"_s, u"DDCCBB04"_s, u"AABBCC00"_s,
                                            u"DDCCBB00"_s, u"2ACDDCBA"_s};
    const Prompt::Message question =
        Box(u"Upload Calibration Factors?"_s, Prompt::Buttons::OkCancel, Prompt::Icon::Question,
            u"Upload Calibration Factors"_s);
    for (const auto &row : rows) {
        SCOPED_TRACE(int(row.answer));
        EXPECT_EQ(Texts(panel.txtCF), before);
        panel.txtActualTemp.at(1)->setText(u"22"_s);
        panel.txtActualTemp.at(3)->setText(u"50"_s);
        prompt.Queue(row.answer);
        const qsizetype first = device.Requests().size();
        EXPECT_EQ(Click(panel.btnStoreCalFactors), QList{question});
        EXPECT_EQ(Texts(panel.txtCF), row.shown);
        // Cancel stores nothing; Save afterwards leaves the factors the device holds.
        if (row.answer == Prompt::Answer::Cancel) {
            EXPECT_EQ(Headers(first), QStringList{});
            QTest::mouseClick(panel.btnSave, Qt::LeftButton);
        } else {
            EXPECT_EQ(Headers(first).mid(0, 5), kCalibrationUpload);
            EXPECT_TRUE(panel.btnSave->isEnabled());
        }
        EXPECT_EQ(device.pages[0].mid(36, 8), row.factors);
    }
    // Every actual box empty: no message but the question, and the factors go back unchanged.
    for (QLineEdit *box : panel.txtActualTemp)
        box->clear();
    const qsizetype first = device.Requests().size();
    EXPECT_EQ(Click(panel.btnStoreCalFactors), QList{question});
    EXPECT_EQ(Headers(first).mid(0, 5), kCalibrationUpload);
    EXPECT_EQ(device.pages[0].mid(36, 8), rows[1].factors);

    // A reading that is no number but an actual temperature typed: refused, nothing changes.
    panel.txtActualTemp.at(0)->setText(u"5"_s);
    EXPECT_EQ(Click(panel.btnStoreCalFactors),
              QList{Box(u"Freezer cannot be calibrated from the actual temperature \"5\", the "
                        "reading \"Sensor Open\" and the correction \"1.0\"."_s)});
    EXPECT_EQ(Texts(panel.txtCF), computed);

    prompt.Queue(Prompt::Answer::Cancel);
    EXPECT_EQ(Click(panel.btnReset),
              QList{Box(u"Reset both calibration factors to zero?"_s, Prompt::Buttons::OkCancel,
                        Prompt::Icon::Question, u"Reset Cal Factors"_s)});
    EXPECT_EQ(Texts(panel.txtCF), computed);
    EXPECT_EQ(Click(panel.btnReset).size(), 1);
    EXPECT_EQ(device.pages[0].mid(36, 8), QByteArray(8, '\0'));
    EXPECT_EQ(Texts(panel.txtCF), (QStringList{u".0"_s, u".0"_s, u".0"_s, u".0"_s}));
    EXPECT_EQ(Texts(panel.txtActualTemp), (QStringList{{}, {}, {}, {}}));
    EXPECT_TRUE(panel.btnSave->isEnabled());
    EXPECT_EQ(device.ConnectionCount(), 1);

    // Without the limits page read there is nothing to calibrate against.
    device.SetKnob(DeviceCommand::ReadPage(0), Knob(FakeDevice::Behaviour::WrongEcho));
    QTest::mouseClick(panel.btnRefresh, Qt::LeftButton);
    EXPECT_EQ(Texts(panel.txtCF), (QStringList{{}, {}, {}, {}}));
    for (QPushButton *button : {panel.btnStoreCalFactors, panel.btnReset}) {
        const qsizetype sent = device.Requests().size();
        EXPECT_EQ(Click(button), QList{Box(UnreadRefusal())});
        EXPECT_EQ(Headers(sent), QStringList{});
    }
}

// The family's texts are the F41x panel's; these are the F416's own.
TEST_F(frmFinch416Test, ShowsTheTextsOfItsControls)
{
    frmFinch416 panel;
    Open(panel);
    ExpectTexts(&panel, "F416 Parameters\n"
                        "Temperature Sensor Port 1\n"
                        "Temperature Sensor Port 2\n"
                        "Internal Temperature Sensor\n"
                        "Internal Humidity Sensor\n"
                        "Door Sensor 1\n"
                        "Door Sensor 2\n"
                        "%RH");
    // The unit column beside the limits takes no heading of the family's.
    EXPECT_EQ(Texts(panel.lblFinch), (QStringList{u"Current Reading"_s, u"Lower Limit"_s,
                                                  u"Upper Limit"_s, u"Time (min)"_s}));
    EXPECT_FALSE(panel.lblFinch.last()->toolTip().isEmpty());
    EXPECT_EQ(panel.txtCF.size(), 4);
    EXPECT_EQ(panel.txtLL.size(), 4);
    EXPECT_EQ(panel.objectName(), u"frmFinch416"_s);
    // Each unit stands after its sensor's limits, before its delay.
    EXPECT_GT(panel.lblUnits.at(0)->x(), panel.txtUL.at(0)->x());
    EXPECT_LT(panel.lblUnits.at(0)->x(), panel.txtTOL.at(0)->x());
}
