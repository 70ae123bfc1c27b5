#include "ReplyDecoding.h"
#include "DeviceCommands.h"
#include "TempProgramFolder.h"

using namespace Qt::StringLiterals;

namespace {

struct Record {
    qint16 reading = 0;
    quint16 count = 0;
    quint8 state = 0;
};

// A current-data reply written field by field, all readings `reading` unless given.
QByteArray CurrentData(qint16 reading, quint8 tenthsFlag, char unit = 'F', quint8 battery = 0,
                       std::initializer_list<std::pair<int, Record>> records = {})
{
    std::array<Record, 10> all{};
    for (Record &r : all)
        r.reading = reading;
    for (const auto &[k, r] : records)
        all[k] = r;
    QByteArray reply = DeviceCommand::ReadCurrentData();
    for (const Record &r : all) {
        for (const quint16 word : {quint16(r.reading), r.count})
            reply.append(char(word >> 8)).append(char(word & 0xFF));
        reply += char(r.state);
    }
    return reply + QByteArray(3, '\0') + char(battery) + char(tenthsFlag) + unit;
}

void Identify(qint16 family, qint16 subModel, qint16 revision)
{
    Decoded().DeviceFamily = family;
    Decoded().DeviceSubModel = subModel;
    Decoded().DeviceRevision = revision;
}

float Reading(int k)
{
    return Decoded().ChannelReadings[3 * k];
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
};

TEST_F(ReplyDecodingTest, IdentityWordsAreBigEndianAndStopAtAnOverflow)
{
    const QByteArray header = DeviceCommand::Identify();
    EXPECT_TRUE(ParseMessage(header, PadWithNulls(header + QByteArray::fromHex("000500070019"))));
    EXPECT_EQ(Decoded().DeviceSubModel, 7);
    EXPECT_EQ(Decoded().DeviceRevision, 25);

    EXPECT_FALSE(ParseMessage(header, PadWithNulls(header + QByteArray::fromHex("000680000001"))));
    EXPECT_EQ(Decoded().DeviceFamily, 6); // stored before the fault
    EXPECT_EQ(Decoded().DeviceSubModel, 7);
    EXPECT_EQ(Decoded().DeviceRevision, 25);
    EXPECT_EQ(ErrorRows(), QStringList{u"myFunction=ParseMessage|Cause=Overflow: identity word "
                                       "32768 at byte 7 exceeds 32767"_s});
}

TEST_F(ReplyDecodingTest, TenthsRuleDividesTheLeadingRecordsOfEachDeviceRow)
{
    const struct {
        const char *name;
        qint16 family, subModel, revision;
        int divided;
    } rows[] = {
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
    for (const auto &row : rows) {
        for (const quint8 flag : {quint8(10), quint8(0)}) {
            SCOPED_TRACE(std::string(row.name) + (flag ? ", tenths flagged" : ", not flagged"));
            Identify(row.family, row.subModel, row.revision);
            ASSERT_TRUE(ParseMessage(DeviceCommand::ReadCurrentData(), CurrentData(725, flag)));
            const int divided = flag == 10 ? row.divided : 0;
            for (int k = 0; k < 10; ++k)
                EXPECT_EQ(Reading(k), k < divided ? 72.5f : 725.0f) << "record " << k + 1;
        }
    }
}

TEST_F(ReplyDecodingTest, FieldsComeFromTheirBytesAndSentinelsAreJudgedAfterScaling)
{
    Identify(5, 7, 23);
    const QByteArray reply = CurrentData(0, 10, 'C', 36,
                                         {{0, {1000, 65535, 3}}, // tenths: 100.0, a reading
                                          {1, {9990}},           // tenths: 999.0, open
                                          {2, {-9990}},          // tenths: -999.0, shorted
                                          {8, {1000}},           // whole: not connected
                                          {9, {-999, 7, 255}}}); // bytes FC 19
    ASSERT_TRUE(ParseMessage(DeviceCommand::ReadCurrentData(), reply));
    const auto &values = Decoded().ChannelReadings;
    EXPECT_EQ(values[1], 65535.0f);
    EXPECT_EQ(values[2], 3.0f);
    EXPECT_EQ(values[28], 7.0f);
    EXPECT_EQ(values[29], 255.0f);
    EXPECT_EQ(values[30], 0.0f);
    EXPECT_EQ(Decoded().UnitLetter, u"C"_s);
    EXPECT_EQ(Decoded().BatteryVoltage, -1); // revision 23 reports none

    for (const auto &[k, text] : {std::pair{0, "100"},
                                  {1, "Sensor Open"},
                                  {2, "Sensor Shorted"},
                                  {8, "Not Connected"},
                                  {9, "Sensor Shorted"}}) {
        QString shown;
        EXPECT_EQ(FormatSensorReading(Reading(k), u"Temperature"_s, shown), k == 0) << k;
        EXPECT_EQ(shown, QLatin1String(text)) << "record " << k + 1;
    }
}

TEST_F(ReplyDecodingTest, BatteryVoltageOnlyFromDevicesThatReportIt)
{
    const struct {
        qint16 family, revision, battery;
    } rows[] = {{5, 25, 36}, {5, 24, -1}, {6, 0, 36}, {4, 30, -1}, {7, 30, -1}, {3, 9, -1}};
    for (const auto &row : rows) {
        Identify(row.family, 1, row.revision);
        ASSERT_TRUE(ParseMessage(DeviceCommand::ReadCurrentData(), CurrentData(0, 0, 'F', 36)));
        EXPECT_EQ(Decoded().BatteryVoltage, row.battery)
            << "family " << row.family << " revision " << row.revision;
    }
}

TEST_F(ReplyDecodingTest, ShortCurrentDataReplyKeepsThePreviousValues)
{
    Identify(6, 5, 1);
    ASSERT_TRUE(ParseMessage(DeviceCommand::ReadCurrentData(), CurrentData(215, 0, 'C', 40)));
    const QByteArray full = CurrentData(300, 0, 'F', 12);

    EXPECT_FALSE(ParseMessage(DeviceCommand::ReadCurrentData(), full.left(59)));
    EXPECT_EQ(Reading(9), 300.0f); // the records were read
    EXPECT_EQ(Decoded().UnitLetter, u"C"_s);
    EXPECT_EQ(Decoded().BatteryVoltage, 40);

    EXPECT_FALSE(ParseMessage(DeviceCommand::ReadCurrentData(), full.left(30)));
    EXPECT_EQ(ErrorRows(),
              (QStringList{u"myFunction=ParseMessage|Cause=Reply too short: 59 bytes, byte 60 is "
                           "missing"_s,
                           u"myFunction=ParseMessage|Cause=Reply too short: 30 bytes, byte 59 is "
                           "missing"_s}));
}

TEST(FormatSensorReadingTest, TextByTypeAndSentinel)
{
    const char *kBefore = "as before";
    const struct {
        float reading;
        const char *type, *text;
        bool result;
    } rows[] = {
        {1, "Door Sensor 1", "Closed", true},
        {0, "Door Sensor 1", "Open", true},
        {2, "Door Sensor 1", kBefore, true},
        {1, "dry contact input 3", "Closed", true},
        {0, "Water Sensor", "Water Not Detected", true},
        {1, "Water Sensor", "Water Detected", true},
        {5, "Water Sensor", kBefore, true},
        {1, "Power Sensor", "Power On", true},
        {0.5f, "Power Sensor", "Power Off", true},
        {55.5f, "Humidity", "56", true}, // halves to even
        {54.5f, "Internal Humidity %RH", "54", true},
        {-0.4f, "Humidity", "0", true},
        {-12.3f, "Temperature Sensor Port 1", "-12.3", true},
        {1234.567f, "", "1234.567", true},
        {1000, "Temperature", "Not Connected", false},
        {9999, "Humidity", "Not Connected", false},
        {999, "Door Sensor 2", "Sensor Open", false},
        {-999, "Temperature", "Sensor Shorted", false},
        {kNoDataReading, "Power Sensor", "No Data", false},
    };
    for (const auto &row : rows) {
        QString text = QLatin1String(kBefore);
        EXPECT_EQ(FormatSensorReading(row.reading, QLatin1String(row.type), text), row.result)
            << row.reading << " " << row.type;
        EXPECT_EQ(text, QLatin1String(row.text)) << row.reading << " " << row.type;
    }
}

// Type words match in any case, with Unicode case folding: a character outside ASCII may
// fold onto a word's letter, and a line that is not ASCII still matches its ASCII words.
TEST(FormatSensorReadingTest, TypeWordsMatchInAnyCase)
{
    const struct {
        const char16_t *type;
        float reading;
        const char *text;
    } rows[] = {
        {u"dOoR", 0, "Open"},
        {u"Front doorway", 0, "Open"},
        {u"DRY CONTACT ALARM INPUT", 0, "Open"},
        {u"Dry Contact Input 2", 0, "Open"},
        {u"dry-contact input", 0.5f, "0.5"},
        {u"DOO", 0.5f, "0.5"},
        {u"DOO R", 0.5f, "0.5"},
        {u"water sensor", 0, "Water Not Detected"},
        {u"WATER SENSOR DOOR", 0, "Open"},
        {u"WATERSENSOR", 0.5f, "0.5"},
        {u"power sensor", 0, "Power Off"},
        {u"humidity", 0.5f, "0"},
        {u"Humidit", 0.5f, "0.5"},
        {u"", 0.5f, "0.5"},
        {u"T\u00FCr DOOR", 0, "Open"},
        {u"\u00C9tage humidity", 0.5f, "0"},
        {u"WATER \u017FENSOR", 0, "Water Not Detected"},
        {u"POWER \u017FEN\u017FOR", 0, "Power Off"},
        {u"HUM\u0130DITY", 0.5f, "0.5"},
        {u"hum\u0131dity", 0.5f, "0.5"},
        {u"\uFF24oor", 0.5f, "0.5"},
        {u"Do\u00F6r", 0.5f, "0.5"},
    };
    for (const auto &row : rows) {
        const QString type = QString::fromUtf16(row.type);
        QString text;
        EXPECT_TRUE(FormatSensorReading(row.reading, type, text)) << type.toStdString();
        EXPECT_EQ(text, QLatin1String(row.text)) << type.toStdString();
    }
}
