#include "SensorRecordFiles.h"
#include "Clock.h"
#include "RecordLayouts.h"
#include "TempProgramFolder.h"

#include <QDir>
#include <QFile>

#include <array>
#include <cmath>

namespace {

const QDate kDay(2026, 1, 31);

// Written by hand from the layouts, not by the code under test.
const QByteArray kDate1005 = QByteArray("2026-01-31 10:05:00      ");
const QByteArray kHeaderBytes = QByteArray("Plant room          ") + "Boiler return temper" +
                                "\xB0" + "F " + QByteArray::fromHex("0000ab42 000020c1");
const QByteArray kAverageBytes =
    kDate1005 + QByteArray::fromHex("00009142 00009142 00009142 01000000");
const QByteArray kInstantBytes = kDate1005 + QByteArray::fromHex("00009142");
const QByteArray kServerLogBytes =
    kDate1005 + QByteArray::fromHex("0000803f 00000040 00004040 00008040 0000a040 0000c040 "
                                    "0000e040 702374c9 00000000 00000000 0000fc42");

QByteArray Contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Record `number` (from 1) of a file, as stored.
QByteArray RecordOf(const QString &path, int number, int length)
{
    return Contents(path).mid((number - 1) * length, length);
}

void SetClock(const QDate &day, int hour, int minute, int second = 0)
{
    Clock::SetFixed(QDateTime(day, QTime(hour, minute, second)));
}

std::array<float, 61> PollReadings()
{
    std::array<float, 61> readings{};
    readings.fill(99); // counts and state codes, which the server log leaves out
    for (int channel = 0; channel < 7; ++channel)
        readings[3 * channel] = float(channel + 1);
    readings[21] = -999991; // no data is logged as it stands
    return readings;
}

} // namespace

using SensorRecordFiles = TempProgramFolder;

TEST_F(SensorRecordFiles, EachKindIsWrittenByteForByte)
{
    SetClock(kDay, 10, 5);
    ASSERT_TRUE(SaveSensorDatToFile(Folder(), 7, QStringLiteral("Boiler return temperature"),
                                    QStringLiteral("Plant room"), QStringLiteral("\u00B0F"), 85.5f,
                                    -10.0f));
    ASSERT_TRUE(AppendAverageRecord(Folder(), 7, 72.5f));
    ASSERT_TRUE(AppendInstantRecord(Folder(), 7, 72.5f));
    ASSERT_TRUE(AppendServerLogRecord(QStringLiteral("Plant room"), 3, PollReadings(), 126));

    EXPECT_EQ(Contents(File(QStringLiteral("Sensor-7.dat"))), kHeaderBytes);
    EXPECT_EQ(Contents(File(QStringLiteral("Sensor-7 Average.dat"))), kAverageBytes);
    EXPECT_EQ(Contents(File(QStringLiteral("Sensor-7 Instantaneous Data Created 1-2026.dat"))),
              kInstantBytes);
    EXPECT_EQ(Contents(File(QStringLiteral("Plant room ID-3.dat"))), kServerLogBytes);
}

TEST_F(SensorRecordFiles, EachKindIsReadFromHandWrittenBytes)
{
    const auto header = SensorHeaderRecord::Decode(kHeaderBytes);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->serverName.trimmed(), QStringLiteral("Plant room"));
    EXPECT_EQ(header->sensorName, QStringLiteral("Boiler return temper"));
    EXPECT_EQ(header->units, QStringLiteral("\u00B0F "));
    EXPECT_EQ(header->upperLimit, 85.5f);
    EXPECT_EQ(header->lowerLimit, -10.0f);

    const auto average = AverageRecord::Decode(kAverageBytes);
    ASSERT_TRUE(average);
    EXPECT_EQ(average->date.trimmed(), QStringLiteral("2026-01-31 10:05:00"));
    EXPECT_EQ(average->sum, 72.5f);
    EXPECT_EQ(average->minimum, 72.5f);
    EXPECT_EQ(average->maximum, 72.5f);
    EXPECT_EQ(average->count, 1);

    const auto instant = InstantRecord::Decode(kInstantBytes);
    ASSERT_TRUE(instant);
    EXPECT_EQ(instant->reading, 72.5f);

    const auto log = ServerLogRecord::Decode(kServerLogBytes);
    ASSERT_TRUE(log);
    EXPECT_EQ(log->channels, (std::array<float, 10>{1, 2, 3, 4, 5, 6, 7, -999991, 0, 0}));
    EXPECT_EQ(log->batteryVoltage, 126.0f);

    EXPECT_FALSE(AverageRecord::Decode(kAverageBytes.chopped(1)));
}

