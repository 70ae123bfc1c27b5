#include "ReplyDecoding.h"
#include "DeviceCommands.h"
#include "TempProgramFolder.h"

namespace {

struct Record {
    qint16 reading = 0;
    quint16 count = 0;
    quint8 state = 0;
};

QByteArray CurrentData(const std::array<Record, 10> &records, quint8 battery, quint8 tenthsFlag,
                       char unit)
{
    QByteArray reply = DeviceCommand::ReadCurrentData();
    for (const Record &r : records) {
        const WordBytes reading = SplitWord(r.reading);
        const WordBytes count = SplitWord(r.count);
        reply += char(reading.hi);
        reply += char(reading.lo);
        reply += char(count.hi);
        reply += char(count.lo);
        reply += char(r.state);
    }
    return reply + QByteArray(3, '\0') + char(battery) + char(tenthsFlag) + unit;
}

std::array<Record, 10> AllReading(qint16 reading)
{
    std::array<Record, 10> records{};
    for (Record &r : records)
        r.reading = reading;
    return records;
}

void Identify(qint16 family, qint16 subModel, qint16 revision)
{
    Decoded().DeviceFamily = family;
    Decoded().DeviceSubModel = subModel;
    Decoded().DeviceRevision = revision;
}

} // namespace

class ReplyDecodingTest : public TempProgramFolder {
protected:
    void SetUp() override
    {
        TempProgramFolder::SetUp();
        ResetDecodedState();
    }
    void TearDown() override
    {
        ResetDecodedState();
        TempProgramFolder::TearDown();
    }
    QStringList Errors() const
    {
        return Rows(QStringLiteral("SELECT myFunction, Cause FROM tblErrors"));
    }
};

TEST_F(ReplyDecodingTest, IdentityWordsAreBigEndian)
{
    EXPECT_TRUE(ParseMessage(
        DeviceCommand::Identify(),
        PadWithNulls(DeviceCommand::Identify() + QByteArray::fromHex("000500070019"))));
    EXPECT_EQ(Decoded().DeviceFamily, 5);
    EXPECT_EQ(Decoded().DeviceSubModel, 7);
    EXPECT_EQ(Decoded().DeviceRevision, 25);
    EXPECT_TRUE(Errors().isEmpty());
}

TEST_F(ReplyDecodingTest, IdentityWordBeyondSixteenBitsStopsWithAnErrorRecord)
{
    Identify(1, 2, 3);
    EXPECT_FALSE(ParseMessage(
        DeviceCommand::Identify(),
        PadWithNulls(DeviceCommand::Identify() + QByteArray::fromHex("000680000001"))));
    EXPECT_EQ(Decoded().DeviceFamily, 6); // stored before the fault
    EXPECT_EQ(Decoded().DeviceSubModel, 2);
    EXPECT_EQ(Decoded().DeviceRevision, 3);
    EXPECT_EQ(Errors(), QStringList{QStringLiteral(
                            "myFunction=ParseMessage|Cause=Overflow: identity word 32768 at "
                            "byte 7 exceeds 32767")});
}

TEST_F(ReplyDecodingTest, TenthsRuleDividesTheLeadingRecordsOfEachDeviceRow)
{
    struct Row {
        const char *name;
        qint16 family, subModel, revision;
        int divided;
    };
    const Row rows[] = {
        {"family 3, sub-model 6", 3, 6, 0, 4},
        {"family 3, sub-model above 6", 3, 8, 0, 4},
        {"family 3, sub-model 5, revision 5", 3, 5, 5, 2},
        {"family 3, sub-model 2, revision 5", 3, 2, 5, 2},
        {"family 3, sub-model 5, revision 4", 3, 5, 4, 0},
        {"family 5, revision 23", 5, 7, 23, 8},
        {"family 5, revision 22", 5, 7, 22, 0},
        {"family 6, sub-model 5, revision 1", 6, 5, 1, 8},
        {"family 6, sub-model 50", 6, 50, 1, 8},
        {"family 6, sub-model 10", 6, 10, 1, 8},
        {"family 6, sub-model 100", 6, 100, 7, 8},
        {"family 6, sub-model 5, revision 0", 6, 5, 0, 0},
        {"family 6, sub-model 6", 6, 6, 3, 0},
        {"family 4", 4, 6, 30, 0},
    };
    for (const Row &row : rows) {
        for (const quint8 flag : {quint8(10), quint8(0)}) {
            SCOPED_TRACE(std::string(row.name) + (flag ? ", tenths flagged" : ", not flagged"));
            Identify(row.family, row.subModel, row.revision);
            ASSERT_TRUE(ParseMessage(DeviceCommand::ReadCurrentData(),
                                     CurrentData(AllReading(725), 0, flag, 'F')));
            const int divided = flag == 10 ? row.divided : 0;
            for (int k = 0; k < 10; ++k)
                EXPECT_EQ(Decoded().ChannelReadings[3 * k], k < divided ? 72.5f : 725.0f)
                    << "record " << k + 1;
        }
    }
}

TEST_F(ReplyDecodingTest, SentinelsAreJudgedAfterScaling)
{
    Identify(5, 7, 23);
    std::array<Record, 10> records = AllReading(0);
    records[0].reading = 1000;  // tenths: 100.0, a reading
    records[1].reading = 9990;  // tenths: 999.0, open
    records[2].reading = -9990; // tenths: -999.0, shorted
    records[8].reading = 1000;  // whole: not connected
    records[9].reading = -999;  // bytes FC 19
    ASSERT_TRUE(ParseMessage(DeviceCommand::ReadCurrentData(), CurrentData(records, 0, 10, 'C')));

    const std::pair<int, const char *> expected[] = {
        {0, "100"},           {1, "Sensor Open"},    {2, "Sensor Shorted"},
        {8, "Not Connected"}, {9, "Sensor Shorted"},
    };
    for (const auto &[record, text] : expected) {
        QString shown;
        const bool reading = FormatSensorReading(Decoded().ChannelReadings[3 * record],
                                                 QStringLiteral("Temperature"), shown);
        EXPECT_EQ(shown, QString::fromLatin1(text)) << "record " << record + 1;
        EXPECT_EQ(reading, record == 0) << "record " << record + 1;
    }
}

