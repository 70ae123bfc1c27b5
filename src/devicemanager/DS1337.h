#pragma once

#include "DeviceModel.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The device's real-time clock (packed BCD registers, 12-hour mode), its data log and
// its daily high/low records: the frames, their decoding into a log table, and the CSV
// export of such a table. Positions count from 1, as in the device documentation.

// Packed BCD of 0 to 99.
int ToBCD(int n);

// Writes the clock registers (bytes 5-11) from the program's clock, at the start of the
// current minute.
bool EncodeDateTime(QByteArray &request);

// The six bytes from `position` (minutes, hours, day of week, date, month, year) as
// "6/15/2014 5:30 AM"; false with "Reset Time" when they hold no valid moment.
bool DecodeDateTime(const QByteArray &buffer, QString &text, int position);

// Reads the clock: the decoded moment ("Reset Time" for none), the log rate in minutes and
// the number of stored records. False with "Failed to read date and time from " and the
// address when the device does not answer; rate and count keep their values then.
bool ReadDeviceDateTime(const QString &ip, QString &text, int &rate, qint64 &count);
// Sets the clock to now and the log rate; the reply, or "Upload failed".
bool StoreDeviceDateTime(const QString &ip, int rate, QByteArray &result);

// The whole data log: `expectedLength` bytes, the connection closed after. "Fail" on failure.
bool DownloadDataLog(const QString &ip, QByteArray &data, int resetFlag, qint64 expectedLength);
// The 365 daily high/low records. "Fail" on failure.
bool DownloadHiLoReadings(const QString &ip, QByteArray &data);

enum class LogKind { TwoSensor, InternalSensor, EightSensor, HiLo };

// What the log grid shows and the export writes: headings and widths of every column
// (the last one the sort key), and the rows in display order.
struct LogTable {
    LogKind kind = LogKind::TwoSensor;
    QStringList headings;
    QList<int> widths; // twips; kDefaultWidth for the grid's default
    QList<QStringList> rows;
};
inline constexpr int kDefaultWidth = -1;

// The layout of a data-log record for this device, if it has one.
struct DataLogLayout {
    LogKind kind;
    int recordSize;
};
std::optional<DataLogLayout> DataLogLayoutFor(const DeviceIdentity &id);

// Decoders of a download: whole records only, sorted by time, undecodable stamps last.
LogTable ShowTwoSensorLog(const QByteArray &data, const DeviceIdentity &id);
LogTable ShowInternalSensorLog(const QByteArray &data, const DeviceIdentity &id);
LogTable ShowEightSensorLog(const QByteArray &data);
// The table for the device's layout; nothing for a device without one.
std::optional<LogTable> ShowDataLog(const QByteArray &data, const DeviceIdentity &id);
LogTable ShowHiLoRecords(const QByteArray &data);

// Appends the table to the file, with the header line when the file is empty.
bool SaveLogRecordsToFile(const LogTable &table, const QString &fileName);
