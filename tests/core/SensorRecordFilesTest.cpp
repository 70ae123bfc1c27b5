#include "SensorRecordFiles.h"
#include "Clock.h"
#include "RecordLayouts.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <sys/resource.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

const QDate kDay(2026, 1, 31);

// Written by hand from the layouts, not by the code under test.
const QByteArray kDate1005 = "2026-01-31 10:05:00      "_ba;
const QByteArray kHeaderBytes = "Plant room          Boiler return temper\xB0"
                                "F "_ba +
                                QByteArray::fromHex("0000ab42 000020c1");
const QByteArray kAverageBytes =
    kDate1005 + QByteArray::fromHex("00009142 00009142 00009142 01000000");
const QByteArray kInstantBytes = kDate1005 + QByteArray::fromHex("00009142");
const QByteArray kServerLogBytes =
    kDate1005 + QByteArray::fromHex("0000803f 00000040 00004040 00008040 0000a040 0000c040 "
                                    "0000e040 702374c9 00000000 00000000 0000fc42");

void SetClock(const QDate &day, int hour, int minute, int second = 0)
{
    Clock::SetFixed(QDateTime(day, QTime(hour, minute, second)));
}

// Record `number` (from 1) of a file, as stored.
std::optional<AverageRecord> AverageAt(const QString &path, int number)
{
    return AverageRecord::Decode(
        ReadAll(path).mid((number - 1) * AverageRecord::kLength, AverageRecord::kLength));
}

// How many descriptors of this process are open on files whose path starts with `prefix`.
int DescriptorsInto(const QString &prefix)
{
    int count = 0;
    for (const QFileInfo &fd :
         QDir(u"/proc/self/fd"_s).entryInfoList(QDir::AllEntries | QDir::System))
        count += fd.symLinkTarget().startsWith(prefix);
    return count;
}

} // namespace

using SensorRecordFiles = TempProgramFolder;

TEST_F(SensorRecordFiles, EachKindIsWrittenByteForByte)
{
    std::array<float, 61> readings{};
    readings.fill(99); // counts and state codes, which the server log leaves out
    for (int channel = 0; channel < 7; ++channel)
        readings[3 * channel] = float(channel + 1);
    readings[21] = -999991; // no data is logged as it stands

    SetClock(kDay, 10, 5);
    ASSERT_TRUE(SaveSensorDatToFile(Folder(), 7, u"Boiler return temperature"_s, u"Plant room"_s,
                                    u"\u00B0F"_s, 85.5f, -10.0f));
    ASSERT_TRUE(AppendAverageRecord(Folder(), 7, 72.5f));
    ASSERT_TRUE(AppendInstantRecord(Folder(), 7, 72.5f));
    ASSERT_TRUE(AppendServerLogRecord(u"Plant room"_s, 3, readings, 126));

    EXPECT_EQ(ReadAll(File(u"Sensor-7.dat"_s)), kHeaderBytes);
    EXPECT_EQ(ReadAll(File(u"Sensor-7 Average.dat"_s)), kAverageBytes);
    EXPECT_EQ(ReadAll(File(u"Sensor-7 Instantaneous Data Created 1-2026.dat"_s)), kInstantBytes);
    EXPECT_EQ(ReadAll(File(u"Plant room ID-3.dat"_s)), kServerLogBytes);
}

TEST_F(SensorRecordFiles, EachKindIsReadFromHandWrittenBytes)
{
    const auto header = SensorHeaderRecord::Decode(kHeaderBytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->serverName.trimmed(), u"Plant room"_s);
    EXPECT_EQ(header->sensorName, u"Boiler return temper"_s);
    EXPECT_EQ(header->units, u"\u00B0F "_s);
    EXPECT_EQ(header->upperLimit, 85.5f);
    EXPECT_EQ(header->lowerLimit, -10.0f);

    const auto average = AverageRecord::Decode(kAverageBytes);
    ASSERT_TRUE(average);
    EXPECT_EQ(average->date.trimmed(), u"2026-01-31 10:05:00"_s);
    EXPECT_EQ(average->sum, 72.5f);
    EXPECT_EQ(average->count, 1);
    EXPECT_EQ(InstantRecord::Decode(kInstantBytes)->reading, 72.5f);

    const auto log = ServerLogRecord::Decode(kServerLogBytes);
    ASSERT_TRUE(log);
    EXPECT_EQ(log->channels, (std::array<float, 10>{1, 2, 3, 4, 5, 6, 7, -999991, 0, 0}));
    EXPECT_EQ(log->batteryVoltage, 126.0f);

    EXPECT_FALSE(AverageRecord::Decode(kAverageBytes.chopped(1)));
}

