#include "AlarmText.h"
#include "NumberText.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Qt::StringLiterals;

TEST(AlarmText, PointZeroPattern)
{
    const std::pair<double, const char *> cases[] = {
        {0.5, ".5"}, {-0.4, "-.4"},   {80, "80.0"},       {0.25, ".3"},
        {0, ".0"},   {-1.25, "-1.3"}, {123.449, "123.4"}, {float(85.3f) - 80.0f, "5.3"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(FormatPointZero(value), QLatin1String(text)) << value;
}

// The shortcut for whole readings must give the general formatter's text to the letter.
TEST(AlarmText, ReadingNumberTextIsTheSevenDigitText)
{
    std::vector<double> values = {-0.0,   9999999, 1e7,     -1e7,   12345678, 1e-5,
                                  2.5e-3, 85.3f,   qQNaN(), qInf(), -qInf(),  0.1f};
    for (int i = -40000; i <= 40000; ++i)
        values.insert(values.end(), {double(float(i)), double(float(i) / 10.0f)});
    for (const double value : values)
        ASSERT_EQ(ReadingNumberText(value), QString::number(value, 'g', 7)) << value;
}

TEST(AlarmText, MessageByReadingLimitsAndSensorKind)
{
    const struct {
        const char *name, *prefix, *type, *reading;
        qint32 minutes;
        std::optional<float> upper;
        const char *notes;
        QString message; // switches ignore limits, notes and the reminder prefix
    } rows[] = {
        {"below, one minute", "REMINDER", "Temperature", "72", 1, 80, "",
         u"REMINDER WARNING Freezer is 72 \u00B0F and is below the low limit (75.0\u00B0F) by "
         "3.0\u00B0F and has been out of limits for 1 minute.\r\r"_s},
        {"absent limit never compared", "", "Temperature", "85.3", 3, std::nullopt, "",
         u" WARNING Freezer is 85.3 \u00B0F and has been out of limits for 3 minutes.\r\r"_s},
        {"open, with notes", "", "Temperature", "Sensor Open", 0, 80, "Call Bob",
         u"  Sensor Freezer has failed open.\r\rNotes for Freezer:\rCall Bob"_s},
        {"999 is open", "", "Temperature", "999", 0, 80, "",
         u"  Sensor Freezer has failed open.\r\r"_s},
        {"shorted", "", "Temperature", "Sensor Shorted", 0, 80, "",
         u"  Sensor Freezer has failed shorted.\r\r"_s},
        {"no data", "", "Temperature", "-999991", 0, 80, "",
         u"  Data was not returned by: Lab 'A'.\r\r"_s},
        {"door open", "REMINDER", "Door Sensor", "Open", 1, 80, "ignored for switches",
         u"The door is open.\r"_s},
        {"door closed", "", "Door Sensor", "Closed", 7, 80, "",
         u"The door has been closed for: 7 minutes.\r"_s},
        {"water", "", "Water Sensor Input", "Water Detected", 2, 80, "",
         u"Water has been detected for: 2 minutes.\r"_s},
        {"power off", "", "Power Sensor", "Power Off", 0, 80, "", u"Power is off.\r"_s},
        {"power on", "REMINDER", "Power Sensor", "Power On", 5, 80, "",
         u"Power has been on for: 5 minutes.\r"_s},
        {"contact", "", "Dry Contact Input", "Open", 0, 80, "", u"The Freezer input is open.\r"_s},
    };
    for (const auto &row : rows) {
        AlarmFacts f;
        f.minutes = row.minutes;
        f.serverName = u"Lab 'A'"_s;
        f.sensorName = u"Freezer"_s;
        f.sensorType = QLatin1String(row.type);
        f.readingText = QLatin1String(row.reading);
        f.unitText = u"\u00B0F"_s;
        f.lowerLimit = 75;
        f.upperLimit = row.upper;
        f.sensorNotes = QLatin1String(row.notes);
        EXPECT_EQ(BuildAlarmMessage(f, QLatin1String(row.prefix)), row.message) << row.name;
    }
}

TEST(AlarmText, UnitsByModelAndPort)
{
    const QString degC = u"\u00B0C"_s;
    const struct {
        const char *model;
        int port;
        QString unit;
    } cases[] = {
        {"RK715", 0, degC},     {"RK715", 8, {}},          {"RK718", 2, degC},
        {"RK718", 3, u"%RH"_s}, {"Finch416", 3, u"%RH"_s}, {"Finch416", 4, {}},
        {"Finch416", 6, degC},  {"RK730", 3, degC},        {"RK730", 4, {}},
        {"Finch413", 2, {}},    {"Unknown", 0, {}},        {"rk750", 1, degC},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SensorUnitText(QLatin1String(c.model), c.port, u"C"_s), c.unit)
            << c.model << " port " << c.port;
}
