#include "RecordLayouts.h"

#include "AnsiText.h"

#include <QIODevice>

#include <bit>

namespace {

// Fields are written in place into a record made at its full length: one allocation per
// record, since one is encoded for every reading.
void PutText(char *&out, const QString &text, int width)
{
    out = PutFixedAnsi(out, text, width);
}

void PutLong(char *&out, qint32 value)
{
    const auto bits = static_cast<quint32>(value);
    for (int i = 0; i < 4; ++i)
        *out++ = char((bits >> (8 * i)) & 0xFF);
}

void PutSingle(char *&out, float value)
{
    PutLong(out, std::bit_cast<qint32>(value));
}

// Reads fields in order from a record already checked to be of full length.
class FieldReader {
public:
    explicit FieldReader(const QByteArray &bytes) : m_bytes(bytes) {}

    QString Text(int width)
    {
        const QString text = FromAnsi(m_bytes.mid(m_offset, width));
        m_offset += width;
        return text;
    }

    qint32 Long()
    {
        quint32 bits = 0;
        for (int i = 0; i < 4; ++i)
            bits |= quint32(static_cast<unsigned char>(m_bytes[m_offset + i])) << (8 * i);
        m_offset += 4;
        return static_cast<qint32>(bits);
    }

    float Single() { return std::bit_cast<float>(Long()); }

private:
    const QByteArray &m_bytes;
    int m_offset = 0;
};

QString SensorFilePrefix(const QString &folder, qint32 sensorId)
{
    return folder + QStringLiteral("/Sensor-") + QString::number(sensorId);
}

const QString kDat = QStringLiteral(".dat");

} // namespace

QByteArray SensorHeaderRecord::Encode() const
{
    QByteArray bytes(kLength, Qt::Uninitialized);
    char *out = bytes.data();
    PutText(out, serverName, 20);
    PutText(out, sensorName, 20);
    PutText(out, units, 3);
    PutSingle(out, upperLimit);
    PutSingle(out, lowerLimit);
    return bytes;
}

std::optional<SensorHeaderRecord> SensorHeaderRecord::Decode(const QByteArray &bytes)
{
    if (bytes.size() != kLength)
        return std::nullopt;
    FieldReader in(bytes);
    SensorHeaderRecord r;
    r.serverName = in.Text(20);
    r.sensorName = in.Text(20);
    r.units = in.Text(3);
    r.upperLimit = in.Single();
    r.lowerLimit = in.Single();
    return r;
}

QByteArray AverageRecord::Encode() const
{
    QByteArray bytes(kLength, Qt::Uninitialized);
    char *out = bytes.data();
    PutText(out, date, kRecordDateWidth);
    PutSingle(out, sum);
    PutSingle(out, minimum);
    PutSingle(out, maximum);
    PutLong(out, count);
    return bytes;
}

std::optional<AverageRecord> AverageRecord::Decode(const QByteArray &bytes)
{
    if (bytes.size() != kLength)
        return std::nullopt;
    FieldReader in(bytes);
    AverageRecord r;
    r.date = in.Text(kRecordDateWidth);
    r.sum = in.Single();
    r.minimum = in.Single();
    r.maximum = in.Single();
    r.count = in.Long();
    return r;
}

QByteArray InstantRecord::Encode() const
{
    QByteArray bytes(kLength, Qt::Uninitialized);
    char *out = bytes.data();
    PutText(out, date, kRecordDateWidth);
    PutSingle(out, reading);
    return bytes;
}

std::optional<InstantRecord> InstantRecord::Decode(const QByteArray &bytes)
{
    if (bytes.size() != kLength)
        return std::nullopt;
    FieldReader in(bytes);
    InstantRecord r;
    r.date = in.Text(kRecordDateWidth);
    r.reading = in.Single();
    return r;
}

QByteArray ServerLogRecord::Encode() const
{
    QByteArray bytes(kLength, Qt::Uninitialized);
    char *out = bytes.data();
    PutText(out, date, kRecordDateWidth);
    for (const float channel : channels)
        PutSingle(out, channel);
    PutSingle(out, batteryVoltage);
    return bytes;
}

std::optional<ServerLogRecord> ServerLogRecord::Decode(const QByteArray &bytes)
{
    if (bytes.size() != kLength)
        return std::nullopt;
    FieldReader in(bytes);
    ServerLogRecord r;
    r.date = in.Text(kRecordDateWidth);
    for (float &channel : r.channels)
        channel = in.Single();
    r.batteryVoltage = in.Single();
    return r;
}

QString SensorHeaderFileName(const QString &folder, qint32 sensorId)
{
    return SensorFilePrefix(folder, sensorId) + kDat;
}

QString AverageFileName(const QString &folder, qint32 sensorId)
{
    return SensorFilePrefix(folder, sensorId) + QStringLiteral(" Average") + kDat;
}

QString InstantFileName(const QString &folder, qint32 sensorId, const QDate &written)
{
    return SensorFilePrefix(folder, sensorId) + QStringLiteral(" Instantaneous Data Created ") +
           QString::number(written.month()) + QLatin1Char('-') + QString::number(written.year()) +
           kDat;
}

QString ServerLogFileName(const QString &folder, const QString &serverName, qint32 serverId)
{
    return folder + QLatin1Char('/') + serverName + QStringLiteral(" ID-") +
           QString::number(serverId) + kDat;
}

bool IsPlainFileName(const QString &name)
{
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

qint64 RecordCount(qint64 fileLength, int recordLength)
{
    return fileLength / recordLength;
}

std::optional<QByteArray> ReadRecord(QIODevice &file, qint64 number, int recordLength)
{
    if (number < 1 || !file.seek((number - 1) * recordLength))
        return std::nullopt;
    QByteArray bytes = file.read(recordLength);
    if (bytes.size() != recordLength)
        return std::nullopt;
    return bytes;
}

bool WriteRecord(QIODevice &file, qint64 number, const QByteArray &record)
{
    return number >= 1 && file.seek((number - 1) * record.size()) &&
           file.write(record) == record.size();
}
