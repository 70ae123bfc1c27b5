#include "frmGraph.h"
#include "ChartData.h"
#include "GraphChart.h"
#include "GraphingTest.h"
#include "ReportExport.h"
#include "WindowsColour.h"

#include <QDateTimeAxis>
#include <QLineSeries>
#include <QTimer>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace {

class frmGraphTest : public GraphingTest {
protected:
    // The window as the wizard shows it, its chart read.
    std::unique_ptr<frmGraph> Open(const QString &fileName, const char *start, const char *end)
    {
        auto graph = std::make_unique<frmGraph>();
        graph->SensorIDNum = 7;
        graph->FileName = fileName;
        graph->StartDate = QString::fromLatin1(start);
        graph->EndDate = QString::fromLatin1(end);
        graph->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !graph->XYChart4->Traces().isEmpty(); }, 20000));
        return graph;
    }

    // Each segment of each trace as "x-y x-y" with x in hours since the first point.
    static QStringList Segments(const GraphChart &chart)
    {
        QStringList out;
        const double origin = chart.Traces()[0].Segments()[0]->at(0).x();
        for (const SegmentedLine &line : chart.Traces()) {
            QStringList segments;
            for (const QLineSeries *segment : line.Segments()) {
                QStringList points;
                for (const QPointF &p : segment->points())
                    points << QString::number((p.x() - origin) / 3600000) + u'-' +
                                  QString::number(p.y());
                segments << points.join(u' ');
            }
            out << line.Name() + u": "_s + segments.join(u" | "_s);
        }
        return out;
    }

    static bool SaveScreenshot(QWidget &window, const QString &name)
    {
        const QString folder = QCoreApplication::applicationDirPath() + u"/../screenshots"_s;
        return QDir().mkpath(folder) && window.grab().save(QDir(folder).filePath(name));
    }
};

const char kAverageFile[] = "Sensor-7 Average.dat";
const char kMarchFile[] = "Sensor-7 Instantaneous Data Created 3-2026.dat";

} // namespace

TEST_F(frmGraphTest, ChartDataOfBothKinds)
{
    AppendBytes(QString::fromLatin1(kAverageFile), Average("2026-03-01 23:00:00", 9, 2, 4, 3) +
                                                       Average("2026-03-02 06:00:00", 10, 4, 6, 2) +
                                                       Average("garbage", 0, 0, 0, 0) +
                                                       Average("2026-03-02 08:00:00", 0, 1, 1, 0) +
                                                       Average("2026-03-03 00:00:00", 5, 5, 5, 1));
    AppendBytes(QString::fromLatin1(kMarchFile),
                Instant("2026-03-02 06:00:00", 1.5f) + Instant("2026-03-02 12:00:00", -2) +
                    Instant("not a date", 7) + Instant("2026-03-02 18:00:00", 3));
    auto rows = [](const ScanResult &result) {
        QStringList out;
        for (qsizetype r = 0; r < result.data.Rows(); ++r) {
            QStringList pairs;
            for (int k = 0; k < result.data.Traces(); ++k)
                pairs << QString::number(result.data.X(r, k), 'g', 12) + u',' +
                             QString::number(result.data.Y(r, k), 'g', 12);
            out << pairs.join(u' ');
        }
        return out;
    };
    const QString missing = u"1.79e+308"_s;
    ScanResult averaged =
        ScanLogFile(QString::fromLatin1(kAverageFile), u"2026-03-02"_s, u"2026-03-02"_s, {});
    ASSERT_EQ(averaged.outcome, ScanResult::Outcome::Done);
    // 2 March 2026 is day 46083.
    EXPECT_EQ(rows(averaged),
              QStringList({u"46083.25,5 46083.25,6 46083.25,4"_s,
                           missing + u',' + missing + u' ' + missing + u',' + missing + u' ' +
                               missing + u',' + missing,
                           u"46083.3333333,"_s + missing + u" 46083.3333333,1 46083.3333333,1"_s}));
    EXPECT_EQ(averaged.maximum, 6);
    EXPECT_EQ(averaged.minimum, 1);
    ScanResult instant =
        ScanInstLogFile(QString::fromLatin1(kMarchFile), u"2026-03-01"_s, u"2026-03-31"_s, {}, {});
    ASSERT_EQ(instant.outcome, ScanResult::Outcome::Done);
    EXPECT_EQ(rows(instant), QStringList({u"46083.25,1.5"_s, u"46083.5,-2"_s,
                                          missing + u',' + missing, u"46083.75,3"_s}));
    for (const auto &[start, end] :
         {std::pair{"2026-03-04", "2026-03-09"}, {"2026-02-01", "2026-02-28"}}) {
        EXPECT_EQ(ScanLogFile(QString::fromLatin1(kAverageFile), QString::fromLatin1(start),
                              QString::fromLatin1(end), {})
                      .outcome,
                  ScanResult::Outcome::NotEnoughData);
    }

    // On the chart the records without a date break the lines and reach no series.
    WriteHeader(7, u"Lab"_s, u"Freezer"_s);
    const auto graph = Open(QString::fromLatin1(kMarchFile), "2026-03-01", "2026-03-31");
    EXPECT_EQ(Segments(*graph->XYChart4), QStringList(u"Freezer: 0-1.5 6--2 | 12-3"_s));
    const auto averagedGraph = Open(QString::fromLatin1(kAverageFile), "2026-03-02", "2026-03-02");
    EXPECT_EQ(Segments(*averagedGraph->XYChart4),
              QStringList({u"Freezer: 0-5"_s, u"Max: 0-6 | 2-1"_s, u"Min: 0-4 | 2-1"_s}));
    EXPECT_EQ(averagedGraph->txtMaxScale->text() + u' ' + averagedGraph->txtMinScale->text(),
              u"6 1"_s);
}

