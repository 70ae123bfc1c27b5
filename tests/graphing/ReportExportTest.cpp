#include "ReportExport.h"
#include "GraphingTest.h"
#include "frmReportWizard.h"

using namespace Qt::StringLiterals;

namespace {

using ReportExport = GraphingTest;

const QByteArray kAverageHeader =
    "\"Date/Time\",\"Average over 1 hour\",\"Max over 1 hour\",\"Min over 1 Hour\"\r\n";

} // namespace

TEST_F(ReportExport, WritesEachKindByteForByte)
{
    AppendBytes(u"Sensor-7 Average.dat"_s,
                Average("2026-03-01 10:00:00", 1, 0.25f, 0.75f, 2) +
                    Average("2026-03-01 11:00:00", 0, 0, 0, 0) +
                    Average("2026-03-02 09:00:00", 46.2f, 23.1f, 23.1f, 2) +
                    Average("2026-03-03 00:00:00", -5, -2.5f, -2.5f, 2) +
                    Average("2026-03-04", 12345678, 0.00001234f, 1e10f, 1) +
                    Average("2026-03-05 00:00:00", 3e38f, 1, 1, 1) +
                    Average("x\"y\r\nz", 1, 1, 1, 1));
    AppendBytes(u"Sensor-7 Instantaneous Data Created 3-2026.dat"_s,
                Instant("2026-03-01 10:00:00", 23.1f) + Instant("2026-03-02 10:00:00", -0.5f) +
                    Instant("2026-03-03", 1e-7f));
    const QByteArray rows[] = {
        "\"2026-03-01 10:00:00\",\"%1\",0.75,0.25\r\n",
        "\"2026-03-01 11:00:00\",\"\",0,0\r\n",
        "\"2026-03-02 09:00:00\",\"%2\",23.1,23.1\r\n",
        "\"2026-03-03 00:00:00\",\"%3\",-2.5,-2.5\r\n",
        "\"2026-03-04\",\"%4\",10000000000,0.00001234\r\n",
        "\"2026-03-05 00:00:00\",\"%5\",1,1\r\n",
        "\"x\"\"y  z\",\"%6\",1,1\r\n",
    };
    auto averaged = [&](std::initializer_list<int> picked, const QStringList &averages) {
        QByteArray out = kAverageHeader;
        for (const int i : picked)
            out += QString::fromLatin1(rows[i]).arg(averages.at(i)).toLatin1();
        return out;
    };
    // An average beyond a 64-bit whole number is left out.
    const QStringList oneDecimal = {u".5"_s, {}, u"23.1"_s, u"-2.5"_s, u"12345678.0"_s, {}};
    const QStringList whole = {u"1"_s, {}, u"23"_s, u"-3"_s, u"12345678"_s, {}, u"1"_s};
    const QByteArray instant = "\"Date/Time\",\"Data\"\r\n"
                               "\"2026-03-01 10:00:00\",23.1\r\n"
                               "\"2026-03-02 10:00:00\",-0.5\r\n"
                               "\"2026-03-03\",0.0000001\r\n";

    const QString csv = File(u"out.csv"_s);
    const struct {
        const char *name;
        std::function<ExportResult()> run;
        QByteArray expected;
    } cases[] = {
        {"averaged range, one decimal",
         [&] {
             return ExportRange(u"Sensor-7 Average.dat"_s, csv, u"2026-03-01"_s, u"2026-03-03"_s,
                                {});
         },
         averaged({0, 1, 2, 3}, oneDecimal)},
        {"averaged range of a day",
         [&] {
             return ExportRange(u"Sensor-7 Average.dat"_s, csv, u"2026-03-02"_s, u"2026-03-02"_s,
                                {});
         },
         averaged({2}, oneDecimal)},
        {"averaged range of a damaged hour",
         [&] {
             return ExportRange(u"Sensor-7 Average.dat"_s, csv, u"2026-03-05"_s, u"2026-03-05"_s,
                                {});
         },
         averaged({5}, oneDecimal)},
        {"averaged range without records",
         [&] {
             return ExportRange(u"Sensor-7 Average.dat"_s, csv, u"2026-04-01"_s, u"2026-04-02"_s,
                                {});
         },
         kAverageHeader},
        {"averaged file whole, whole numbers",
         [&] {
             return ExportAll(DataFile(u"Sensor-7 Average.dat"_s), RecordKind::Average, csv, {});
         },
         averaged({0, 1, 2, 3, 4, 5, 6}, whole)},
        {"instantaneous range",
         [&] {
             return ExportRange(u"Sensor-7 Instantaneous Data Created 3-2026.dat"_s, csv,
                                u"2026-02-01"_s, u"2026-03-31"_s, {});
         },
         instant},
        {"instantaneous file whole",
         [&] {
             return ExportAll(DataFile(u"Sensor-7 Instantaneous Data Created 3-2026.dat"_s),
                              RecordKind::Instant, csv, {});
         },
         instant},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(csv);
        ASSERT_EQ(c.run().outcome, ExportResult::Outcome::Done);
        EXPECT_EQ(ReadAll(csv), c.expected);
        // A second export into the same file appends its rows under the one header.
        ASSERT_EQ(c.run().outcome, ExportResult::Outcome::Done);
        EXPECT_EQ(ReadAll(csv), c.expected + c.expected.mid(c.expected.indexOf('\n') + 1));
    }

    // A file cut short while it is written out: the rows up to the cut.
    for (const int cutRecords : {10, 0}) {
        QFile::remove(DataFile(u"Sensor-8 Inst.dat"_s));
        AppendBytes(u"Sensor-8 Inst.dat"_s, Instant("2026-04-01 10:00:00", 1).repeated(1000));
        const Progress cut{[&](const QString &text) {
            if (text == u"Writing Record #"_s)
                QFile::resize(DataFile(u"Sensor-8 Inst.dat"_s),
                              cutRecords * InstantRecord::kLength + cutRecords / 2);
        }};
        QFile::remove(csv);
        EXPECT_EQ(
            ExportRange(u"Sensor-8 Inst.dat"_s, csv, u"2026-04-01"_s, u"2026-04-01"_s, cut).outcome,
            ExportResult::Outcome::Done);
        EXPECT_EQ(ReadAll(csv).count('\n'), cutRecords + 1);
    }

    const ExportResult unwritable =
        ExportAll(DataFile(u"Sensor-7 Average.dat"_s), RecordKind::Average, Folder(), {});
    EXPECT_EQ(unwritable.outcome, ExportResult::Outcome::Failed);
    EXPECT_FALSE(unwritable.errorText.isEmpty());
}