TEST_F(SensorRecordFiles, HourlyAverageFollowsTheClock)
{
    const QString path = File(QStringLiteral("Sensor-7 Average.dat"));
    SetClock(kDay, 10, 5);
    ASSERT_TRUE(AppendAverageRecord(Folder(), 7, -2.0f));
    SetClock(kDay, 10, 35);
    ASSERT_TRUE(AppendAverageRecord(Folder(), 7, 0.0f));
    // Equal to the maximum: a strict comparison keeps +0, a loose one would store -0.
    SetClock(kDay, 10, 59, 59);
    ASSERT_TRUE(AppendAverageRecord(Folder(), 7, -0.0f));

    ASSERT_EQ(Contents(path).size(), AverageRecord::kLength);
    const auto hour = AverageRecord::Decode(RecordOf(path, 1, AverageRecord::kLength));
    ASSERT_TRUE(hour);
    EXPECT_EQ(hour->date.trimmed(), QStringLiteral("2026-01-31 10:05:00"));
    EXPECT_EQ(hour->count, 3);
    EXPECT_EQ(hour->sum, -2.0f);
    EXPECT_EQ(hour->minimum, -2.0f);
    EXPECT_EQ(hour->maximum, 0.0f);
    EXPECT_FALSE(std::signbit(hour->maximum));

    SetClock(kDay, 11, 0);
    ASSERT_TRUE(AppendAverageRecord(Folder(), 7, 4.0f));
    ASSERT_EQ(Contents(path).size(), 2 * AverageRecord::kLength);
    EXPECT_EQ(RecordOf(path, 1, AverageRecord::kLength), hour->Encode());
    const auto next = AverageRecord::Decode(RecordOf(path, 2, AverageRecord::kLength));
    ASSERT_TRUE(next);
    EXPECT_EQ(next->date.trimmed(), QStringLiteral("2026-01-31 11:00:00"));
    EXPECT_EQ(next->count, 1);
    EXPECT_EQ(next->minimum, 4.0f);
    EXPECT_EQ(next->maximum, 4.0f);
}

TEST_F(SensorRecordFiles, SingleReadingsStartANewFileEachMonth)
{
    SetClock(kDay, 23, 59, 59);
    ASSERT_TRUE(AppendInstantRecord(Folder(), 12, 1.0f));
    SetClock(QDate(2026, 2, 1), 0, 0);
    ASSERT_TRUE(AppendInstantRecord(Folder(), 12, 2.0f));

    EXPECT_EQ(QDir(Folder()).entryList({QStringLiteral("Sensor-*")}, QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("Sensor-12 Instantaneous Data Created 1-2026.dat"),
                           QStringLiteral("Sensor-12 Instantaneous Data Created 2-2026.dat")}));
    EXPECT_EQ(Contents(File(QStringLiteral("Sensor-12 Instantaneous Data Created 2-2026.dat"))),
              QByteArray("2026-02-01               ") + QByteArray::fromHex("00000040"));
}

