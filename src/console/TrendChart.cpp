#include "TrendChart.h"

#include "Clock.h"
#include "TrendData.h"
#include "WindowsColour.h"

#include <QDateTimeAxis>
#include <QHash>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int kTimeAxisColour = 0x808080;
constexpr qint64 kLoneMomentMargin = 60 * 1000;

// Axis ends on round numbers, worked out here rather than by the axis, so that an
// unchanged range is not set again: every range change redraws every line.
struct NiceRange {
    qreal low;
    qreal high;
    int ticks;
};

NiceRange RoundOut(qreal low, qreal high)
{
    const qreal rough = (high - low) / 5;
    const qreal magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    qreal step = 10 * magnitude;
    for (const qreal factor : {1.0, 2.0, 5.0}) {
        if (rough <= factor * magnitude) {
            step = factor * magnitude;
            break;
        }
    }
    const qreal niceLow = std::floor(low / step) * step;
    const qreal niceHigh = std::ceil(high / step) * step;
    return {niceLow, niceHigh, int(std::lround((niceHigh - niceLow) / step)) + 1};
}

struct Span {
    qreal low = std::numeric_limits<qreal>::max();
    qreal high = std::numeric_limits<qreal>::lowest();
    void Take(qreal v)
    {
        low = std::min(low, v);
        high = std::max(high, v);
    }
    bool Empty() const { return low > high; }
};

} // namespace

TrendChart::TrendChart(QWidget *parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("XYChart4"));
    setRenderHint(QPainter::Antialiasing);
    chart()->setAnimationOptions(QChart::NoAnimation);
    chart()->legend()->setAlignment(Qt::AlignBottom);
}

bool TrendChart::SetupTrendChart(const StatusGridView &grid)
{
    Clear();
    const TrendPlan plan = PlanTrendChart(grid);
    if (plan.series.isEmpty())
        return false;

    for (const TrendUnit unit : plan.axes)
        AddValueAxis(TrendAxisTitle(unit));

    m_timeAxis = new QDateTimeAxis(this);
    m_timeAxis->setFormat(QStringLiteral("h:mm AP"));
    m_timeAxis->setTitleText(QStringLiteral("Time"));
    m_timeAxis->setLinePenColor(WindowsColour(kTimeAxisColour));
    chart()->addAxis(m_timeAxis, Qt::AlignBottom);

    for (const TrendSeriesPlan &series : plan.series) {
        QValueAxis *axis = nullptr;
        if (series.axis)
            axis = m_valueAxes.at(*series.axis);
        else
            axis = m_valueAxes.isEmpty() ? AddValueAxis(QString()) : m_valueAxes.first();
        m_lines.append(SegmentedLine(chart(), WindowsColour(series.colour),
                                     grid.Cell(series.row, StatusColumn::Sensor), m_timeAxis,
                                     axis));
    }
    return true;
}

bool TrendChart::AddTrendChartPoints(const StatusGridView &grid)
{
    if (m_lines.isEmpty())
        return false;
    const std::optional<QList<double>> values = TrendValues(grid);
    if (!values)
        return false;

    const qreal moment = qreal(Clock::Now().toMSecsSinceEpoch());
    for (int k = 0; k < m_lines.size(); ++k) {
        SegmentedLine &line = m_lines[k];
        const double value = k < values->size() ? values->at(k) : 0.0;
        if (value == kTrendGap) {
            line.Break();
            continue;
        }
        line.Append({moment, value});
        if (line.Points() > kPointsKept)
            line.DropOldest(kPointsDroppedAtOnce);
    }
    FitRanges();
    return true;
}

void TrendChart::SetLiveMode(bool live)
{
    setRubberBand(live ? QChartView::NoRubberBand : QChartView::RectangleRubberBand);
    if (live) {
        chart()->zoomReset();
        FitRanges();
    }
}

void TrendChart::Clear()
{
    RemoveAllLines(chart());
    m_lines.clear();
    m_valueAxes.clear();
    m_timeAxis = nullptr;
}

QValueAxis *TrendChart::AddValueAxis(const QString &title)
{
    auto *axis = new QValueAxis(this);
    axis->setTitleText(title);
    axis->setGridLineColor(WindowsColour(kColourLightGrey));
    chart()->addAxis(axis, m_valueAxes.isEmpty() ? Qt::AlignLeft : Qt::AlignRight);
    m_valueAxes.append(axis);
    return axis;
}

void TrendChart::FitRanges()
{
    Span time;
    QHash<QValueAxis *, Span> readings;
    for (const SegmentedLine &line : std::as_const(m_lines)) {
        Span &span = readings[static_cast<QValueAxis *>(line.YAxis())];
        for (const QLineSeries *segment : line.Segments()) {
            for (int i = 0; i < segment->count(); ++i) {
                const QPointF &p = segment->at(i);
                time.Take(p.x());
                span.Take(p.y());
            }
        }
    }
    if (time.Empty())
        return;
    if (time.low == time.high) {
        time.low -= kLoneMomentMargin;
        time.high += kLoneMomentMargin;
    }
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(time.low)),
                         QDateTime::fromMSecsSinceEpoch(qint64(time.high)));

    for (auto it = readings.cbegin(); it != readings.cend(); ++it) {
        const Span &span = it.value();
        if (span.Empty())
            continue;
        const qreal margin = span.low == span.high ? 1.0 : (span.high - span.low) * 0.05;
        const NiceRange range = RoundOut(span.low - margin, span.high + margin);
        it.key()->setTickCount(range.ticks);
        it.key()->setRange(range.low, range.high);
    }
}
