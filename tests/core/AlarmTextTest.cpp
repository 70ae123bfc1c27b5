#include "AlarmText.h"
#include "NumberText.h"

#include <gtest/gtest.h>

namespace {
const QString kDegF = QStringLiteral("\u00B0F");

AlarmFacts Temperature(const QString &reading, qint32 minutes)
{
    AlarmFacts f;
    f.minutes = minutes;
    f.serverName = QStringLiteral("Lab 'A'");
    f.sensorName = QStringLiteral("Freezer");
    f.sensorType = QStringLiteral("Temperature");
    f.readingText = reading;
    f.unitText = kDegF;
    f.lowerLimit = 75;
    f.upperLimit = 80;
    return f;
}
} // namespace

TEST(AlarmText, PointZeroPattern)
{
    const std::pair<double, const char *> cases[] = {
        {0.5, ".5"}, {-0.4, "-.4"}, {80, "80.0"}, {5.3, "5.3"}, {0.25, ".3"},
        {-1.25, "-1.3"}, {0, ".0"}, {123.449, "123.4"}, {float(85.3f) - 80.0f, "5.3"}};
    for (const auto &[value, text] : cases)
        EXPECT_EQ(FormatPointZero(value), QString::fromLatin1(text)) << value;
}

TEST(AlarmText, OutOfLimitMessagesQuoteLimitAndDifference)
{
    EXPECT_EQ(BuildAlarmMessage(Temperature(QStringLiteral("85.3"), 12), QString()),
              QStringLiteral(" WARNING Freezer is 85.3 ") + kDegF +
                  QStringLiteral(" and is above the upper limit (80.0") + kDegF +
                  QStringLiteral(") by 5.3") + kDegF +
                  QStringLiteral(" and has been out of limits for 12 minutes.\r\r"));
    EXPECT_EQ(BuildAlarmMessage(Temperature(QStringLiteral("72"), 1), QStringLiteral("REMINDER")),
              QStringLiteral("REMINDER WARNING Freezer is 72 ") + kDegF +
                  QStringLiteral(" and is below the low limit (75.0") + kDegF +
                  QStringLiteral(") by 3.0") + kDegF +
                  QStringLiteral(" and has been out of limits for 1 minute.\r\r"));
}

TEST(AlarmText, AbsentLimitsAreNeverCompared)
{
    AlarmFacts f = Temperature(QStringLiteral("85.3"), 3);
    f.upperLimit.reset();
    EXPECT_EQ(BuildAlarmMessage(f, QString()),
              QStringLiteral(" WARNING Freezer is 85.3 ") + kDegF +
                  QStringLiteral(" and has been out of limits for 3 minutes.\r\r"));
}

TEST(AlarmText, FailureReadingsAndNotes)
{
    AlarmFacts f = Temperature(QStringLiteral("Sensor Open"), 0);
    f.sensorNotes = QStringLiteral("Call Bob");
    EXPECT_EQ(BuildAlarmMessage(f, QString()),
              QStringLiteral("  Sensor Freezer has failed open.\r\rNotes for Freezer:\rCall Bob"));
    EXPECT_EQ(BuildAlarmMessage(Temperature(QStringLiteral("999"), 0), QString()),
              QStringLiteral("  Sensor Freezer has failed open.\r\r"));
    EXPECT_EQ(BuildAlarmMessage(Temperature(QStringLiteral("Sensor Shorted"), 0), QString()),
              QStringLiteral("  Sensor Freezer has failed shorted.\r\r"));
    EXPECT_EQ(BuildAlarmMessage(Temperature(QStringLiteral("No Data"), 0), QString()),
              QStringLiteral(" WARNING Freezer is No Data ") + kDegF +
                  QStringLiteral(" and has been out of limits for 0 minute.\r\r"));
    EXPECT_EQ(BuildAlarmMessage(Temperature(QStringLiteral("-999991"), 0), QString()),
              QStringLiteral("  Data was not returned by: Lab 'A'.\r\r"));
}

TEST(AlarmText, SwitchSensorsSayWhatAndForHowLong)
{
    AlarmFacts f;
    f.sensorName = QStringLiteral("Back door");
    const auto message = [&](const char *type, const char *reading, int minutes) {
        f.sensorType = QString::fromLatin1(type);
        f.readingText = QString::fromLatin1(reading);
        f.minutes = minutes;
        f.sensorNotes = QStringLiteral("ignored for switches");
        return BuildAlarmMessage(f, QStringLiteral("REMINDER"));
    };
    EXPECT_EQ(message("Door Sensor", "Open", 1), QStringLiteral("The door is open.\r"));
    EXPECT_EQ(message("Door Sensor", "Closed", 7), QStringLiteral("The door has been closed for: 7 minutes.\r"));
    EXPECT_EQ(message("Water Sensor Input", "Water Detected", 2),
              QStringLiteral("Water has been detected for: 2 minutes.\r"));
    EXPECT_EQ(message("Power Sensor", "Power Off", 0), QStringLiteral("Power is off.\r"));
    EXPECT_EQ(message("Power Sensor", "Power On", 5), QStringLiteral("Power has been on for: 5 minutes.\r"));
    EXPECT_EQ(message("Dry Contact Input", "Open", 0), QStringLiteral("The Back door input is open.\r"));
}

TEST(AlarmText, UnitsByModelAndPort)
{
    struct Case {
        const char *model;
        int port;
        QString unit;
    };
    const QString degC = QStringLiteral("\u00B0C");
    const Case cases[] = {
        {"RK715", 0, degC}, {"RK715", 8, QString()}, {"RK718", 2, degC},
        {"RK718", 3, QStringLiteral("%RH")}, {"RK718", 8, QString()}, {"Finch416", 3, QStringLiteral("%RH")},
        {"Finch416", 4, QString()}, {"Finch416", 6, degC}, {"RK730", 3, degC}, {"RK730", 4, QString()},
        {"Finch413", 2, QString()}, {"Unknown", 0, QString()}, {"rk750", 1, degC},
    };
    for (const Case &c : cases)
        EXPECT_EQ(SensorUnitText(QString::fromLatin1(c.model), c.port, QStringLiteral("C")), c.unit)
            << c.model << " port " << c.port;
}

TEST(AlarmText, StatusTextsAndColours)
{
    EXPECT_EQ(StatusOfSensor(false, 3, 85).text, QStringLiteral("Normal"));
    EXPECT_EQ(StatusOfSensor(false, 3, 85).colour, 65280);
    EXPECT_EQ(StatusOfSensor(false, 0, -999991.0f).text, QStringLiteral("NO DATA"));
    EXPECT_EQ(StatusOfSensor(false, 0, -999991.0f).colour, 65535);
    EXPECT_EQ(StatusOfSensor(true, 2, 1).text, QStringLiteral("ALARM: Low Limit"));
    EXPECT_EQ(StatusOfSensor(true, 4, 1).colour, 153 * 256 + 204 * 65536);
    EXPECT_EQ(StatusOfSensor(true, 5, 1).text, QStringLiteral("WARNING: High Limit"));
    EXPECT_EQ(StatusOfSensor(true, -1, -999991.0f).text, QStringLiteral("ALARM"));
}
