#include "SegmentedLine.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>

namespace {

constexpr int kLineWidth = 2;

// A point between two gaps has no line to draw: it shows as a dot.
void MarkLonePoint(QLineSeries *segment)
{
    segment->setPointsVisible(segment->count() == 1);
}

} // namespace

SegmentedLine::SegmentedLine(QChart *chart, const QColor &colour, const QString &name,
                             QAbstractAxis *xAxis, QAbstractAxis *yAxis)
    : m_chart(chart), m_colour(colour), m_name(name), m_xAxis(xAxis), m_yAxis(yAxis)
{
}

void SegmentedLine::Append(const QPointF &point)
{
    QLineSeries *segment = m_broken ? NewSegment() : m_segments.last();
    m_broken = false;
    segment->append(point);
    MarkLonePoint(segment);
    ++m_points;
}

// Series are reused where they can be: replacing a series' points costs one redraw,
// adding a series to the chart far more.
void SegmentedLine::Replace(const QList<QList<QPointF>> &runs)
{
    while (m_segments.size() > runs.size())
        RemoveSegment(m_segments.last());
    while (m_segments.size() < runs.size())
        NewSegment();
    m_points = 0;
    for (int i = 0; i < runs.size(); ++i) {
        m_segments.at(i)->replace(runs.at(i));
        MarkLonePoint(m_segments.at(i));
        m_points += int(runs.at(i).size());
    }
    m_broken = true;
}

void SegmentedLine::DropOldest(int count)
{
    while (count > 0 && !m_segments.isEmpty()) {
        QLineSeries *oldest = m_segments.first();
        const int dropped = std::min(count, int(oldest->count()));
        oldest->removePoints(0, dropped);
        m_points -= dropped;
        count -= dropped;
        if (oldest->count() > 0) {
            MarkLonePoint(oldest);
            return;
        }
        RemoveSegment(oldest);
    }
}

QLineSeries *SegmentedLine::NewSegment()
{
    auto *segment = new QLineSeries(m_chart);
    QPen pen(m_colour);
    pen.setWidth(kLineWidth);
    segment->setPen(pen);
    segment->setName(m_name);
    m_chart->addSeries(segment);
    segment->attachAxis(m_xAxis);
    segment->attachAxis(m_yAxis);
    m_segments.append(segment);
    ShowOneLegendEntry();
    return segment;
}

void SegmentedLine::RemoveSegment(QLineSeries *segment)
{
    m_segments.removeOne(segment);
    m_chart->removeSeries(segment);
    delete segment;
    ShowOneLegendEntry();
}

void SegmentedLine::ShowOneLegendEntry()
{
    for (int i = 0; i < m_segments.size(); ++i) {
        for (QLegendMarker *marker : m_chart->legend()->markers(m_segments.at(i)))
            marker->setVisible(i == 0);
    }
}

void RemoveAllLines(QChart *chart)
{
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}
