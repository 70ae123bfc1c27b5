// From record file to a 1600x900 PNG on disk: the graph window's own scan (with its event
// loop pumping), the chart and its rendering, beside rrdtool drawing the same values from
// its own files. rrdtool is filled before the timing starts; the programs never use it.
#include "GraphChart.h"
#include "GraphingMain.h"
#include "RecordLayouts.h"
#include "frmGraph.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

constexpr int kMonthRecords = 31 * 24 * 60; // a month of 1-minute readings
constexpr int kYearRecords = 365 * 24;      // a year of hourly averages
const QDateTime kMonthStart(QDate(2026, 3, 1), QTime(0, 0), Qt::UTC);
const QDateTime kYearStart(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
const char kMonthFile[] = "Sensor-7 Instantaneous Data Created 3-2026.dat";
const char kYearFile[] = "Sensor-7 Average.dat";
constexpr int kPngQuality = 80; // zlib level 1

float Reading(int i)
{
    return 38 + 6 * float(std::sin(i / 700.0)) + float(i % 13) / 10;
}

bool Rrdtool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("rrdtool"), arguments);
    return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}

// rrdtool takes its updates in slices; one slice's arguments must fit a command line.
bool RrdUpdate(const QString &rrd, const QStringList &updates)
{
    for (qsizetype from = 0; from < updates.size(); from += 2000) {
        if (!Rrdtool(QStringList{QStringLiteral("update"), rrd} + updates.mid(from, 2000)))
            return false;
    }
    return true;
}

// The two record files and the rrdtool files of the same values, made once.
struct Files {
    QTemporaryDir dir;
    bool ready = false;

    Files()
    {
        QByteArray month;
        QStringList monthUpdates;
        for (int i = 0; i < kMonthRecords; ++i) {
            const QDateTime at = kMonthStart.addSecs(qint64(i) * 60);
            month += InstantRecord{GeneralDateText(at), Reading(i)}.Encode();
            monthUpdates << QString::number(at.toSecsSinceEpoch()) + u':' +
                                QString::number(double(Reading(i)));
        }
        QByteArray year;
        QStringList yearUpdates;
        for (int i = 0; i < kYearRecords; ++i) {
            const QDateTime at = kYearStart.addSecs(qint64(i) * 3600);
            const float low = Reading(i * 60);
            const float high = low + 1.5f;
            const float sum = (low + high) / 2 * 60;
            year += AverageRecord{GeneralDateText(at), sum, low, high, 60}.Encode();
            yearUpdates << QString::number(at.toSecsSinceEpoch()) + u':' +
                               QString::number(double(sum / 60)) + u':' +
                               QString::number(double(high)) + u':' + QString::number(double(low));
        }
        const QString monthRrd = Path(QStringLiteral("month.rrd"));
        const QString yearRrd = Path(QStringLiteral("year.rrd"));
        ready =
            Write(QString::fromLatin1(kMonthFile), month) &&
            Write(QString::fromLatin1(kYearFile), year) &&
            Write(QStringLiteral("Sensor-7.dat"),
                  SensorHeaderRecord{QStringLiteral("Lab"), QStringLiteral("Freezer"),
                                     QStringLiteral("\u00b0F"), 45, 30}
                      .Encode()) &&
            Rrdtool({QStringLiteral("create"), monthRrd, QStringLiteral("--start"),
                     QString::number(kMonthStart.toSecsSinceEpoch() - 60), QStringLiteral("--step"),
                     QStringLiteral("60"), QStringLiteral("DS:v:GAUGE:120:U:U"),
                     QStringLiteral("RRA:AVERAGE:0.5:1:%1").arg(kMonthRecords)}) &&
            RrdUpdate(monthRrd, monthUpdates) &&
            Rrdtool(
                {QStringLiteral("create"), yearRrd, QStringLiteral("--start"),
                 QString::number(kYearStart.toSecsSinceEpoch() - 3600), QStringLiteral("--step"),
                 QStringLiteral("3600"), QStringLiteral("DS:avg:GAUGE:7200:U:U"),
                 QStringLiteral("DS:max:GAUGE:7200:U:U"), QStringLiteral("DS:min:GAUGE:7200:U:U"),
                 QStringLiteral("RRA:AVERAGE:0.5:1:%1").arg(kYearRecords)}) &&
            RrdUpdate(yearRrd, yearUpdates);
    }

