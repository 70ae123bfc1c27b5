#include "SensorRecordFiles.h"

#include "GeneralDate.h"
#include "ProgramFolder.h"
#include "RecordLayouts.h"
#include "ServerDatabase.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <optional>

namespace {

// Why a step failed; nothing when it worked.
using Failure = std::optional<QString>;

QString SavingLabel(const QString &path)
{
    return QStringLiteral("Error saving data to ") + path;
}

Failure SystemFailure()
{
    return qt_error_string(errno);
}

// A record file opened for one update and closed again. Plain system calls, positioned
// reads and writes, no buffer: a poll of a hundred devices opens thousands of these, and
// a buffered file costs several calls more per record than the record itself. Every
// byte is with the system when the file is closed, as before, for the graphing program.
class RecordFile {
public:
    explicit RecordFile(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666))
    {
        if (m_fd < 0)
            m_failure = SystemFailure();
    }
    ~RecordFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;

    const Failure &OpenFailure() const { return m_failure; }

    std::optional<qint64> Size()
    {
        struct stat info {};
        if (::fstat(m_fd, &info) != 0)
            return std::nullopt;
        return qint64(info.st_size);
    }

    // Record `number` (from 1); nothing when it is not all there.
    std::optional<QByteArray> Read(qint64 number, int length)
    {
        QByteArray bytes(length, Qt::Uninitialized);
        const ssize_t got = ::pread(m_fd, bytes.data(), size_t(length), (number - 1) * length);
        if (got == length)
            return bytes;
        if (got >= 0)
            errno = EIO; // cut short since it was measured
        return std::nullopt;
    }

    Failure Write(qint64 number, const QByteArray &record)
    {
        qint64 at = (number - 1) * record.size();
        for (qsizetype done = 0; done < record.size();) {
            const ssize_t wrote =
                ::pwrite(m_fd, record.constData() + done, size_t(record.size() - done), at);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0)
                return SystemFailure();
            done += wrote;
            at += wrote;
        }
        return std::nullopt;
    }

    Failure Truncate(qint64 length)
    {
        if (::ftruncate(m_fd, length) != 0)
            return SystemFailure();
        return std::nullopt;
    }

    // A failure of its own shows only here (a full disk on some file systems).
    Failure Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0)
            return SystemFailure();
        return std::nullopt;
    }

private:
    int m_fd = -1;
    Failure m_failure;
};

// Opens the file for reading and writing (created when absent), runs `work` on it and
// closes it; a failure anywhere is logged under `label`.
template <typename Work> bool WithRecordFile(const QString &path, const QString &label, Work work)
{
    RecordFile file(path);
    Failure failure = file.OpenFailure();
    if (!failure) {
        failure = work(file);
        if (const Failure closed = file.Close(); !failure)
            failure = closed;
    }
    if (!failure)
        return true;
    RecordSystemError(label, *failure);
    return false;
}

bool AppendToFile(const QString &path, const QByteArray &record)
{
    return WithRecordFile(path, SavingLabel(path), [&record](RecordFile &file) -> Failure {
        const std::optional<qint64> size = file.Size();
        if (!size)
            return SystemFailure();
        return file.Write(RecordCount(*size, int(record.size())) + 1, record);
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
                          [&header](RecordFile &file) { return file.Write(1, header.Encode()); });
}

bool AppendAverageRecord(const QString &folder, qint32 sensorId, float reading,
                         const QDateTime &now)
{
    const AverageRecord fresh{GeneralDateText(now), reading, reading, reading, 1};
    const QString path = AverageFileName(folder, sensorId);
    return WithRecordFile(path, SavingLabel(path), [&](RecordFile &file) -> Failure {
        const std::optional<qint64> size = file.Size();
        if (!size)
            return SystemFailure();
        const qint64 n = RecordCount(*size, AverageRecord::kLength);
        if (n == 0)
            return file.Write(1, fresh.Encode());

        const std::optional<QByteArray> bytes = file.Read(n, AverageRecord::kLength);
        std::optional<AverageRecord> last = bytes ? AverageRecord::Decode(*bytes) : std::nullopt;
        if (!last)
            return SystemFailure();
        // A damaged last record is left as it stands and the reading starts the next one, so
        // the file is not stuck on it; that happens once, so it is reported once.
        const std::optional<WallClock> started = ParseWallClock(last->date);
        if (!started || last->count == std::numeric_limits<qint32>::max()) {
            const QString damage =
                started ? QStringLiteral("the largest count")
                        : QStringLiteral("no date: \"") + last->date.trimmed() + QLatin1Char('"');
            RecordSystemError(SavingLabel(path),
                              QStringLiteral("Record %1 holds %2; the reading starts record %3")
                                  .arg(n)
                                  .arg(damage)
                                  .arg(n + 1));
            return file.Write(n + 1, fresh.Encode());
        }
        if (HourBoundariesBetween(*started, WallClock{now.date(), now.time()}) >= 1)
            return file.Write(n + 1, fresh.Encode());

        last->sum += reading;
        ++last->count;
        if (reading > last->maximum)
            last->maximum = reading;
        if (reading < last->minimum)
            last->minimum = reading;
        if (const Failure failure = file.Write(n, last->Encode()))
            return failure;
        // A record torn by a crash mid-append would otherwise stay behind the updated one.
        if (*size > n * AverageRecord::kLength)
            return file.Truncate(n * AverageRecord::kLength);
        return std::nullopt;
    });
}

bool AppendInstantRecord(const QString &folder, qint32 sensorId, float reading,
                         const QDateTime &now)
{
    const InstantRecord record{GeneralDateText(now), reading};
    return AppendToFile(InstantFileName(folder, sensorId, now.date()), record.Encode());
}

bool AppendServerLogRecord(const QString &serverName, qint32 serverId,
                           std::span<const float, 61> channelReadings, qint16 batteryVoltage,
                           const QDateTime &now)
{
    ServerLogRecord record;
    record.date = GeneralDateText(now);
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