// Every listed file into the folder of the chosen name: a file without a first date is
// passed over, and a second sensor of the same name starting in the same month gets a
// file of its own.
TEST_F(ReportExport, ConvertsEveryFileIntoTheChosenFolder)
{
    // The data folder's path holds the sensor's name: the output folder is still the
    // chosen file's own.
    Graphing().DataFolder = Folder() + u"/Freezer logs"_s;
    ASSERT_TRUE(QDir().mkpath(Data()));
    const QString out = Folder() + u"/Reports"_s;
    ASSERT_TRUE(QDir().mkpath(out));
    WriteHeader(7, u"Lab"_s, u"Freezer"_s);
    WriteHeader(12, u"Kitchen"_s, u"Freezer"_s);
    WriteReadings(7, QDateTime(QDate(2026, 3, 31), QTime(22, 0)), 3, 3600, 1, 1);
    WriteReadings(12, QDateTime(QDate(2026, 3, 5), QTime(8, 0)), 2, 60, 4, 1);
    QFile::remove(DataFile(u"Sensor-12 Average.dat"_s));

    const QString data = Data();
    frmReportWizard wizard; // back in the program folder
    Graphing().DataFolder = data;
    wizard.LoadLogFiles(data);
    ASSERT_EQ(wizard.LogFileNames.size(), 4); // 7: average, March, April (one record); 12
    for (int run = 1; run <= 2; ++run) {
        prompt.QueueSave(out + u"/Freezer.csv"_s);
        wizard.BatchToCSV();
    }
    EXPECT_EQ(prompt.SaveRequests().size(), 2);
    EXPECT_EQ(prompt.SaveRequests()[0].title, u"Save To:"_s);
    EXPECT_EQ(prompt.SaveRequests()[0].proposal, u"Freezer.csv"_s);
    EXPECT_EQ(prompt.SaveRequests()[0].filter, u"All CSV Files (*.csv)"_s);
    EXPECT_EQ(QDir(out).entryList(QDir::Files, QDir::Name),
              QStringList({u"Freezer 7 Instantaneous data from 3-2026.csv"_s,
                           u"Freezer Average data from 3-2026.csv"_s,
                           u"Freezer Instantaneous data from 3-2026.csv"_s}));
    const QByteArray average = "\"2026-03-31 22:00:00\",\"1\",1,1\r\n"
                               "\"2026-03-31 23:00:00\",\"2\",2,2\r\n"
                               "\"2026-04-01\",\"3\",3,3\r\n";
    EXPECT_EQ(ReadAll(out + u"/Freezer Average data from 3-2026.csv"_s),
              kAverageHeader + average + average);
    // Sensor 12 is listed first ("Sensor-12" sorts before "Sensor-7").
    EXPECT_EQ(ReadAll(out + u"/Freezer Instantaneous data from 3-2026.csv"_s),
              "\"Date/Time\",\"Data\"\r\n"
              "\"2026-03-05 08:00:00\",4\r\n\"2026-03-05 08:01:00\",5\r\n"
              "\"2026-03-05 08:00:00\",4\r\n\"2026-03-05 08:01:00\",5\r\n");
    EXPECT_TRUE(wizard.btnGo->isVisibleTo(&wizard));
    EXPECT_FALSE(wizard.btnCancel->isVisibleTo(&wizard));
    EXPECT_TRUE(wizard.mnuConvertAll->isEnabled());

    // A cancelled dialog converts nothing.
    wizard.BatchToCSV();
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(prompt.Texts().isEmpty());
}