TEST_F(frmGraphTest, ShowsItsTitlesColoursAndTypedScale)
{
    WriteHeader(7, u"Lab"_s, u"Freezer"_s, u"%RH"_s);
    WriteReadings(7, QDateTime(QDate(2026, 3, 1), QTime(9, 0)), 30, 1200, 40, 0.5f);
    const auto graph = Open(QString::fromLatin1(kAverageFile), "2026-03-01", "2026-03-01");
    EXPECT_EQ(graph->windowTitle(), u"Report for Freezer from 2026-03-01 to 2026-03-01"_s);
    EXPECT_TRUE(graph->isMaximized());
    GraphChart &chart = *graph->XYChart4;
    EXPECT_EQ(chart.chart()->title(), u"Freezer From 2026-03-01 To 2026-03-01"_s);
    EXPECT_EQ(chart.TimeAxis()->format(), u"d-MMM-yy hh:mm AP"_s);
    EXPECT_EQ(chart.TimeAxis()->titleText(), u"Date/Time"_s);
    EXPECT_EQ(chart.ValueAxis()->titleText(), u"%RH"_s);
    EXPECT_EQ(chart.ValueAxis()->gridLineColor(), QColor(192, 192, 192));
    EXPECT_EQ(chart.TimeAxis()->gridLineColor(), QColor(192, 192, 192));
    EXPECT_EQ(chart.chart()->plotAreaBackgroundPen().color(), QColor(192, 192, 192));
    EXPECT_EQ(chart.chart()->backgroundBrush().color(), QColor(Qt::white));
    EXPECT_EQ(chart.chart()->plotAreaBackgroundBrush().color(), QColor(Qt::white));
    QStringList traces;
    for (const SegmentedLine &line : chart.Traces())
        traces << line.Name() + u' ' + line.Segments()[0]->pen().color().name();
    EXPECT_EQ(traces, QStringList({u"Freezer #0000ff"_s, u"Max #ff0000"_s, u"Min #00ff00"_s}));
    // The hours 9, 10 and 11 to 18: from the lowest minimum to the highest maximum.
    EXPECT_EQ(chart.ValueAxis()->min(), 40);
    EXPECT_EQ(chart.ValueAxis()->max(), 54.5);
    EXPECT_EQ(graph->txtMaxScale->text() + u' ' + graph->txtMinScale->text(), u"54.5 40"_s);
    SaveScreenshot(*graph, u"graph-averaged.png"_s);

    const struct {
        const char *max;
        const char *min;
        double low;
        double high;
        QLineEdit *refused;
    } rows[] = {
        {"12.5", "-3", -3, 12.5, nullptr},      {"", "-3", -3, 12.5, graph->txtMaxScale},
        {"1e2", "0", 0, 12, nullptr}, // "e" is not typed
        {"80", "-", 0, 12, graph->txtMinScale}, {"80", "-.5", -0.5, 80, nullptr},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string(row.max) + " / " + row.min);
        for (const auto &[box, text] :
             {std::pair{graph->txtMaxScale, row.max}, {graph->txtMinScale, row.min}}) {
            box->clear();
            QTest::keyClicks(box, QString::fromLatin1(text));
        }
        const auto before = prompt.Texts().size();
        graph->btnApplyScale->click();
        EXPECT_EQ(prompt.Texts().mid(before),
                  row.refused ? QStringList(u"Please enter a numeric value."_s) : QStringList());
        EXPECT_EQ(chart.ValueAxis()->min(), row.low);
        EXPECT_EQ(chart.ValueAxis()->max(), row.high);
        if (row.refused) {
            EXPECT_EQ(row.refused->text(), QString());
            EXPECT_EQ(graph->focusWidget(), row.refused);
        }
    }
}

