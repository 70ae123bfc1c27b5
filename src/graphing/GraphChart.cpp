#include "GraphChart.h"

#include "ChartData.h"
#include "WindowsColour.h"

#include <QDateTimeAxis>
#include <QValueAxis>

#include <cmath>
#include <limits>

namespace {

constexpr double kLoneMomentMargin = 60 * 1000;
// Columns to thin for before the chart is laid out and knows its width.
constexpr int kUnknownWidthColumns = 1000;
// Room for one "d-MMM-yy hh:mm AP" label.
constexpr int kLabelWidth = 190;
constexpr int kMostDateLabels = 12;
// Windows colour values: red + 256 * green + 65536 * blue.
constexpr int kSilver = 0xC0C0C0;
constexpr int kWhite = 0xFFFFFF;
constexpr int kTraceColours[] = {0xFF0000 /* blue */, 0x0000FF /* red */, 0x00FF00 /* green */};

// Milliseconds since the epoch of a day number on the local wall clock. Each look-up of
// the zone's offset costs system calls, so it is looked up once per day, and once per hour
// on a day whose offset changes (zones change theirs on the hour).
class EpochMs {
public:
    double operator()(double dayNumber)
    {
        // Whole milliseconds: the day number holds the time of day as a binary fraction.
        const double wall = std::round((dayNumber - kUnixDay) * kMsPerDay);
        const auto day = qint64(std::floor(dayNumber));
        if (day != m_day) {
            m_day = day;
            m_hour = std::numeric_limits<qint64>::min();
            const qint64 midnight = qint64((double(day) - kUnixDay) * kMsPerDay);
            m_dayOffset = OffsetAt(midnight);
            m_steady = OffsetAt(midnight + qint64(kMsPerDay)) == m_dayOffset;
        }
        if (m_steady)
            return wall - m_dayOffset;
        const auto hour = qint64(std::floor(wall / kMsPerHour));
        if (hour != m_hour) {
            m_hour = hour;
            m_hourOffset = OffsetAt(hour * kMsPerHour);
        }
        return wall - m_hourOffset;
    }

private:
    static constexpr double kUnixDay = 25569; // 1 January 1970
    static constexpr double kMsPerDay = 86400000;
    static constexpr qint64 kMsPerHour = 3600000;

    // Wall-clock milliseconds less the epoch's at that wall-clock moment.
    static double OffsetAt(qint64 wallMs)
    {
        const QDateTime asUtc = QDateTime::fromMSecsSinceEpoch(wallMs, Qt::UTC);
        return double(wallMs - QDateTime(asUtc.date(), asUtc.time()).toMSecsSinceEpoch());
    }

    qint64 m_day = std::numeric_limits<qint64>::min();
    qint64 m_hour = std::numeric_limits<qint64>::min();
    double m_dayOffset = 0;
    double m_hourOffset = 0;
    bool m_steady = true;
};

// The lowest and highest point of one pixel column, with the first and last.
struct Column {
    qsizetype first = -1;
    qsizetype low = 0;
    qsizetype high = 0;
    qsizetype last = 0;
};

void Flush(const TracePoints &points, Column &column, QList<QPointF> &run)
{
    if (column.first < 0)
        return;
    qsizetype picks[] = {column.first, std::min(column.low, column.high),
                         std::max(column.low, column.high), column.last};
    qsizetype previous = -1;
    for (const qsizetype pick : picks) {
        if (pick != previous)
            run.append(points[pick]);
        previous = pick;
    }
    column = Column();
}

void EndRun(QList<QPointF> &run, QList<QList<QPointF>> &runs)
{
    if (!run.isEmpty())
        runs.append(std::move(run));
    run = {};
}

} // namespace

QList<QList<QPointF>> DrawnRuns(const TracePoints &points, double xLow, double xHigh, int columns)
{
    QList<QList<QPointF>> runs;
    QList<QPointF> run;
    const bool thin = columns > 0 && qsizetype(points.size()) > 2 * qsizetype(columns);
    const double perColumn = xHigh > xLow ? columns / (xHigh - xLow) : 0;
    Column column;
    qint64 columnIndex = -1;
    for (qsizetype i = 0; i < qsizetype(points.size()); ++i) {
        const QPointF &p = points[i];
        if (std::isnan(p.y())) {
            Flush(points, column, run);
            EndRun(run, runs);
            continue;
        }
        if (!thin) {
            run.append(p);
            continue;
        }
        const auto index = qint64(std::floor((p.x() - xLow) * perColumn));
        if (index != columnIndex || column.first < 0) {
            Flush(points, column, run);
            columnIndex = index;
            column = {i, i, i, i};
            continue;
        }
        column.last = i;
        if (p.y() < points[column.low].y())
            column.low = i;
        if (p.y() > points[column.high].y())
            column.high = i;
    }
    Flush(points, column, run);
    EndRun(run, runs);
    return runs;
}