TEST_F(SensorRecordFiles, HourlyAverageFollowsTheClock)
{
    const QString path = File(u"Sensor-7 Average.dat"_s);
    // The last is equal to the maximum: a strict comparison keeps +0, a loose one stores -0.
    for (const auto &[minute, second, reading] :
         {std::tuple{5, 0, -2.0f}, {35, 0, 0.0f}, {59, 59, -0.0f}}) {
        SetClock(kDay, 10, minute, second);
        ASSERT_TRUE(AppendAverageRecord(Folder(), 7, reading));
    }
    ASSERT_EQ(ReadAll(path).size(), AverageRecord::kLength);
    const auto hour = AverageAt(path, 1);
    ASSERT_TRUE(hour);
    EXPECT_EQ(hour->date.trimmed(), u"2026-01-31 10:05:00"_s);
    EXPECT_EQ(hour->count, 3);
    EXPECT_EQ(hour->sum, -2.0f);
    EXPECT_EQ(hour->minimum, -2.0f);
    EXPECT_EQ(hour->maximum, 0.0f);
    EXPECT_FALSE(std::signbit(hour->maximum));

    SetClock(kDay, 11, 0);
    ASSERT_TRUE(AppendAverageRecord(Folder(), 7, 4.0f));
    ASSERT_EQ(ReadAll(path).size(), 2 * AverageRecord::kLength);
    EXPECT_EQ(AverageAt(path, 1)->Encode(), hour->Encode());
    const auto next = AverageAt(path, 2);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->date.trimmed(), u"2026-01-31 11:00:00"_s);
    EXPECT_EQ(next->count, 1);
    EXPECT_EQ(next->minimum, 4.0f);
}

TEST_F(SensorRecordFiles, SingleReadingsStartANewFileEachMonth)
{
    SetClock(kDay, 23, 59, 59);
    ASSERT_TRUE(AppendInstantRecord(Folder(), 12, 1.0f));
    SetClock(QDate(2026, 2, 1), 0, 0);
    ASSERT_TRUE(AppendInstantRecord(Folder(), 12, 2.0f));

    EXPECT_EQ(QDir(Folder()).entryList({u"Sensor-*"_s}, QDir::Files, QDir::Name),
              (QStringList{u"Sensor-12 Instantaneous Data Created 1-2026.dat"_s,
                           u"Sensor-12 Instantaneous Data Created 2-2026.dat"_s}));
    EXPECT_EQ(ReadAll(File(u"Sensor-12 Instantaneous Data Created 2-2026.dat"_s)),
              "2026-02-01               "_ba + QByteArray::fromHex("00000040"));
}

// A crash mid-append leaves part of a record at the end of the file; the next record
// goes after the last whole one, over the torn tail.
TEST_F(SensorRecordFiles, TornTailIsOverwrittenByTheNextRecord)
{
    const struct {
        const char *name;
        bool average;
        int tornBytes; // what is left of the record being appended after 10:05 and 11:05
        QTime after;   // the next reading
        int records;   // whole records afterwards
        const char *lastDate;
        int lastCount; // averages only
    } rows[] = {
        {"single reading", false, 20, QTime(11, 7), 2, "2026-01-31 11:07:00", 0},
        {"average, new hour", true, 30, QTime(11, 30), 2, "2026-01-31 11:30:00", 1},
        {"average, same hour", true, 40, QTime(10, 50), 1, "2026-01-31 10:05:00", 2},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const int length = row.average ? AverageRecord::kLength : InstantRecord::kLength;
        const QString path =
            row.average ? AverageFileName(Folder(), 5) : InstantFileName(Folder(), 5, kDay);
        QFile::remove(path);
        const auto append = [&](const QTime &at) {
            Clock::SetFixed(QDateTime(kDay, at));
            return row.average ? AppendAverageRecord(Folder(), 5, 1.0f)
                               : AppendInstantRecord(Folder(), 5, 1.0f);
        };
        ASSERT_TRUE(append(QTime(10, 5)) && append(QTime(11, 5)));
        ASSERT_TRUE(QFile::resize(path, length + row.tornBytes));

        ASSERT_TRUE(append(row.after));
        const QByteArray bytes = ReadAll(path);
        ASSERT_EQ(bytes.size(), row.records * length);
        const QByteArray last = bytes.right(length);
        EXPECT_EQ(last.left(kRecordDateWidth).trimmed(), QByteArray(row.lastDate));
        if (row.average) {
            EXPECT_EQ(AverageRecord::Decode(last)->count, row.lastCount);
        }
    }
}