// A crash mid-append leaves part of a record at the end of the file.
TEST_F(SensorRecordFiles, TornTailIsOverwrittenByTheNextRecord)
{
    struct Row {
        const char *name;
        bool average;
        QList<QTime> before;  // readings written before the crash
        int tornBytes;        // what is left of the record being appended
        QTime after;          // the next reading
        int records;          // whole records afterwards
        const char *lastDate; // of the last record
        int lastCount;        // averages only
    };
    const Row rows[] = {
        {"single reading",
         false,
         {QTime(10, 5), QTime(10, 6)},
         20,
         QTime(10, 7),
         2,
         "2026-01-31 10:07:00",
         0},
        {"average, new hour",
         true,
         {QTime(10, 5), QTime(11, 5)},
         30,
         QTime(11, 30),
         2,
         "2026-01-31 11:30:00",
         1},
        {"average, same hour",
         true,
         {QTime(10, 5), QTime(11, 5)},
         40,
         QTime(10, 50),
         1,
         "2026-01-31 10:05:00",
         2},
    };
    for (const Row &row : rows) {
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
        for (const QTime &at : row.before)
            ASSERT_TRUE(append(at));
        ASSERT_TRUE(QFile::resize(path, length + row.tornBytes));

        ASSERT_TRUE(append(row.after));
        ASSERT_EQ(Contents(path).size(), row.records * length);
        const QByteArray last = RecordOf(path, row.records, length);
        EXPECT_EQ(last.left(kRecordDateWidth).trimmed(), QByteArray(row.lastDate));
        if (row.average) {
            EXPECT_EQ(AverageRecord::Decode(last)->count, row.lastCount);
        }
    }
}

TEST_F(SensorRecordFiles, AverageWithUnreadableDateIsReportedAndLeftAlone)
{
    const QString path = File(QStringLiteral("Sensor-7 Average.dat"));
    const QByteArray foreign = QByteArray("31/01/2026 10:05:00      ") +
                               QByteArray::fromHex("00009142 00009142 00009142 01000000");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(foreign);
    }
    SetClock(kDay, 10, 20);
    EXPECT_FALSE(AppendAverageRecord(Folder(), 7, 5.0f));
    EXPECT_EQ(Contents(path), foreign);
    EXPECT_EQ(
        Rows(QStringLiteral("SELECT myFunction, Cause FROM tblErrors")),
        QStringList{QStringLiteral("myFunction=Error saving data to ") + path +
                    QStringLiteral("|Cause=Record 1 holds no date: \"31/01/2026 10:05:00\"")});
}

TEST_F(SensorRecordFiles, MissingFolderIsReportedWithThePath)
{
    const QString gone = Folder() + QStringLiteral("/gone");
    struct Row {
        const char *name;
        bool (*write)(const QString &folder);
        QString label;
    };
    const Row rows[] = {
        {"header",
         [](const QString &f) {
             return SaveSensorDatToFile(f, 4, QStringLiteral("s"), QStringLiteral("r"), {}, 1, 0);
         },
         QStringLiteral("Function: SaveSensorDatToFile() ") + gone +
             QStringLiteral("/Sensor-4.dat")},
        {"average", [](const QString &f) { return AppendAverageRecord(f, 4, 1.0f); },
         QStringLiteral("Error saving data to ") + gone + QStringLiteral("/Sensor-4 Average.dat")},
        {"single reading", [](const QString &f) { return AppendInstantRecord(f, 4, 1.0f); },
         QStringLiteral("Error saving data to ") + gone +
             QStringLiteral("/Sensor-4 Instantaneous Data Created 1-2026.dat")},
    };
    SetClock(kDay, 9, 0);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(row.write(gone));
        const QStringList errors =
            Rows(QStringLiteral("SELECT myFunction, Cause <> '' AS HasCause FROM tblErrors ORDER "
                                "BY ErrorID DESC LIMIT 1"));
        EXPECT_EQ(errors, QStringList{QStringLiteral("myFunction=") + row.label +
                                      QStringLiteral("|HasCause=1")});
    }
    EXPECT_FALSE(QDir(gone).exists());
}