GraphChart::GraphChart(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("XYChart4"));
    setRenderHint(QPainter::Antialiasing);
    chart()->setAnimationOptions(QChart::NoAnimation);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setBackgroundBrush(WindowsColour(kWhite));
    chart()->setPlotAreaBackgroundBrush(WindowsColour(kWhite));
    chart()->setPlotAreaBackgroundPen(QPen(WindowsColour(kSilver)));
    chart()->setPlotAreaBackgroundVisible(true);
    // The plot's width decides how far long traces are thinned and how many date labels
    // fit side by side.
    connect(chart(), &QChart::plotAreaChanged, this, [this] {
        if (int(chart()->plotArea().width()) != m_drawnColumns)
            Draw();
    });
}

void GraphChart::ConfigureChart(bool averaged, const QString &title, const QString &sensorName,
                                const QString &units)
{
    Clear();
    chart()->setTitle(title);
    m_timeAxis = new QDateTimeAxis(chart());
    m_timeAxis->setFormat(QStringLiteral("d-MMM-yy hh:mm AP"));
    m_timeAxis->setTitleText(QStringLiteral("Date/Time"));
    m_valueAxis = new QValueAxis(chart());
    m_valueAxis->setTitleText(units);
    for (QAbstractAxis *axis :
         {static_cast<QAbstractAxis *>(m_timeAxis), static_cast<QAbstractAxis *>(m_valueAxis)}) {
        axis->setGridLineColor(WindowsColour(kSilver));
        axis->setLinePenColor(WindowsColour(kSilver));
    }
    chart()->addAxis(m_timeAxis, Qt::AlignBottom);
    chart()->addAxis(m_valueAxis, Qt::AlignLeft);
    const QStringList names =
        averaged ? QStringList{sensorName, QStringLiteral("Max"), QStringLiteral("Min")}
                 : QStringList{sensorName};
    for (int k = 0; k < names.size(); ++k)
        m_lines.append(SegmentedLine(chart(), WindowsColour(kTraceColours[k]), names.at(k),
                                     m_timeAxis, m_valueAxis));
}

void GraphChart::SetChartData(const ChartData &data)
{
    m_points.assign(m_lines.size(), TracePoints());
    double xLow = std::numeric_limits<double>::max();
    double xHigh = std::numeric_limits<double>::lowest();
    double yLow = xLow;
    double yHigh = xHigh;
    const int traces = std::min(int(m_lines.size()), data.Traces());
    EpochMs epochMs;
    for (int k = 0; k < traces; ++k)
        m_points[k].reserve(data.Rows());
    for (qsizetype row = 0; row < data.Rows(); ++row) {
        for (int k = 0; k < traces; ++k) {
            const double x = data.X(row, k);
            const double y = data.Y(row, k);
            if (x == kMissingPoint || y == kMissingPoint) {
                m_points[k].push_back({0, std::numeric_limits<double>::quiet_NaN()});
                continue;
            }
            const double ms = epochMs(x);
            m_points[k].push_back({ms, y});
            xLow = std::min(xLow, ms);
            xHigh = std::max(xHigh, ms);
            yLow = std::min(yLow, y);
            yHigh = std::max(yHigh, y);
        }
    }
    if (xLow > xHigh)
        return;
    if (xLow == xHigh) {
        xLow -= kLoneMomentMargin;
        xHigh += kLoneMomentMargin;
    }
    if (yLow == yHigh) {
        yLow -= 1;
        yHigh += 1;
    }
    m_xLow = xLow;
    m_xHigh = xHigh;
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(xLow)),
                         QDateTime::fromMSecsSinceEpoch(qint64(xHigh)));
    m_valueAxis->setRange(yLow, yHigh);
    Draw();
}

void GraphChart::FixValueAxis(double low, double high)
{
    if (m_valueAxis)
        m_valueAxis->setRange(low, high);
}

void GraphChart::Clear()
{
    RemoveAllLines(chart());
    m_lines.clear();
    m_points.clear();
    m_valueAxis = nullptr;
    m_timeAxis = nullptr;
    m_drawnColumns = -1;
}

void GraphChart::Draw()
{
    if (m_points.empty())
        return;
    m_drawnColumns = int(chart()->plotArea().width());
    m_timeAxis->setTickCount(std::clamp(m_drawnColumns / kLabelWidth + 1, 2, kMostDateLabels));
    const int columns = m_drawnColumns > 0 ? m_drawnColumns : kUnknownWidthColumns;
    for (qsizetype k = 0; k < m_lines.size(); ++k)
        m_lines[k].Replace(DrawnRuns(m_points[k], m_xLow, m_xHigh, columns));
}
