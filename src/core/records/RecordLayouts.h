#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <optional>

class QIODevice;

// The sensor record files, shared by the monitoring program (writer) and the graphing
// program (reader). Each file is fixed-length records numbered from 1, back to back, no
// header; texts are Windows-1252, blank-filled; numbers are little-endian float32/int32.
// Decoded texts are kept as stored (blank-filled): readers trim them.

// Width of the date/time text that starts every dated record.
constexpr int kRecordDateWidth = 25;

struct SensorHeaderRecord {
    static constexpr int kLength = 51;

    QString serverName; // 20 bytes
    QString sensorName; // 20 bytes
    QString units;      // 3 bytes: degree sign and unit letter, "%RH" or blank
    float upperLimit = 0;
    float lowerLimit = 0;

    QByteArray Encode() const;
    static std::optional<SensorHeaderRecord> Decode(const QByteArray &bytes);
};

// One clock hour of a sensor's readings.
struct AverageRecord {
    static constexpr int kLength = 41;

    QString date; // of the hour's first reading
    float sum = 0;
    float minimum = 0;
    float maximum = 0;
    qint32 count = 0;

    QByteArray Encode() const;
    static std::optional<AverageRecord> Decode(const QByteArray &bytes);
};

struct InstantRecord {
    static constexpr int kLength = 29;

    QString date;
    float reading = 0;

    QByteArray Encode() const;
    static std::optional<InstantRecord> Decode(const QByteArray &bytes);
};

// One poll of a server: channels 1 to 10 (9 and 10 are always 0) and the battery voltage.
struct ServerLogRecord {
    static constexpr int kLength = 69;

    QString date;
    std::array<float, 10> channels{};
    float batteryVoltage = 0;

    QByteArray Encode() const;
    static std::optional<ServerLogRecord> Decode(const QByteArray &bytes);
};

QString SensorHeaderFileName(const QString &folder, qint32 sensorId);
QString AverageFileName(const QString &folder, qint32 sensorId);
// One file per calendar month of `written`.
QString InstantFileName(const QString &folder, qint32 sensorId, const QDate &written);
QString ServerLogFileName(const QString &folder, const QString &serverName, qint32 serverId);
// Whether a stored name, with " ID-<number>.dat" after it, names one file in the folder:
// no folder separator and no NUL.
bool IsPlainFileName(const QString &name);
// The longest name that leaves room in a file name for the longest " ID-<number>.dat".
inline constexpr int kMaxPlainFileNameBytes = 237;

// Whole records only: a record torn by a crash mid-append is not counted, so the next
// append overwrites it instead of leaving garbage between records.
qint64 RecordCount(qint64 fileLength, int recordLength);

// Record `number` (from 1) of `recordLength` bytes; nothing when it is not all there or
// the device fails (its errorString() then says why).
std::optional<QByteArray> ReadRecord(QIODevice &file, qint64 number, int recordLength);
bool WriteRecord(QIODevice &file, qint64 number, const QByteArray &record);