TEST_F(ReplyDecodingTest, CountsStatesAndUnitComeFromTheirBytes)
{
    Identify(5, 7, 25);
    std::array<Record, 10> records = AllReading(10);
    records[0] = {-1, 65535, 3};
    records[9] = {32767, 7, 255};
    ASSERT_TRUE(ParseMessage(DeviceCommand::ReadCurrentData(), CurrentData(records, 36, 0, 'C')));
    const auto &readings = Decoded().ChannelReadings;
    EXPECT_EQ(readings[0], -1.0f);
    EXPECT_EQ(readings[1], 65535.0f);
    EXPECT_EQ(readings[2], 3.0f);
    EXPECT_EQ(readings[27], 32767.0f);
    EXPECT_EQ(readings[28], 7.0f);
    EXPECT_EQ(readings[29], 255.0f);
    EXPECT_EQ(readings[30], 0.0f);
    EXPECT_EQ(Decoded().UnitLetter, QStringLiteral("C"));
}

TEST_F(ReplyDecodingTest, BatteryVoltageOnlyFromDevicesThatReportIt)
{
    struct Row {
        qint16 family, revision, battery;
    };
    const Row rows[] = {{5, 25, 36}, {5, 24, -1}, {6, 0, 36}, {4, 30, -1}, {7, 30, -1}, {3, 9, -1}};
    for (const Row &row : rows) {
        Identify(row.family, 1, row.revision);
        ASSERT_TRUE(
            ParseMessage(DeviceCommand::ReadCurrentData(), CurrentData(AllReading(0), 36, 0, 'F')));
        EXPECT_EQ(Decoded().BatteryVoltage, row.battery)
            << "family " << row.family << " revision " << row.revision;
    }
}

TEST_F(ReplyDecodingTest, ShortCurrentDataReplyKeepsThePreviousValues)
{
    Identify(6, 5, 1);
    ASSERT_TRUE(
        ParseMessage(DeviceCommand::ReadCurrentData(), CurrentData(AllReading(215), 40, 0, 'C')));
    const QByteArray full = CurrentData(AllReading(300), 12, 0, 'F');

    EXPECT_FALSE(ParseMessage(DeviceCommand::ReadCurrentData(), full.left(59)));
    EXPECT_EQ(Decoded().ChannelReadings[27], 300.0f); // the records were read
    EXPECT_EQ(Decoded().UnitLetter, QStringLiteral("C"));
    EXPECT_EQ(Decoded().BatteryVoltage, 40);

    EXPECT_FALSE(ParseMessage(DeviceCommand::ReadCurrentData(), full.left(30)));
    EXPECT_EQ(Errors(),
              (QStringList{QStringLiteral("myFunction=ParseMessage|Cause=Reply too short: 59 "
                                          "bytes, byte 60 is missing"),
                           QStringLiteral("myFunction=ParseMessage|Cause=Reply too short: 30 "
                                          "bytes, byte 59 is missing")}));
}

TEST_F(ReplyDecodingTest, OtherHeadersDecodeNothing)
{
    Identify(5, 7, 25);
    EXPECT_TRUE(ParseMessage(DeviceCommand::ReadPage(2), QByteArray(60, '\x7F')));
    EXPECT_TRUE(ParseMessage(DeviceCommand::ReadClock(), {}));
    EXPECT_EQ(Decoded().DeviceFamily, 5);
    EXPECT_EQ(Decoded().ChannelReadings[0], 0.0f);
}

TEST(FormatSensorReadingTest, TextByTypeAndSentinel)
{
    struct Row {
        float reading;
        const char *type;
        const char *text;
        bool result;
    };
    const char *kBefore = "as before";
    const Row rows[] = {
        {1, "Door Sensor 1", "Closed", true},
        {0, "Door Sensor 1", "Open", true},
        {2, "Door Sensor 1", kBefore, true},
        {0, "Dry Contact Alarm Input", "Open", true},
        {1, "dry contact input 3", "Closed", true},
        {0, "Water Sensor", "Water Not Detected", true},
        {1, "Water Sensor", "Water Detected", true},
        {5, "Water Sensor", kBefore, true},
        {1, "Power Sensor", "Power On", true},
        {0.5f, "Power Sensor", "Power Off", true},
        {0, "Power Sensor", "Power Off", true},
        {55.5f, "Humidity", "56", true},
        {54.5f, "Internal Humidity %RH", "54", true},
        {-0.4f, "Humidity", "0", true},
        {72.5f, "Temperature", "72.5", true},
        {-12.3f, "Temperature Sensor Port 1", "-12.3", true},
        {100, "Temperature", "100", true},
        {1234.567f, "", "1234.567", true},
        {1000, "Temperature", "Not Connected", false},
        {9999, "Humidity", "Not Connected", false},
        {999, "Door Sensor 2", "Sensor Open", false},
        {-999, "Temperature", "Sensor Shorted", false},
        {kNoDataReading, "Power Sensor", "No Data", false},
    };
    for (const Row &row : rows) {
        QString text = QString::fromLatin1(kBefore);
        EXPECT_EQ(FormatSensorReading(row.reading, QString::fromLatin1(row.type), text), row.result)
            << row.reading << " " << row.type;
        EXPECT_EQ(text, QString::fromLatin1(row.text)) << row.reading << " " << row.type;
    }
}