// Sensor names come from the devices: whatever they hold, every CSV file lands in the
// chosen folder, and a file that cannot be written stops no other.
TEST_F(ReportExport, SensorNamesNameFilesOnlyInsideTheChosenFolder)
{
    const QString out = Folder() + u"/Reports/March"_s;
    const QString kind = u" Instantaneous data from 3-2026.csv"_s;
    ASSERT_TRUE(QDir().mkpath(out + u"/Door"_s + kind)); // in the way
    const QStringList names = {u"../x"_s, u"/abs/x"_s, u"a/b\\c\td"_s,
                               u".."_s,   u"Door"_s,   u"Freezer"_s};
    for (qint32 id = 1; id <= names.size(); ++id) {
        WriteHeader(id, u"Lab"_s, names[id - 1]);
        AppendBytes(u"Sensor-%1 Inst.dat"_s.arg(id),
                    Instant("2026-03-01 10:00:00", 1) + Instant("2026-03-02 10:00:00", 2));
    }
    frmReportWizard wizard;
    wizard.LoadLogFiles(Data());
    prompt.QueueSave(out + u"/x.csv"_s);
    wizard.BatchToCSV();

    EXPECT_EQ(prompt.SaveRequests().at(0).proposal, u".._x.csv"_s);
    EXPECT_EQ(QDir(Folder() + u"/Reports"_s)
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList(u"March"_s));
    QStringList files = QDir(out).entryList(QDir::Files | QDir::Hidden);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, QStringList({u".._x"_s + kind, u"Freezer"_s + kind, u"_abs_x"_s + kind,
                                  u"a_b_c_d"_s + kind}));
    EXPECT_EQ(
        ReadAll(out + u"/Freezer"_s + kind),
        "\"Date/Time\",\"Data\"\r\n\"2026-03-01 10:00:00\",1\r\n\"2026-03-02 10:00:00\",2\r\n");
    ASSERT_EQ(prompt.Texts().size(), 1);
    EXPECT_TRUE(prompt.Texts()[0].startsWith(
        u"These files could not be converted to CSV:\nSensor-4 Inst.dat: the sensor name \"..\" "
        "cannot name a file\nSensor-5 Inst.dat to "_s +
        out + u"/Door"_s + kind + u": "_s))
        << prompt.Texts()[0].toStdString();
    EXPECT_TRUE(wizard.mnuConvertAll->isEnabled());
}
