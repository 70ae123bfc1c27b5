#include "DS1337.h"

#include "Clock.h"
#include "DeviceCommands.h"
#include "DeviceTransport.h"
#include "NumberText.h"

#include <QDate>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kHiLoRecordSize = 35;
constexpr int kHiLoRecordCount = 365;
constexpr int kHiLoValues = 16;
const QString kInvalidStampKey = QStringLiteral("9999999999999");

// Packed BCD as a decimal number; nothing when a digit is above 9.
std::optional<int> FromBCD(int byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    if (high > 9 || low > 9)
        return std::nullopt;
    return high * 10 + low;
}

int ByteAt(const QByteArray &buffer, int position)
{
    return uchar(buffer.at(position - 1));
}

struct Stamp {
    QDate date;
    int hour = 0; // as the chip holds it: 0 to 12
    int minute = 0;
    bool pm = false;

    // Counted from calendar fields: local QDateTime arithmetic shifts across DST gaps.
    qint64 SecondsSince(const QDate &origin) const
    {
        const int hour24 = hour % 12 + (pm ? 12 : 0);
        return (date.toJulianDay() - origin.toJulianDay()) * 86400 + hour24 * 3600 + minute * 60;
    }

    QString Text() const
    {
        return QString::number(date.month()) + QLatin1Char('/') + QString::number(date.day()) +
               QLatin1Char('/') + QString::number(date.year()) + QLatin1Char(' ') +
               QString::number(hour) + QLatin1Char(':') +
               QStringLiteral("%1").arg(minute, 2, 10, QLatin1Char('0')) +
               (pm ? QStringLiteral(" PM") : QStringLiteral(" AM"));
    }
};

