#include "ReplyDecoding.h"

#include "AnsiText.h"
#include "DeviceCommands.h"
#include "NumberText.h"
#include "ServerDatabase.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {

struct Sentinel {
    float reading;
    const char *text;
};

constexpr Sentinel kSentinels[] = {
    {1000.0f, "Not Connected"},  {9999.0f, "Not Connected"},  {999.0f, "Sensor Open"},
    {-999.0f, "Sensor Shorted"}, {kNoDataReading, "No Data"},
};

using namespace CurrentDataReply;

bool Fail(const QString &cause)
{
    RecordSystemError(QStringLiteral("ParseMessage"), cause);
    return false;
}

QString TooShort(const QByteArray &reply, int neededBytes)
{
    return QStringLiteral("Reply too short: %1 bytes, byte %2 is missing")
        .arg(reply.size())
        .arg(neededBytes);
}

// How many channel records, from the first, a device sends in tenths when it flags tenths.
int TenthsRecordCount(qint16 family, qint16 subModel, qint16 revision)
{
    if (family == 3 && subModel >= 6)
        return 4;
    if (family == 3 && revision >= 5)
        return 2;
    if (family == 5 && revision >= 23)
        return 8;
    if (family == 6 && revision >= 1 &&
        (subModel == 5 || subModel == 50 || subModel == 10 || subModel == 100))
        return 8;
    return 0;
}

bool ParseIdentity(const QByteArray &reply)
{
    ReplyDecodingState &decoded = Decoded();
    qint16 *const words[] = {&decoded.DeviceFamily, &decoded.DeviceSubModel,
                             &decoded.DeviceRevision};
    int pos = 5;
    for (qint16 *word : words) {
        if (reply.size() < pos + 1)
            return Fail(TooShort(reply, pos + 1));
        const qint32 value = ReadDeviceUInt(reply, pos, 2);
        if (value > 32767)
            return Fail(QStringLiteral("Overflow: identity word %1 at byte %2 exceeds 32767")
                            .arg(value)
                            .arg(pos));
        *word = qint16(value);
        pos += 2;
    }
    return true;
}

bool ParseCurrentData(const QByteArray &reply)
{
    ReplyDecodingState &decoded = Decoded();
    const int tenthsRecords =
        TenthsRecordCount(decoded.DeviceFamily, decoded.DeviceSubModel, decoded.DeviceRevision);
    for (int k = 1; k <= kChannelRecords; ++k) {
        const int p = ReadingByte(k - 1);
        const int needed = std::max(p + 4, kTenthsFlagByte);
        if (reply.size() < needed)
            return Fail(TooShort(reply, needed));
        float reading = 0;
        GetWordBE(reply, p, reading);
        if (ReadDeviceUInt(reply, kTenthsFlagByte, 1) == 10 && k <= tenthsRecords)
            reading /= 10.0f;
        const int index = 3 * (k - 1);
        decoded.ChannelReadings[index] = reading;
        decoded.ChannelReadings[index + 1] = float(ReadDeviceUInt(reply, p + 2, 2));
        decoded.ChannelReadings[index + 2] = float(ReadDeviceUInt(reply, p + 4, 1));
    }
    if (reply.size() < kUnitLetterByte)
        return Fail(TooShort(reply, kUnitLetterByte));
    decoded.UnitLetter = FromAnsi(reply.mid(kUnitLetterByte - 1, 1));
    const bool reportsBattery =
        (decoded.DeviceFamily == 5 && decoded.DeviceRevision >= 25) || decoded.DeviceFamily == 6;
    decoded.BatteryVoltage =
        reportsBattery ? qint16(ReadDeviceUInt(reply, kBatteryByte, 1)) : qint16(-1);
    return true;
}

} // namespace

ReplyDecodingState &Decoded()
{
    static ReplyDecodingState state;
    return state;
}

void ResetDecodedState()
{
    Decoded() = ReplyDecodingState();
}

bool ParseMessage(const QByteArray &command, const QByteArray &reply)
{
    const QByteArray header = command.left(4);
    if (header == DeviceCommand::Identify())
        return ParseIdentity(reply);
    if (header == DeviceCommand::ReadCurrentData())
        return ParseCurrentData(reply);
    return true;
}

bool FormatSensorReading(float reading, const QString &sensorType, QString &text)
{
    for (const Sentinel &sentinel : kSentinels) {
        if (reading == sentinel.reading) {
            text = QString::fromLatin1(sentinel.text);
            return false;
        }
    }
    // Qt folds every character through the Unicode tables (U+017F matches 's'); an ASCII
    // type, the usual one, needs only ASCII case, at a fraction of the cost.
    const bool ascii = std::all_of(sensorType.cbegin(), sensorType.cend(),
                                   [](QChar c) { return c.unicode() < 0x80; });
    const auto has = [&sensorType, ascii](std::string_view word) {
        return ascii ? ContainsAsciiWord(QStringView(sensorType), word)
                     : sensorType.contains(QLatin1String(word), Qt::CaseInsensitive);
    };
    if (has("DRY CONTACT ALARM INPUT") || has("DRY CONTACT INPUT") || has("DOOR")) {
        if (reading == 0)
            text = QStringLiteral("Open");
        else if (reading == 1)
            text = QStringLiteral("Closed");
    } else if (has("WATER SENSOR")) {
        if (reading == 0)
            text = QStringLiteral("Water Not Detected");
        else if (reading == 1)
            text = QStringLiteral("Water Detected");
    } else if (has("POWER SENSOR")) {
        text = reading == 1 ? QStringLiteral("Power On") : QStringLiteral("Power Off");
    } else if (has("HUMIDITY")) {
        // Halves go to the even neighbour: 54.5 reads 54, 55.5 reads 56.
        text = QString::number(qint64(std::nearbyint(reading)));
    } else {
        text = ReadingNumberText(double(reading));
    }
    return true;
}