// A month of 5-second readings: every record is in the data, the chart draws a few points
// per pixel column, the value axis spans the data, and the CSV file holds every record.
TEST_F(frmGraphTest, MonthOfFiveSecondReadings)
{
    // In UTC the texts are made without a time-zone lookup each.
    const QDateTime from(QDate(2026, 3, 1), QTime(0, 0), Qt::UTC);
    constexpr int kRecords = 31 * 24 * 720;
    QByteArray bytes;
    bytes.reserve(qsizetype(kRecords) * InstantRecord::kLength);
    for (int i = 0; i < kRecords; ++i) {
        const float reading = 20 + 10 * float(std::sin(i / 5000.0)) + float(i % 7) / 10;
        bytes += InstantRecord{GeneralDateText(from.addSecs(qint64(i) * 5)), reading}.Encode();
    }
    // An hour without readings.
    bytes.replace(qsizetype(100000) * InstantRecord::kLength, 720 * InstantRecord::kLength,
                  QByteArray(720 * InstantRecord::kLength, ' '));
    AppendBytes(QString::fromLatin1(kMarchFile), bytes);
    WriteHeader(7, u"Lab"_s, u"Freezer"_s);

    const auto graph = Open(QString::fromLatin1(kMarchFile), "2026-03-01", "2026-03-31");
    const GraphChart &chart = *graph->XYChart4;
    const int columns = int(chart.chart()->plotArea().width());
    ASSERT_GT(columns, 100);
    const SegmentedLine &line = chart.Traces()[0];
    EXPECT_EQ(line.Segments().size(), 2);
    EXPECT_LE(line.Points(), 4 * (columns + 2));
    EXPECT_GE(line.Points(), columns);
    EXPECT_NEAR(chart.ValueAxis()->min(), 10.0, 0.01);
    EXPECT_NEAR(chart.ValueAxis()->max(), 30.6, 0.01);
    const QDateTime last = from.addSecs(qint64(kRecords - 1) * 5);
    EXPECT_EQ(chart.TimeAxis()->min(), QDateTime(from.date(), from.time()));
    EXPECT_EQ(chart.TimeAxis()->max(), QDateTime(last.date(), last.time()));

    // A narrower window draws fewer points.
    graph->showNormal();
    graph->resize(500, 400);
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.chart()->plotArea().width() < columns / 2; }));
    EXPECT_LE(line.Points(), 4 * (int(chart.chart()->plotArea().width()) + 2));

    const QString csv = File(u"month.csv"_s);
    ASSERT_EQ(
        ExportAll(DataFile(QString::fromLatin1(kMarchFile)), RecordKind::Instant, csv, {}).outcome,
        ExportResult::Outcome::Done);
    EXPECT_EQ(ReadAll(csv).count('\n'), kRecords + 1);
}