// A date of packed BCD month, day and year-minus-2000; nothing unless it is a real date.
std::optional<QDate> DecodeDate(int monthByte, int dayByte, int yearByte)
{
    const std::optional<int> month = FromBCD(monthByte);
    const std::optional<int> day = FromBCD(dayByte);
    const std::optional<int> year = FromBCD(yearByte);
    if (!month || !day || !year)
        return std::nullopt;
    const QDate date(2000 + *year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

// Minutes, hours (bit 6 the 12-hour mode, bit 5 PM), day of week, date, month, year.
std::optional<Stamp> DecodeStamp(const QByteArray &buffer, int position)
{
    if (position < 1 || buffer.size() < position + 5)
        return std::nullopt;
    const std::optional<int> minute = FromBCD(ByteAt(buffer, position));
    int hours = ByteAt(buffer, position + 1) - 64;
    if (!minute || *minute > 59 || hours < 0)
        return std::nullopt;
    Stamp stamp;
    stamp.pm = hours >= 32;
    if (stamp.pm)
        hours -= 32;
    const std::optional<int> hour = FromBCD(hours);
    const std::optional<QDate> date = DecodeDate(
        ByteAt(buffer, position + 4), ByteAt(buffer, position + 3), ByteAt(buffer, position + 5));
    if (!hour || *hour > 12 || !date)
        return std::nullopt;
    stamp.hour = *hour;
    stamp.minute = *minute;
    stamp.date = *date;
    return stamp;
}

// One data-log layout: its record size, the reading columns between the time and the doors,
// and the sort key's width (shown only where it has one).
struct RecordLayout {
    LogKind kind;
    int recordSize;
    QStringList readingHeadings;
    QList<int> readingWidths;
    int keyWidth;
};

QString Sensor(int k)
{
    return QStringLiteral("Sensor ") + QString::number(k);
}

QStringList SensorHeadings(int count)
{
    QStringList headings;
    for (int k = 1; k <= count; ++k)
        headings << Sensor(k);
    return headings;
}

const RecordLayout &LayoutOf(LogKind kind)
{
    static const RecordLayout twoSensor{
        LogKind::TwoSensor, 11, SensorHeadings(2), {kDefaultWidth, kDefaultWidth}, 0};
    static const RecordLayout internalSensor{LogKind::InternalSensor,
                                             15,
                                             SensorHeadings(2) << QStringLiteral("Internal Temp")
                                                               << QStringLiteral("Humidity %RH"),
                                             {kDefaultWidth, kDefaultWidth, 1300, 1200},
                                             0};
    static const RecordLayout eightSensor{LogKind::EightSensor, 23, SensorHeadings(8),
                                          QList<int>(8, kDefaultWidth), 1500};
    switch (kind) {
    case LogKind::InternalSensor:
        return internalSensor;
    case LogKind::EightSensor:
        return eightSensor;
    default:
        return twoSensor;
    }
}

// 1000 not connected, 999 open, -999 shorted: compared after scaling.
QString ReadingText(double value)
{
    if (value == 1000)
        return QStringLiteral(" N\\C");
    if (value == 999)
        return QStringLiteral("Open");
    if (value == -999)
        return QStringLiteral("Short");
    return FormatPointZero(value);
}

QString Bit(int status, int bit, const char *set, const char *clear)
{
    return QString::fromLatin1((status >> bit) & 1 ? set : clear);
}

LogTable DecodeDataLog(const QByteArray &data, LogKind kind, bool tenths)
{
    const RecordLayout &layout = LayoutOf(kind);
    LogTable table;
    table.kind = kind;
    table.headings << QStringLiteral("Record #") << QStringLiteral("Date/Time")
                   << layout.readingHeadings << QStringLiteral("Door 1") << QStringLiteral("Door 2")
                   << QStringLiteral("Power") << QString();
    table.widths << 10 << 2000 << layout.readingWidths << kDefaultWidth << kDefaultWidth
                 << kDefaultWidth << layout.keyWidth;

    // A partial record at the end is no record: it stays in the raw file only.
    const qsizetype count = data.size() / layout.recordSize;
    QList<std::pair<qint64, QStringList>> keyed;
    keyed.reserve(count);
    const QDate origin(2000, 1, 1);
    for (qsizetype r = 0; r < count; ++r) {
        const QByteArray record = data.mid(r * layout.recordSize, layout.recordSize);
        QStringList row(table.headings.size());
        row[0] = QString::number(r + 1);
        const std::optional<Stamp> stamp = DecodeStamp(record, 1);
        if (!stamp) {
            row[1] = QStringLiteral("Invalid Date/Time format");
            row.last() = kInvalidStampKey;
            keyed.append({kInvalidStampKey.toLongLong(), row});
            continue;
        }
        row[1] = stamp->Text();
        const int readings = int(layout.readingHeadings.size());
        for (int i = 0; i < readings; ++i) {
            const double raw = ReadDeviceInt(record, 7 + 2 * i, 2);
            row[2 + i] = ReadingText(tenths ? raw / 10 : raw);
        }
        const int status = ReadDeviceInt(record, layout.recordSize, 1);
        row[2 + readings] = Bit(status, 0, "Closed", "Open");
        row[3 + readings] = Bit(status, 1, "Closed", "Open");
        row[4 + readings] = Bit(status, 2, "On", "Off");
        const qint64 key = stamp->SecondsSince(origin);
        row.last() = QString::number(key);
        keyed.append({key, row});
    }
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    table.rows.reserve(keyed.size());
    for (auto &entry : keyed)
        table.rows.append(std::move(entry.second));
    return table;
}

QByteArray Quoted(const QString &text)
{
    return text.isEmpty() ? QByteArray() : '"' + text.toLatin1() + '"';
}

QStringList ExportHeadings(LogKind kind)
{
    QStringList headings{QStringLiteral("Record Number"), QStringLiteral("Date/Time")};
    switch (kind) {
    case LogKind::TwoSensor:
        headings << SensorHeadings(2);
        break;
    case LogKind::InternalSensor:
        headings << SensorHeadings(2) << QStringLiteral("Internal Temperature")
                 << QStringLiteral("Internal Humidity %RH");
        break;
    case LogKind::EightSensor:
        headings << SensorHeadings(8);
        break;
    case LogKind::HiLo:
        for (int k = 1; k <= 8; ++k)
            headings << Sensor(k) + QStringLiteral(" Hi") << Sensor(k) + QStringLiteral(" Low");
        return headings;
    }
    return headings << QStringLiteral("Door 1") << QStringLiteral("Door 2")
                    << QStringLiteral("Power");
}

} // namespace

int ToBCD(int n)
{
    return n % 10 + 16 * ((n - n % 10) / 10);
}

bool EncodeDateTime(QByteArray &request)
{
    if (request.size() < 11)
        return false;
    const QDateTime now = Clock::Now();
    const int hour = now.time().hour();
    // The chip counts 12, 1, ..., 11 in each half of the day; the PM bit goes by the hour,
    // as our date text has no AM/PM marker to look at.
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    request[4] = 0;
    request[5] = char(ToBCD(now.time().minute()));
    request[6] = char(ToBCD(hour12) + (hour >= 12 ? 32 : 0) + 64);
    request[7] = char(now.date().dayOfWeek() % 7 + 1);
    request[8] = char(ToBCD(now.date().day()));
    request[9] = char(ToBCD(now.date().month()));
    request[10] = char(ToBCD(now.date().year() - 2000));
    return true;
}

bool DecodeDateTime(const QByteArray &buffer, QString &text, int position)
{
    const std::optional<Stamp> stamp = DecodeStamp(buffer, position);
    text = stamp ? stamp->Text() : QStringLiteral("Reset Time");
    return stamp.has_value();
}

bool ReadDeviceDateTime(const QString &ip, QString &text, int &rate, qint64 &count)
{
    const QByteArray request = PadWithNulls(DeviceCommand::ReadClock());
    QByteArray reply;
    if (ReadFromKV(ip, kDevicePort, request, reply, kFrameLength, ProgressForm::None, false) &&
        reply.startsWith(request.left(4))) {
        DecodeDateTime(reply, text, 6);
        rate = ReadDeviceInt(reply, 12, 1);
        count = ReadDeviceUInt(reply, 13, 2);
        return true;
    }
    text = QStringLiteral("Failed to read date and time from ") + ip;
    return false;
}

bool StoreDeviceDateTime(const QString &ip, int rate, QByteArray &result)
{
    QByteArray request = PadWithNulls(DeviceCommand::StoreClock());
    EncodeDateTime(request);
    request[11] = char(SplitWord(rate).lo);
    QByteArray reply;
    if (ReadFromKV(ip, kDevicePort, request, reply, kFrameLength, ProgressForm::None, false)) {
        result = reply;
        return true;
    }
    result = "Upload failed";
    return false;
}

bool DownloadDataLog(const QString &ip, QByteArray &data, int resetFlag, qint64 expectedLength)
{
    QByteArray request = PadWithNulls(DeviceCommand::DownloadDataLog());
    request[4] = char(resetFlag);
    QByteArray reply;
    // No record starts with the busy reply: B5 is no BCD minute.
    if (expectedLength <= std::numeric_limits<int>::max() &&
        ReadFromKV(ip, kDevicePort, request, reply, int(expectedLength),
                   ProgressForm::TreeConfiguration, true) &&
        !IsBusyReply(reply)) {
        data = reply;
        return true;
    }
    data = "Fail";
    return false;
}

bool DownloadHiLoReadings(const QString &ip, QByteArray &data)
{
    QByteArray reply;
    if (ReadFromKV(ip, kDevicePort, PadWithNulls(DeviceCommand::DownloadHiLo()), reply,
                   kHiLoRecordSize * kHiLoRecordCount, ProgressForm::TreeConfiguration, true) &&
        !IsBusyReply(reply)) {
        data = reply;
        return true;
    }
    data = "Fail";
    return false;
}

std::optional<DataLogLayout> DataLogLayoutFor(const DeviceIdentity &id)
{
    LogKind kind;
    if (id.family == 3 && id.subModel < 6)
        kind = LogKind::TwoSensor;
    else if (id.family == 3 && id.subModel == 6)
        kind = LogKind::InternalSensor;
    else if ((id.family == 5 && id.revision >= 23) || id.family == 6)
        kind = LogKind::EightSensor;
    else
        return std::nullopt;
    return DataLogLayout{kind, LayoutOf(kind).recordSize};
}

LogTable ShowTwoSensorLog(const QByteArray &data, const DeviceIdentity &id)
{
    return DecodeDataLog(data, LogKind::TwoSensor, id.revision >= 5);
}

LogTable ShowInternalSensorLog(const QByteArray &data, const DeviceIdentity &id)
{
    return DecodeDataLog(data, LogKind::InternalSensor, id.revision >= 5);
}

LogTable ShowEightSensorLog(const QByteArray &data)
{
    return DecodeDataLog(data, LogKind::EightSensor, true);
}

std::optional<LogTable> ShowDataLog(const QByteArray &data, const DeviceIdentity &id)
{
    const std::optional<DataLogLayout> layout = DataLogLayoutFor(id);
    if (!layout)
        return std::nullopt;
    switch (layout->kind) {
    case LogKind::TwoSensor:
        return ShowTwoSensorLog(data, id);
    case LogKind::InternalSensor:
        return ShowInternalSensorLog(data, id);
    default:
        return ShowEightSensorLog(data);
    }
}

LogTable ShowHiLoRecords(const QByteArray &data)
{
    LogTable table;
    table.kind = LogKind::HiLo;
    table.headings << QStringLiteral("Record #") << QStringLiteral("Date/Time");
    table.widths << 10 << 2000;
    for (int k = 1; k <= 8; ++k) {
        table.headings << Sensor(k) + QStringLiteral(" Hi") << Sensor(k) + QStringLiteral(" Low");
        table.widths << kDefaultWidth << kDefaultWidth;
    }
    table.headings << QString();
    table.widths << kDefaultWidth;
    table.widths[13] = 1500;

    // A short last record still has its (empty) row.
    const auto count = qsizetype(std::nearbyint(double(data.size()) / kHiLoRecordSize));
    table.rows.fill(QStringList(table.headings.size()), count);
    const QDate origin(2012, 1, 1);
    for (qsizetype r = 0; r < count; ++r) {
        const QByteArray record = data.mid(r * kHiLoRecordSize, kHiLoRecordSize);
        // A day the device has not filled ends the table.
        const std::optional<QDate> date =
            record.size() < 3 ? std::nullopt
                              : DecodeDate(ByteAt(record, 1), ByteAt(record, 2), ByteAt(record, 3));
        if (!date)
            break;
        if (record.size() < kHiLoRecordSize)
            continue;
        QStringList &row = table.rows[r];
        row[0] = QString::number(r + 1);
        row[1] = QString::number(date->month()) + QLatin1Char('/') + QString::number(date->day()) +
                 QLatin1Char('/') + QString::number(date->year()) + QLatin1Char(' ');
        for (int i = 0; i < kHiLoValues; ++i) {
            float raw = 0;
            GetWordLE(record, 4 + 2 * i, raw);
            const double value = double(raw) / 10;
            row[2 + i] = value == 1000 || value == 999 || value == -999 ? QStringLiteral("-")
                                                                        : FormatPointZero(value);
        }
        row[18] = QString::number((date->toJulianDay() - origin.toJulianDay()) * 86400);
    }
    return table;
}

bool SaveLogRecordsToFile(const LogTable &table, const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::Append))
        return false;
    const QStringList headings = ExportHeadings(table.kind);
    QByteArray out;
    if (file.size() == 0) {
        QByteArrayList fields;
        for (const QString &heading : headings)
            fields << Quoted(heading);
        out += fields.join(',') + "\r\n";
    }
    // The row's place in the grid, then its cells; the sort key is never written.
    for (qsizetype r = 0; r < table.rows.size(); ++r) {
        QByteArray line = QByteArray::number(r + 1);
        for (qsizetype slot = 1; slot < headings.size(); ++slot)
            line += ',' + Quoted(table.rows[r].value(slot));
        out += line + "\r\n";
    }
    return file.write(out) == out.size() && file.flush();
}