// A damaged last record stays as it is: the reading starts the next record, which the
// hour's later readings join, and the damage is reported once.
TEST_F(SensorRecordFiles, DamagedLastAverageStartsTheNextRecordReportedOnce)
{
    const QString path = File(u"Sensor-7 Average.dat"_s);
    const struct {
        const char *name;
        QByteArray damaged;
        QString cause;
    } rows[] = {
        {"unreadable date", "31/01/2026 10:05:00      "_ba + kAverageBytes.mid(kRecordDateWidth),
         u"Record 1 holds no date: \"31/01/2026 10:05:00\"; the reading starts record 2"_s},
        {"largest count", kAverageBytes.chopped(4) + QByteArray::fromHex("ffffff7f"),
         u"Record 1 holds the largest count; the reading starts record 2"_s},
    };
    QStringList errors;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(row.damaged) == row.damaged.size());
        file.close();
        SetClock(kDay, 10, 20);
        EXPECT_TRUE(AppendAverageRecord(Folder(), 7, 5.0f));
        SetClock(kDay, 10, 30);
        EXPECT_TRUE(AppendAverageRecord(Folder(), 7, 7.0f));

        const QByteArray bytes = ReadAll(path);
        ASSERT_EQ(bytes.size(), 2 * AverageRecord::kLength);
        EXPECT_EQ(bytes.left(AverageRecord::kLength), row.damaged);
        const auto next = AverageAt(path, 2);
        EXPECT_EQ(next->date.trimmed(), u"2026-01-31 10:20:00"_s);
        EXPECT_EQ(next->count, 2);
        EXPECT_EQ(next->sum, 12.0f);
        errors << u"myFunction=Error saving data to "_s + path + u"|Cause="_s + row.cause;
        EXPECT_EQ(ErrorRows(), errors);
    }
}

// The server name is part of the readings file's name: one that would lead out of the
// program folder is refused and nothing is written. Any other stored name names its file,
// also one the device manager would not take today.
TEST_F(SensorRecordFiles, ServerNameThatIsNoPlainFileNameIsRefused)
{
    const std::array<float, 61> readings{};
    SetClock(kDay, 9, 0);
    QStringList errors;
    const QString names[] = {u"../outside"_s, u"Lab/2"_s, u"Lab"_s + QChar(u'\0') + u"2"_s};
    for (const QString &name : names) {
        EXPECT_FALSE(AppendServerLogRecord(name, 3, readings, 0)) << name.toStdString();
        errors << u"myFunction=Error saving data to "_s + Folder() + u'/' + name +
                      u" ID-3.dat|Cause=The server name is not a plain file name"_s;
    }
    EXPECT_EQ(ErrorRows(), errors);
    EXPECT_FALSE(QFile::exists(Folder() + u"/../outside ID-3.dat"_s));
    for (const QString &name :
         {u"."_s, u".."_s, u"Lab\r\n2"_s, u"Lab\u00852"_s, QString(119, u'\u00e9')}) {
        EXPECT_TRUE(AppendServerLogRecord(name, 3, readings, 0)) << name.toStdString();
        EXPECT_EQ(ReadAll(File(name + u" ID-3.dat"_s)).size(), ServerLogRecord::kLength);
    }
    // The longest name taken on entry leaves room for the longest " ID-<number>.dat".
    const QString longest = QString(118, u'\u00e9') + u'x';
    EXPECT_TRUE(AppendServerLogRecord(longest, 2147483647, readings, 0));
    EXPECT_EQ(ReadAll(File(longest + u" ID-2147483647.dat"_s)).size(), ServerLogRecord::kLength);
    EXPECT_EQ(ErrorRows(), errors);
}