    QString Path(const QString &name) const { return dir.filePath(name); }

    bool Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
};

Files &TheFiles()
{
    static Files files;
    return files;
}

void OurGraph(benchmark::State &state, const char *fileName, const char *start, const char *end)
{
    Files &files = TheFiles();
    if (!files.ready) {
        state.SkipWithError("the files could not be made (is rrdtool installed?)");
        return;
    }
    Graphing().DataFolder = files.dir.path();
    const QString png = files.Path(QStringLiteral("ours.png"));
    for (auto _ : state) {
        frmGraph graph;
        graph.SensorIDNum = 7;
        graph.FileName = QString::fromLatin1(fileName);
        graph.StartDate = QString::fromLatin1(start);
        graph.EndDate = QString::fromLatin1(end);
        graph.setWindowState(Qt::WindowNoState);
        graph.XYChart4->setFixedSize(1600, 900);
        graph.show();
        QElapsedTimer waited;
        waited.start();
        while (graph.XYChart4->Traces().isEmpty() && waited.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        // The chart lays out its axes and legend on the next pass of the event loop.
        QCoreApplication::processEvents();
        // A light compression, as a chart of flat colours barely gains from more.
        if (graph.XYChart4->Traces().isEmpty() ||
            !graph.XYChart4->grab().save(png, "PNG", kPngQuality)) {
            state.SkipWithError("no chart");
            return;
        }
    }
}

void RrdGraph(benchmark::State &state, const QStringList &lines, qint64 start, qint64 end)
{
    Files &files = TheFiles();
    if (!files.ready) {
        state.SkipWithError("the files could not be made (is rrdtool installed?)");
        return;
    }
    QDir::setCurrent(files.dir.path());
    const QStringList arguments = QStringList{QStringLiteral("graph"),
                                              QStringLiteral("rrd.png"),
                                              QStringLiteral("--full-size-mode"),
                                              QStringLiteral("--width"),
                                              QStringLiteral("1600"),
                                              QStringLiteral("--height"),
                                              QStringLiteral("900"),
                                              QStringLiteral("--start"),
                                              QString::number(start),
                                              QStringLiteral("--end"),
                                              QString::number(end)} +
                                  lines;
    for (auto _ : state) {
        if (!Rrdtool(arguments)) {
            state.SkipWithError("rrdtool graph failed");
            return;
        }
    }
}

void MonthOfMinutesOurs(benchmark::State &state)
{
    OurGraph(state, kMonthFile, "2026-03-01", "2026-03-31");
}

void MonthOfMinutesRrdtool(benchmark::State &state)
{
    RrdGraph(
        state,
        {QStringLiteral("DEF:v=month.rrd:v:AVERAGE"), QStringLiteral("LINE1:v#0000FF:Freezer")},
        kMonthStart.toSecsSinceEpoch(), kMonthStart.addDays(31).toSecsSinceEpoch());
}

void YearOfHoursOurs(benchmark::State &state)
{
    OurGraph(state, kYearFile, "2025-01-01", "2025-12-31");
}

void YearOfHoursRrdtool(benchmark::State &state)
{
    RrdGraph(
        state,
        {QStringLiteral("DEF:a=year.rrd:avg:AVERAGE"), QStringLiteral("DEF:x=year.rrd:max:AVERAGE"),
         QStringLiteral("DEF:n=year.rrd:min:AVERAGE"), QStringLiteral("LINE1:a#0000FF:Freezer"),
         QStringLiteral("LINE1:x#FF0000:Max"), QStringLiteral("LINE1:n#00FF00:Min")},
        kYearStart.toSecsSinceEpoch(), kYearStart.addDays(365).toSecsSinceEpoch());
}

BENCHMARK(MonthOfMinutesOurs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MonthOfMinutesRrdtool)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(YearOfHoursOurs)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(YearOfHoursRrdtool)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
