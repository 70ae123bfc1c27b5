#pragma once

#include "Clock.h"
#include "GeneralDate.h"

#include <QString>

#include <span>

// Writers of the sensor record files (layouts in RecordLayouts.h). Each touches one record
// of the file now at its path, which other programs may change between readings; a
// failure goes to the error log and gives false, and the next poll simply tries again.
// `now` stamps the record: one moment for all the readings of one reply.

// A moment with its date text, made once for all the records it stamps.
struct RecordMoment {
    explicit RecordMoment(const QDateTime &moment = Clock::Now())
        : at(moment), text(GeneralDateText(moment))
    {
    }
    QDateTime at;
    QString text;
};

// The header, always record 1, written at every reading unless the file already holds it.
bool SaveSensorDatToFile(const QString &folder, qint32 sensorId, const QString &sensorName,
                         const QString &serverName, const QString &unitText, float upperLimit,
                         float lowerLimit);
// Adds the reading to the current clock hour's record, or starts the next one.
bool AppendAverageRecord(const QString &folder, qint32 sensorId, float reading,
                         const RecordMoment &now = RecordMoment());
bool AppendInstantRecord(const QString &folder, qint32 sensorId, float reading,
                         const RecordMoment &now = RecordMoment());
// `channelReadings` is the decoded reply (reading, count, state per channel); channels
// 1 to 8 are written as they stand, sentinels included. Written to the program folder.
bool AppendServerLogRecord(const QString &serverName, qint32 serverId,
                           std::span<const float, 61> channelReadings, qint16 batteryVoltage,
                           const RecordMoment &now = RecordMoment());

// Whether record files on a file system of this type (statfs's f_type) may stay open between
// readings: only where a failed write shows at the write, not first at the close.
bool RecordFilesMayStayOpen(long fileSystemType);
// At start-up: the soft limit of open files raised to the hard one, since the files of the
// program folder stay open between readings.
void RaiseOpenFileLimit();
// Closes every record file kept open and forgets what was known of them.
void CloseRecordFiles();
