#include "SensorRecordFiles.h"

#include "Clock.h"
#include "GeneralDate.h"
#include "ProgramFolder.h"
#include "RecordLayouts.h"
#include "ServerDatabase.h"

#include <QFile>

#include <limits>
#include <optional>

namespace {

// Why a step failed; nothing when it worked.
using Failure = std::optional<QString>;

QString SavingLabel(const QString &path)
{
    return QStringLiteral("Error saving data to ") + path;
}

// Opens the file for reading and writing (created when absent), runs `work` on it and
// closes it; a failure anywhere is logged under `label`.
template <typename Work> bool WithRecordFile(const QString &path, const QString &label, Work work)
{
    QFile file(path);
    Failure failure;
    if (!file.open(QIODevice::ReadWrite)) {
        failure = file.errorString();
    } else {
        failure = work(file);
        // Buffered bytes reach the disk here; a full disk shows up now, not at close.
        if (!failure && !file.flush())
            failure = file.errorString();
        file.close();
    }
    if (!failure)
        return true;
    RecordSystemError(label, *failure);
    return false;
}

Failure WriteAt(QFile &file, qint64 number, const QByteArray &record)
{
    if (WriteRecord(file, number, record))
        return std::nullopt;
    return file.errorString();
}

bool AppendToFile(const QString &path, const QByteArray &record)
{
    return WithRecordFile(path, SavingLabel(path), [&record](QFile &file) {
        return WriteAt(file, RecordCount(file.size(), record.size()) + 1, record);
    });
}

} // namespace

bool SaveSensorDatToFile(const QString &folder, qint32 sensorId, const QString &sensorName,
                         const QString &serverName, const QString &unitText, float upperLimit,
                         float lowerLimit)
{
    const SensorHeaderRecord header{serverName, sensorName, unitText, upperLimit, lowerLimit};
    const QString path = SensorHeaderFileName(folder, sensorId);
    return WithRecordFile(path, QStringLiteral("Function: SaveSensorDatToFile() ") + path,
                          [&header](QFile &file) { return WriteAt(file, 1, header.Encode()); });
}

bool AppendAverageRecord(const QString &folder, qint32 sensorId, float reading)
{
    const QDateTime now = Clock::Now();
    const AverageRecord fresh{GeneralDateText(now), reading, reading, reading, 1};
    const QString path = AverageFileName(folder, sensorId);
    return WithRecordFile(path, SavingLabel(path), [&](QFile &file) -> Failure {
        const qint64 n = RecordCount(file.size(), AverageRecord::kLength);
        if (n == 0)
            return WriteAt(file, 1, fresh.Encode());

        const std::optional<QByteArray> bytes = ReadRecord(file, n, AverageRecord::kLength);
        std::optional<AverageRecord> last = bytes ? AverageRecord::Decode(*bytes) : std::nullopt;
        if (!last)
            return file.errorString();
        // A damaged last record is left as it stands and the reading starts the next one, so
        // the file is not stuck on it; that happens once, so it is reported once.
        const std::optional<QDateTime> started = ParseGeneralDate(last->date);
        if (!started || last->count == std::numeric_limits<qint32>::max()) {
            const QString damage =
                started ? QStringLiteral("the largest count")
                        : QStringLiteral("no date: \"") + last->date.trimmed() + QLatin1Char('"');
            RecordSystemError(SavingLabel(path),
                              QStringLiteral("Record %1 holds %2; the reading starts record %3")
                                  .arg(n)
                                  .arg(damage)
                                  .arg(n + 1));
            return WriteAt(file, n + 1, fresh.Encode());
        }
        if (HourBoundariesBetween(*started, now) >= 1)
            return WriteAt(file, n + 1, fresh.Encode());

        last->sum += reading;
        ++last->count;
        if (reading > last->maximum)
            last->maximum = reading;
        if (reading < last->minimum)
            last->minimum = reading;
        if (const Failure failure = WriteAt(file, n, last->Encode()))
            return failure;
        // A record torn by a crash mid-append would otherwise stay behind the updated one.
        if (file.size() > n * AverageRecord::kLength && !file.resize(n * AverageRecord::kLength))
            return file.errorString();
        return std::nullopt;
    });
}

bool AppendInstantRecord(const QString &folder, qint32 sensorId, float reading)
{
    const QDateTime now = Clock::Now();
    const InstantRecord record{GeneralDateText(now), reading};
    return AppendToFile(InstantFileName(folder, sensorId, now.date()), record.Encode());
}

bool AppendServerLogRecord(const QString &serverName, qint32 serverId,
                           std::span<const float, 61> channelReadings, qint16 batteryVoltage)
{
    ServerLogRecord record;
    record.date = GeneralDateText(Clock::Now());
    for (int channel = 0; channel < 8; ++channel)
        record.channels[channel] = channelReadings[3 * channel];
    record.batteryVoltage = batteryVoltage;
    const QString path = ServerLogFileName(ProgramFolder(), serverName, serverId);
    // The name becomes part of a path: a "/" in it would lead out of the program folder.
    if (!IsPlainFileName(serverName)) {
        RecordSystemError(SavingLabel(path),
                          QStringLiteral("The server name is not a plain file name"));
        return false;
    }
    return AppendToFile(path, record.Encode());
}
