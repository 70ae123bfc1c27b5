#include "GraphingTest.h"
#include "frmReportWizard.h"

#include <QComboBox>

using namespace Qt::StringLiterals;

namespace {

using RecordFiles = GraphingTest;

const QDateTime kMarch(QDate(2026, 3, 1), QTime(10, 0));

} // namespace

// The list from files of the monitoring program's writers and hand-made ones, in a folder
// whose own name holds "Average": the kind comes from each file name alone.
TEST_F(RecordFiles, ListsEveryRecordFileWithItsSensorAndRange)
{
    const QString folder = Folder() + u"/Average logs"_s;
    ASSERT_TRUE(QDir().mkpath(folder));
    Graphing().DataFolder = folder;
    WriteHeader(7, u"Lab"_s, u"Freezer"_s);
    WriteReadings(7, kMarch, 3, 86400);
    const QString march = Name(InstantFileName(folder, 7, kMarch.date()));
    // A reading half appended when the list is read is not counted.
    AppendBytes(u""_s + march, Instant("2026-03-04 10:00:00", 1).left(14));
    AppendBytes(u"Sensor-8 Average.dat"_s, Average("2026-02-01 09:00:00", 1, 1, 1, 1) +
                                               Average("2026-02-03 09:00:00", 1, 1, 1, 1) +
                                               Average("garbage", 1, 1, 1, 1));
    AppendBytes(u"SENSOR-9 INST.DAT"_s, Instant("2026-02-01 09:00:00", 1));
    AppendBytes(u"Instruments Lab ID-3.dat"_s, QByteArray(69 * 2, 'x'));
    AppendBytes(u"Sensor-10 Average.dat"_s,
                Average("not yet", 1, 1, 1, 1) + Average("2026-01-05 08:00:00", 1, 1, 1, 1));
    AppendBytes(u"notes.txt"_s, "Sensor-11 Average");

    frmReportWizard wizard;
    wizard.LoadLogFiles(folder);
    QStringList items;
    for (int i = 0; i < wizard.cmboSensors->count(); ++i)
        items << wizard.cmboSensors->itemText(i);
    EXPECT_EQ(items, QStringList({
                         u"Server:  Sensor: : Averaged readings. Available data from Unknown "
                         "Start Date to 2026-01-05"_s,
                         u"Server: Lab Sensor: Freezer: Averaged readings. Available data from "
                         "2026-03-01 to 2026-03-03"_s,
                         u"Server: Lab Sensor: Freezer: All data. Available data from "
                         "2026-03-01 to 2026-03-03"_s,
                         u"Server:  Sensor: : Averaged readings. Available data from "
                         "2026-02-01 to 2026-02-03"_s,
                         u"Server:  Sensor:  There is not enough data to graph"_s,
                     }));
    EXPECT_EQ(wizard.LogFileNames,
              QStringList({u"Sensor-10 Average.dat"_s, u"Sensor-7 Average.dat"_s, march,
                           u"Sensor-8 Average.dat"_s, u"SENSOR-9 INST.DAT"_s}));
    EXPECT_EQ(wizard.LogSensorIDs, QList<qint32>({10, 7, 7, 8, 9}));
}

TEST_F(RecordFiles, FindsTheRecordsOfARangeOfDays)
{
    // Four readings a day on 1, 2, 3, 5 and 6 March, then a record without a date.
    for (const int day : {1, 2, 3, 5, 6})
        WriteReadings(7, QDateTime(QDate(2026, 3, day), QTime(0, 0)), 4, 6 * 3600);
    const QString name = Name(InstantFileName(Folder(), 7, kMarch.date()));
    AppendBytes(name, Instant("????", 0));

    const QString s = u"Scanning for starting record"_s;
    const QString e = u"Scanning for ending record"_s;
    const struct {
        const char *start;
        const char *end;
        qint64 first;
        qint64 last;
        QStringList texts; // the searches made, in order
    } rows[] = {
        {"2026-03-01", "2026-03-06", 1, 21, {}},  // both ends without a search
        {"2026-03-02", "2026-03-06", 5, 21, {s}}, // the last day's end after a search
        {"2026-03-01", "2026-03-03", 1, 12, {e}},
        {"2026-03-02", "2026-03-03", 5, 12, {s, e}},
        {"2026-03-03", "2026-03-03", 9, 12, {s, e}},
        {"2026-03-04", "2026-03-05", 13, 16, {s, e}}, // a start day without records
        {"2026-03-05", "2026-03-07", 13, 20, {s, e}},
        {"2026-02-20", "2026-03-01", 1, 4, {s, e}},
        {"2026-02-20", "2026-04-30", 1, 20, {s, e}},
        {"2026-02-20", "2026-02-25", 0, 0, {s, e}},
        {"2026-03-04", "2026-03-04", 0, 0, {s, e}},
        {"2026-03-10", "2026-03-12", 0, 0, {s, e}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.start) + " to " + row.end);
        RecordRange range{-1, -1};
        QStringList texts;
        const Progress progress{[&](const QString &text) { texts << text; }};
        ASSERT_TRUE(FindRecordRange(name, QString::fromLatin1(row.start),
                                    QString::fromLatin1(row.end), range, progress));
        EXPECT_EQ(range.first, row.first);
        EXPECT_EQ(range.last, row.last);
        EXPECT_EQ(texts, row.texts);
    }

    Graphing().CancelRequested = true;
    RecordRange range;
    EXPECT_FALSE(FindRecordRange(name, u"2026-03-02"_s, u"2026-03-03"_s, range, {}));
    EXPECT_TRUE(range.Empty());
    EXPECT_TRUE(QFile::remove(DataFile(name)));
    Graphing().CancelRequested = false;
    EXPECT_FALSE(FindRecordRange(name, u"2026-03-02"_s, u"2026-03-03"_s, range, {}));
}

TEST_F(RecordFiles, HeaderShortOrMissingLeavesBlankNames)
{
    WriteHeader(7, u"Lab"_s, u"Freezer"_s, u"%RH"_s);
    EXPECT_TRUE(ReadSensorHeader(7, Folder()));
    EXPECT_EQ(HeaderServerName() + u'|' + HeaderSensorName() + u'|' + HeaderUnits(),
              u"Lab|Freezer|%RH"_s);
    // The names and units alone are enough.
    AppendBytes(u"Sensor-6.dat"_s, SensorHeaderRecord{u"Lab"_s, u"Door"_s, {}}.Encode().left(43));
    EXPECT_TRUE(ReadSensorHeader(6, Data()));
    EXPECT_EQ(HeaderSensorName(), u"Door"_s);
    AppendBytes(u"Sensor-8.dat"_s, SensorHeaderRecord{u"Lab"_s, u"Door"_s, {}}.Encode().left(42));
    for (const qint32 id : {8, 9}) {
        EXPECT_FALSE(ReadSensorHeader(id, Folder()));
        EXPECT_EQ(HeaderServerName() + HeaderSensorName() + HeaderUnits(), QString());
    }
}