TEST_F(SensorRecordFiles, MissingFolderIsReportedWithThePath)
{
    const QString gone = Folder() + u"/gone"_s;
    SetClock(kDay, 9, 0);
    EXPECT_FALSE(SaveSensorDatToFile(gone, 4, u"s"_s, u"r"_s, {}, 1, 0));
    EXPECT_FALSE(AppendAverageRecord(gone, 4, 1.0f));
    EXPECT_FALSE(AppendInstantRecord(gone, 4, 1.0f));
    EXPECT_EQ(
        Rows(u"SELECT myFunction, Cause <> '' AS HasCause FROM tblErrors"_s),
        (QStringList{u"myFunction=Function: SaveSensorDatToFile() %1/Sensor-4.dat|HasCause=1"_s,
                     u"myFunction=Error saving data to %1/Sensor-4 Average.dat|HasCause=1"_s,
                     u"myFunction=Error saving data to %1/Sensor-4 Instantaneous Data "
                     "Created 1-2026.dat|HasCause=1"_s}
             .replaceInStrings(u"%1"_s, gone)));
    EXPECT_FALSE(QDir(gone).exists());
}

// A full disk fails the write itself: each writer reports it under its own label.
TEST_F(SensorRecordFiles, FullDiskIsReportedWithTheCause)
{
    SetClock(kDay, 9, 0);
    const struct {
        QString file;
        std::function<bool()> write;
        QString label;
    } rows[] = {
        {u"Sensor-4.dat"_s,
         [&] { return SaveSensorDatToFile(Folder(), 4, u"s"_s, u"r"_s, {}, 1, 0); },
         u"Function: SaveSensorDatToFile() "_s},
        {u"Sensor-4 Average.dat"_s, [&] { return AppendAverageRecord(Folder(), 4, 1.0f); },
         u"Error saving data to "_s},
        {u"Sensor-4 Instantaneous Data Created 1-2026.dat"_s,
         [&] { return AppendInstantRecord(Folder(), 4, 1.0f); }, u"Error saving data to "_s},
    };
    QStringList errors;
    for (const auto &row : rows) {
        ASSERT_TRUE(QFile::link(u"/dev/full"_s, File(row.file)));
        EXPECT_FALSE(row.write()) << row.file.toStdString();
        errors << u"myFunction="_s + row.label + File(row.file) +
                      u"|Cause=No space left on device"_s;
    }
    EXPECT_EQ(ErrorRows(), errors);
}

