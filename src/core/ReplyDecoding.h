#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// What the last identify and current-data replies said.
struct ReplyDecodingState {
    qint16 DeviceFamily = 0;
    qint16 DeviceSubModel = 0;
    qint16 DeviceRevision = 0;
    // Per port k (0-based) a reading at 3k, its count at 3k+1 and its state code at 3k+2.
    std::array<float, 61> ChannelReadings{};
    QString UnitLetter;
    qint16 BatteryVoltage = 0; // tenths of a volt; -1 for devices that report none
};

ReplyDecodingState &Decoded();
void ResetDecodedState();

// Where the current-data reply keeps what it reports (1-based byte positions): ten
// channel records of a 16-bit reading, a 16-bit count and a state byte from byte 5.
namespace CurrentDataReply {
constexpr int kChannelRecords = 10;
constexpr int ReadingByte(int channel)
{
    return 5 + 5 * channel;
}
constexpr int kBatteryByte = 58;    // tenths of a volt
constexpr int kTenthsFlagByte = 59; // 10 when the device reports in tenths
constexpr int kUnitLetterByte = 60;
} // namespace CurrentDataReply

// The reading every port gets when its server did not answer.
constexpr float kNoDataReading = -999991.0f;

// Decodes an identify or current-data reply into the state above; any other header
// decodes nothing. False (with an error record) for a reply too short for its fields or
// an identity word beyond the 16-bit range; what was stored before the fault stays.
bool ParseMessage(const QByteArray &command, const QByteArray &reply);

// The text shown for a reading of a sensor of the given type. False for the sentinels
// ("Not Connected", "Sensor Open", "Sensor Shorted", "No Data"). For a door, contact or
// water reading other than 0 or 1, `text` keeps what the caller had in it.
bool FormatSensorReading(float reading, const QString &sensorType, QString &text);