TEST_F(frmGraphTest, InstantaneousChartWithAGap)
{
    WriteHeader(7, u"Lab"_s, u"Freezer"_s);
    WriteReadings(7, QDateTime(QDate(2026, 3, 1), QTime(0, 0)), 48, 1800, 35, 0.25f);
    AppendBytes(QString::fromLatin1(kMarchFile), Instant("lost", 0));
    WriteReadings(7, QDateTime(QDate(2026, 3, 2), QTime(6, 0)), 24, 1800, 41, -0.5f);
    const auto graph = Open(QString::fromLatin1(kMarchFile), "2026-03-01", "2026-03-02");
    EXPECT_EQ(graph->XYChart4->Traces()[0].Segments().size(), 2);
    EXPECT_TRUE(SaveScreenshot(*graph, u"graph-instantaneous-gap.png"_s));
}

TEST_F(frmGraphTest, CloseDuringAScanEndsItWithoutAChart)
{
    // The close is queued to land in the scan's first pause for events; the file grows
    // until its scan runs long enough on this machine to make one.
    constexpr int kRecords = 300000;
    const QDateTime from(QDate(2026, 3, 1), QTime(0, 0), Qt::UTC);
    qint64 written = 0;
    bool paused = false;
    while (!paused) {
        ASSERT_LT(written, 8 * kRecords) << "the scan never let events in";
        QByteArray bytes;
        for (int i = 0; i < kRecords; ++i, ++written)
            bytes += AverageRecord{GeneralDateText(from.addSecs(written)), 2, 1, 1, 2}.Encode();
        AppendBytes(QString::fromLatin1(kAverageFile), bytes);
        frmGraph graph;
        graph.FileName = QString::fromLatin1(kAverageFile);
        graph.StartDate = u"2026-03-01"_s;
        graph.EndDate = u"2026-03-31"_s;
        QObject::connect(graph.txtRecordNum, &QLineEdit::textChanged, [&] { paused = true; });
        QTimer::singleShot(0, &graph, [&] {
            QTimer::singleShot(0, graph.cmdClose, &QPushButton::click);
        });
        graph.exec();
        EXPECT_TRUE(Graphing().CloseRequested);
        EXPECT_EQ(graph.XYChart4->Traces().isEmpty(), paused);
    }
    EXPECT_TRUE(prompt.Texts().isEmpty());
}

// Points are placed by the local clock, also on the day it is put forward an hour.
TEST_F(frmGraphTest, PointsFollowTheLocalClockAcrossAChangeOfOffset)
{
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    tzset();
    AppendBytes(QString::fromLatin1(kMarchFile),
                Instant("2026-03-07 23:00:00", 1) + Instant("2026-03-08 01:00:00", 2) +
                    Instant("2026-03-08 03:00:00", 3) + Instant("2026-03-09 03:00:00", 4));
    const auto graph = Open(QString::fromLatin1(kMarchFile), "2026-03-01", "2026-03-31");
    QStringList moments;
    for (const QPointF &p : graph->XYChart4->Traces()[0].Segments()[0]->points())
        moments << QDateTime::fromMSecsSinceEpoch(qint64(p.x()), Qt::UTC).toString(u"d hh"_s);
    // 11 PM to 1 AM local is 4 to 6 UTC; 3 AM local after the change is 7 UTC.
    EXPECT_EQ(moments, QStringList({u"8 04"_s, u"8 06"_s, u"8 07"_s, u"9 07"_s}));
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}