// Between two readings another program deletes, renames or replaces a record file: the next
// record lands at the path exactly as a writer that never saw the file would land it (a
// second sensor, given the same file, is that writer), and nothing reaches the old file.
TEST_F(SensorRecordFiles, FileChangedBetweenReadingsGetsTheNextRecordAtItsPath)
{
    const std::array<float, 61> readings{};
    const struct {
        const char *name;
        std::function<QString(qint32)> path;
        std::function<bool(qint32, float)> write;
        QByteArray other; // a file of the same size from elsewhere, as a restore brings it
    } kinds[] = {
        {"header", [&](qint32 id) { return SensorHeaderFileName(Folder(), id); },
         [&](qint32 id, float) {
             return SaveSensorDatToFile(Folder(), id, u"Boiler"_s, u"Plant"_s, u"%RH"_s, 9, 1);
         },
         SensorHeaderRecord{u"Other"_s, u"Other"_s, u"%RH"_s, 9, 1}.Encode()},
        {"average", [&](qint32 id) { return AverageFileName(Folder(), id); },
         [&](qint32 id, float reading) { return AppendAverageRecord(Folder(), id, reading); },
         AverageRecord{u"2026-01-31 10:00:00"_s, 10, 2, 8, 5}.Encode()},
        {"single reading", [&](qint32 id) { return InstantFileName(Folder(), id, kDay); },
         [&](qint32 id, float reading) { return AppendInstantRecord(Folder(), id, reading); },
         InstantRecord{u"2026-01-31 10:00:00"_s, 7}.Encode()},
        {"server log", [&](qint32 id) { return ServerLogFileName(Folder(), u"Lab"_s, id); },
         [&](qint32 id, float) { return AppendServerLogRecord(u"Lab"_s, id, readings, 12); },
         ServerLogRecord{u"2026-01-31 10:00:00"_s, {}, 0}.Encode()},
    };
    const auto putFile = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               file.write(bytes) == bytes.size();
    };
    const auto hardLink = [](const QString &path, const QString &old) {
        return ::link(QFile::encodeName(path), QFile::encodeName(old)) == 0;
    };
    const struct {
        const char *name;
        // Changes the file at `path`; the file read before is then reachable at `old`.
        std::function<bool(const QString &path, const QString &old, const QByteArray &other)> apply;
    } changes[] = {
        {"deleted", [&](const QString &path, const QString &old,
                        const QByteArray &) { return hardLink(path, old) && QFile::remove(path); }},
        {"renamed away", [](const QString &path, const QString &old,
                            const QByteArray &) { return QFile::rename(path, old); }},
        {"replaced",
         [&](const QString &path, const QString &old, const QByteArray &other) {
             return hardLink(path, old) && putFile(path + u".new"_s, other) &&
                    ::rename(QFile::encodeName(path + u".new"_s), QFile::encodeName(path)) == 0;
         }},
        // Same file and size: only its change time tells, so let the clock move on first.
        {"rewritten in place",
         [&](const QString &path, const QString &, const QByteArray &other) {
             QThread::msleep(25);
             return putFile(path, other);
         }},
    };
    qint32 id = 0;
    for (const auto &kind : kinds) {
        for (const auto &change : changes) {
            SCOPED_TRACE(std::string(kind.name) + ", " + change.name);
            const qint32 own = ++id;
            const qint32 fresh = ++id;
            const QString path = kind.path(own);
            const QString old = path + u".old"_s;
            SetClock(kDay, 10, 5);
            ASSERT_TRUE(kind.write(own, 1.0f));
            const QByteArray first = ReadAll(path);
            ASSERT_TRUE(change.apply(path, old, kind.other));
            const QByteArray before = ReadAll(path);
            if (QFile::exists(path)) {
                ASSERT_TRUE(putFile(kind.path(fresh), before));
            }

            SetClock(kDay, 10, 20);
            ASSERT_TRUE(kind.write(fresh, 3.0f));
            ASSERT_TRUE(kind.write(own, 3.0f));
            EXPECT_NE(ReadAll(path), before);
            EXPECT_EQ(ReadAll(path), ReadAll(kind.path(fresh)));
            if (QFile::exists(old)) {
                EXPECT_EQ(ReadAll(old), first);
            }
        }
    }
    EXPECT_EQ(ErrorRows(), QStringList());
}

TEST_F(SensorRecordFiles, HeaderIsRewrittenWhenAnyFieldChanges)
{
    SensorHeaderRecord header{u"Plant room"_s, u"Boiler"_s, u"\u00B0F"_s, 85.5f, -10.0f};
    // A limit of 0 stored as -0 (equal as numbers, not as bytes) is a change too.
    const std::function<void()> changes[] = {
        [&] { header.upperLimit = 0; },         [&] { header.upperLimit = -0.0f; },
        [&] { header.lowerLimit = 0; },         [&] { header.lowerLimit = -0.0f; },
        [&] { header.sensorName = u"Flow"_s; }, [&] { header.serverName = u"Lab"_s; },
        [&] { header.units = u"%RH"_s; },
    };
    for (const auto &change : changes) {
        change();
        ASSERT_TRUE(SaveSensorDatToFile(Folder(), 3, header.sensorName, header.serverName,
                                        header.units, header.upperLimit, header.lowerLimit));
        EXPECT_EQ(ReadAll(File(u"Sensor-3.dat"_s)), header.Encode());
    }
}

