#include "SensorRecordFiles.h"

#include "GeneralDate.h"
#include "ProgramFolder.h"
#include "RecordLayouts.h"
#include "ServerDatabase.h"

#include <QFile>
#include <QHash>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <climits>
#include <ctime>
#include <limits>
#include <optional>

namespace {

// Why a step failed; nothing when it worked.
using Failure = std::optional<QString>;

const QLatin1String kSavingLabel("Error saving data to ");

Failure SystemFailure()
{
    return qt_error_string(errno);
}

// A record file as this program last left it. Another program (the graphing program, a
// user, a restore) may read, delete, rename or replace it between two readings, so an
// update trusts what is remembered only while one stat of the path shows the same file
// (device and inode), of the size we left, changed no later than our last write (our own
// write stamps its change time before `wrote`). Otherwise the file at the path is opened
// afresh, created when absent, and read back where needed, as if seen for the first time.
// Plain system calls and positioned writes: the bytes are with the system as soon as
// the reading is logged, for the graphing program.
struct KnownFile {
    // Where it is: built again only when the folder or the month changes.
    QString folder;
    bool inProgramFolder = false;
    int month = 0;
    QString path;
    QByteArray name;
    // Kept open between readings in the program folder only: a descriptor held in the log
    // folder would keep a removable drive from being unmounted.
    int fd = -1;
    bool mayStayOpen = false; // its file system reports a failure at the write, not the close
    // What was left in it.
    struct Seen {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = -1;
        timespec wrote{};
        // What this program wrote last: the header, or the average file's last record and
        // when its hour began.
        std::optional<SensorHeaderRecord> header;
        std::optional<AverageRecord> average;
        std::optional<WallClock> started;
    } seen;
};

enum class Kind : quint64 { Header, Average, Instant, ServerLog };

struct RecordFilesState {
    // One entry per sensor (server for the readings file), kind and folder: the monthly
    // file and a renamed server take over their predecessor's entry and descriptor.
    QHash<quint64, KnownFile> files;
    int open = 0;       // descriptors held by `files`
    int openLimit = -1; // at most half the soft limit, the rest for the program; -1 unread
};

RecordFilesState g_state;

int OpenLimit()
{
    if (g_state.openLimit < 0) {
        rlimit limit{};
        g_state.openLimit =
            ::getrlimit(RLIMIT_NOFILE, &limit) == 0
                ? int(std::min<rlim_t>(limit.rlim_cur / 2, std::numeric_limits<int>::max()))
                : 0;
    }
    return g_state.openLimit;
}

void CloseDescriptor(KnownFile &file)
{
    if (file.fd < 0)
        return;
    ::close(file.fd);
    file.fd = -1;
    --g_state.open;
}

void Forget(KnownFile &file)
{
    CloseDescriptor(file);
    file.seen = {};
}

// Points `file` at `path`; what was known at its old path is dropped.
void MoveTo(KnownFile &file, const QString &path)
{
    if (file.path == path)
        return;
    Forget(file);
    file.path = path;
    file.name = QFile::encodeName(path);
}

KnownFile &Entry(Kind kind, qint32 id, bool inProgramFolder)
{
    return g_state
        .files[quint64(quint32(id)) | quint64(kind) << 32 | quint64(inProgramFolder) << 40];
}

// A sensor's file of `kind` in `folder`; `written` names the monthly file.
KnownFile &SensorFile(Kind kind, const QString &folder, qint32 sensorId, const QDate &written = {})
{
    const bool inProgramFolder = folder == ProgramFolder();
    KnownFile &file = Entry(kind, sensorId, inProgramFolder);
    int year = 0;
    int month = 0;
    if (kind == Kind::Instant)
        written.getDate(&year, &month, nullptr); // year() and month() would each work it out
    if (file.path.isEmpty() || file.folder != folder || file.month != year * 12 + month) {
        file.folder = folder;
        file.inProgramFolder = inProgramFolder;
        file.month = year * 12 + month;
        MoveTo(file, kind == Kind::Header    ? SensorHeaderFileName(folder, sensorId)
                     : kind == Kind::Average ? AverageFileName(folder, sensorId)
                                             : InstantFileName(folder, sensorId, written));
    }
    return file;
}

bool Unchanged(const KnownFile &file, const struct stat &info)
{
    const KnownFile::Seen &seen = file.seen;
    const timespec &changed = info.st_ctim;
    return info.st_dev == seen.device && info.st_ino == seen.inode && info.st_size == seen.size &&
           (changed.tv_sec < seen.wrote.tv_sec ||
            (changed.tv_sec == seen.wrote.tv_sec && changed.tv_nsec <= seen.wrote.tv_nsec));
}

// Whether the header file already holds `header`, as this program left it. Limits are
// compared by their bits: 0 and -0 are stored apart.
bool HoldsHeader(const KnownFile &file, const SensorHeaderRecord &header)
{
    const std::optional<SensorHeaderRecord> &held = file.seen.header;
    struct stat info {};
    return held && held->serverName == header.serverName && held->sensorName == header.sensorName &&
           held->units == header.units &&
           std::bit_cast<quint32>(held->upperLimit) == std::bit_cast<quint32>(header.upperLimit) &&
           std::bit_cast<quint32>(held->lowerLimit) == std::bit_cast<quint32>(header.lowerLimit) &&
           ::stat(file.name.constData(), &info) == 0 && Unchanged(file, info);
}

// Opens the record file now at the path for reading and writing: the kept descriptor
// while nothing changed, else a new one (the file created when absent).
Failure Open(KnownFile &file)
{
    struct stat info {};
    if (file.fd >= 0) {
        if (::stat(file.name.constData(), &info) == 0 && Unchanged(file, info))
            return std::nullopt;
        Forget(file);
    }
    const int fd = ::open(file.name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return SystemFailure();
    file.fd = fd;
    ++g_state.open;
    struct statfs system {};
    file.mayStayOpen = ::fstatfs(fd, &system) == 0 && RecordFilesMayStayOpen(system.f_type);
    if (::fstat(fd, &info) != 0)
        return SystemFailure();
    KnownFile::Seen &seen = file.seen;
    if (!Unchanged(file, info))
        seen = {};
    seen.device = info.st_dev;
    seen.inode = info.st_ino;
    seen.size = info.st_size;
    return std::nullopt;
}

// Record `number` (from 1); nothing when it is not all there.
std::optional<QByteArray> Read(const KnownFile &file, qint64 number, int length)
{
    QByteArray bytes(length, Qt::Uninitialized);
    const ssize_t got = ::pread(file.fd, bytes.data(), size_t(length), (number - 1) * length);
    if (got == length)
        return bytes;
    if (got >= 0)
        errno = EIO; // cut short since it was measured
    return std::nullopt;
}

Failure Write(KnownFile &file, qint64 number, const QByteArray &record)
{
    qint64 at = (number - 1) * record.size();
    for (qsizetype done = 0; done < record.size();) {
        const ssize_t wrote =
            ::pwrite(file.fd, record.constData() + done, size_t(record.size() - done), at);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return SystemFailure();
        done += wrote;
        at += wrote;
    }
    file.seen.size = std::max(file.seen.size, at);
    return std::nullopt;
}

Failure Truncate(KnownFile &file, qint64 length)
{
    if (::ftruncate(file.fd, length) != 0)
        return SystemFailure();
    file.seen.size = length;
    return std::nullopt;
}

// After an update: the moment it was done, and the descriptor kept or closed.
Failure Finish(KnownFile &file, bool keep)
{
    ::clock_gettime(CLOCK_REALTIME, &file.seen.wrote);
    if (keep && file.mayStayOpen && g_state.open <= OpenLimit())
        return std::nullopt;
    const int fd = file.fd;
    file.fd = -1;
    --g_state.open;
    // A failure of its own shows only here (a full disk on some file systems).
    if (::close(fd) != 0)
        return SystemFailure();
    return std::nullopt;
}

// Runs `work` on the record file now at the path; a failure anywhere is logged under
// `label` and the path, and everything known of the file dropped.
template <typename Work> bool Update(KnownFile &file, QLatin1String label, bool keep, Work work)
{
    Failure failure = Open(file);
    if (!failure)
        failure = work(file);
    if (!failure)
        failure = Finish(file, keep);
    if (!failure)
        return true;
    Forget(file);
    RecordSystemError(label + file.path, *failure);
    return false;
}

bool Append(KnownFile &file, bool keep, const QByteArray &record)
{
    return Update(file, kSavingLabel, keep, [&record](KnownFile &f) {
        return Write(f, RecordCount(f.seen.size, int(record.size())) + 1, record);
    });
}

// Writes `record` as record `number` and remembers it decoded.
Failure WriteAverage(KnownFile &file, qint64 number, const AverageRecord &record,
                     const std::optional<WallClock> &started)
{
    if (const Failure failure = Write(file, number, record.Encode()))
        return failure;
    file.seen.average = record;
    file.seen.started = started;
    return std::nullopt;
}

} // namespace

bool RecordFilesMayStayOpen(long fileSystemType)
{
    // Local disks, memory and container layers: a close reports nothing the write did not.
    // Network and user-space file systems may hold a failure back until the close, and
    // vfat or exFAT are mostly removable drives; anything unknown is closed to be safe.
    constexpr long kZfs = 0x2FC12FC1;
    switch (fileSystemType) {
    case EXT4_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case kZfs:
        return true;
    default:
        return false;
    }
}

// Nothing in this program hands a descriptor to select(), the one use the soft limit of
// 1024 protects, and no child inherits the record files' (close-on-exec); a hundred
// servers keep about 1,700 of them open.
void RaiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void CloseRecordFiles()
{
    for (KnownFile &file : g_state.files)
        CloseDescriptor(file);
    g_state = {};
}

bool SaveSensorDatToFile(const QString &folder, qint32 sensorId, const QString &sensorName,
                         const QString &serverName, const QString &unitText, float upperLimit,
                         float lowerLimit)
{
    const SensorHeaderRecord header{serverName, sensorName, unitText, upperLimit, lowerLimit};
    KnownFile &file = SensorFile(Kind::Header, folder, sensorId);
    if (HoldsHeader(file, header))
        return true;
    // Rewritten seldom, so its descriptor is not kept.
    return Update(file, QLatin1String("Function: SaveSensorDatToFile() "), false,
                  [&header](KnownFile &f) {
                      const Failure failure = Write(f, 1, header.Encode());
                      if (!failure)
                          f.seen.header = header;
                      return failure;
                  });
}

bool AppendAverageRecord(const QString &folder, qint32 sensorId, float reading,
                         const RecordMoment &now)
{
    KnownFile &file = SensorFile(Kind::Average, folder, sensorId);
    return Update(file, kSavingLabel, file.inProgramFolder, [&](KnownFile &f) -> Failure {
        const AverageRecord fresh{now.text, reading, reading, reading, 1};
        const auto startFresh = [&](qint64 number) {
            return WriteAverage(f, number, fresh, ParseWallClock(fresh.date));
        };
        const qint64 size = f.seen.size;
        const qint64 n = RecordCount(size, AverageRecord::kLength);
        if (n == 0)
            return startFresh(1);

        std::optional<AverageRecord> last;
        std::optional<WallClock> started;
        if (f.seen.average) {
            last = f.seen.average;
            started = f.seen.started;
        } else {
            const std::optional<QByteArray> bytes = Read(f, n, AverageRecord::kLength);
            last = bytes ? AverageRecord::Decode(*bytes) : std::nullopt;
            if (!last)
                return SystemFailure();
            started = ParseWallClock(last->date);
        }
        // A damaged last record is left as it stands and the reading starts the next one, so
        // the file is not stuck on it; that happens once, so it is reported once.
        if (!started || last->count == std::numeric_limits<qint32>::max()) {
            const QString damage =
                started ? QStringLiteral("the largest count")
                        : QStringLiteral("no date: \"") + last->date.trimmed() + QLatin1Char('"');
            RecordSystemError(kSavingLabel + f.path,
                              QStringLiteral("Record %1 holds %2; the reading starts record %3")
                                  .arg(n)
                                  .arg(damage)
                                  .arg(n + 1));
            return startFresh(n + 1);
        }
        if (HourBoundariesBetween(*started, WallClock{now.at.date(), now.at.time()}) >= 1)
            return startFresh(n + 1);

        last->sum += reading;
        ++last->count;
        if (reading > last->maximum)
            last->maximum = reading;
        if (reading < last->minimum)
            last->minimum = reading;
        if (const Failure failure = WriteAverage(f, n, *last, started))
            return failure;
        // A record torn by a crash mid-append would otherwise stay behind the updated one.
        if (size > n * AverageRecord::kLength)
            return Truncate(f, n * AverageRecord::kLength);
        return std::nullopt;
    });
}

bool AppendInstantRecord(const QString &folder, qint32 sensorId, float reading,
                         const RecordMoment &now)
{
    KnownFile &file = SensorFile(Kind::Instant, folder, sensorId, now.at.date());
    return Append(file, file.inProgramFolder, InstantRecord{now.text, reading}.Encode());
}

bool AppendServerLogRecord(const QString &serverName, qint32 serverId,
                           std::span<const float, 61> channelReadings, qint16 batteryVoltage,
                           const RecordMoment &now)
{
    ServerLogRecord record;
    record.date = now.text;
    for (int channel = 0; channel < 8; ++channel)
        record.channels[channel] = channelReadings[3 * channel];
    record.batteryVoltage = batteryVoltage;
    const QString path = ServerLogFileName(ProgramFolder(), serverName, serverId);
    // The name becomes part of a path: a "/" in it would lead out of the program folder.
    if (!IsPlainFileName(serverName)) {
        RecordSystemError(kSavingLabel + path,
                          QStringLiteral("The server name is not a plain file name"));
        return false;
    }
    KnownFile &file = Entry(Kind::ServerLog, serverId, true);
    MoveTo(file, path);
    return Append(file, true, record.Encode());
}