// Record files stay open between readings, but in the program folder only (a log folder may
// be a removable drive), never more than half the soft limit of open files, and a monthly
// file's descriptor is closed when the next month's file takes over.
TEST_F(SensorRecordFiles, KeptDescriptorsAreBoundedAndOnlyInTheProgramFolder)
{
    struct statfs system {};
    ASSERT_EQ(::statfs(QFile::encodeName(Folder()).constData(), &system), 0);
    if (!RecordFilesMayStayOpen(system.f_type))
        GTEST_SKIP() << "record files are not kept open on this file system";
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const struct Restore {
        rlimit limit;
        ~Restore() { ::setrlimit(RLIMIT_NOFILE, &limit); }
    } restore{saved};
    rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    CloseRecordFiles(); // the limit is read again

    const QString logFolder = Folder() + u"/log"_s;
    ASSERT_TRUE(QDir().mkpath(logFolder));
    SetClock(kDay, 10, 5);
    const int sensors = 30;
    for (qint32 id = 1; id <= sensors; ++id) {
        for (const QString &folder : {Folder(), logFolder}) {
            ASSERT_TRUE(SaveSensorDatToFile(folder, id, u"s"_s, u"r"_s, {}, 1, 0));
            ASSERT_TRUE(AppendAverageRecord(folder, id, 1.0f));
            ASSERT_TRUE(AppendInstantRecord(folder, id, 1.0f));
        }
    }
    EXPECT_EQ(DescriptorsInto(Folder() + u"/Sensor-"_s), 32);
    EXPECT_EQ(DescriptorsInto(logFolder), 0);
    EXPECT_EQ(DescriptorsInto(SensorHeaderFileName(Folder(), 1)), 0);
    const QString january = InstantFileName(Folder(), 1, kDay);
    EXPECT_EQ(DescriptorsInto(january), 1);

    SetClock(QDate(2026, 2, 1), 0, 0);
    ASSERT_TRUE(AppendInstantRecord(Folder(), 1, 2.0f));
    EXPECT_EQ(DescriptorsInto(january), 0);
    EXPECT_EQ(DescriptorsInto(InstantFileName(Folder(), 1, QDate(2026, 2, 1))), 1);
    for (qint32 id = 1; id <= sensors; ++id) {
        EXPECT_EQ(ReadAll(AverageFileName(logFolder, id)).size(), AverageRecord::kLength);
        EXPECT_EQ(ReadAll(InstantFileName(Folder(), id, kDay)).size(), InstantRecord::kLength);
    }
    // Another log folder set: the readings go to its files from then on.
    const QString otherLog = Folder() + u"/log2"_s;
    ASSERT_TRUE(QDir().mkpath(otherLog));
    const QByteArray before = ReadAll(AverageFileName(logFolder, 1));
    ASSERT_TRUE(AppendAverageRecord(otherLog, 1, 1.0f));
    EXPECT_EQ(ReadAll(AverageFileName(otherLog, 1)).size(), AverageRecord::kLength);
    EXPECT_EQ(ReadAll(AverageFileName(logFolder, 1)), before);
    CloseRecordFiles();
    EXPECT_EQ(DescriptorsInto(Folder()), 0);

    RaiseOpenFileLimit();
    rlimit raised{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &raised), 0);
    EXPECT_EQ(raised.rlim_cur, saved.rlim_max);
}

// Kept open only where a failed write fails at the write: on a network or user-space file
// system the failure may first show at the close, so those files are closed after every
// update, and so are those on removable-drive and unknown file systems.
TEST(RecordFilesMayStayOpen, OnlyOnLocalFileSystems)
{
    const std::pair<long, bool> systems[] = {
        {0xEF53, true},      {0x58465342, true},  {0x9123683E, true}, {0x01021994, true},
        {0x794C7630, true},  {0x2FC12FC1, true},  {0x6969, false},    {0xFF534D42, false},
        {0xFE534D42, false}, {0x65735546, false}, {0x4D44, false},    {0x2011BAB0, false},
        {0x01021997, false}, {0, false}};
    for (const auto &[type, kept] : systems)
        EXPECT_EQ(RecordFilesMayStayOpen(type), kept) << std::hex << type;
}
