#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

class QAbstractAxis;
class QChart;
class QLineSeries;

// One trace of a chart. The chart cannot take a gap value, so each gap ends a line series
// and the next value starts another in the same colour, on the same axes, under the one
// legend entry of the trace.
class SegmentedLine {
public:
    SegmentedLine(QChart *chart, const QColor &colour, const QString &name, QAbstractAxis *xAxis,
                  QAbstractAxis *yAxis);

    // Continues the current segment, or starts one after a gap.
    void Append(const QPointF &point);
    void Break() { m_broken = true; }
    // All points anew, one run per segment; a run is drawn as one series.
    void Replace(const QList<QList<QPointF>> &runs);
    // Drops the oldest points, and the segments they empty.
    void DropOldest(int count);

    const QList<QLineSeries *> &Segments() const { return m_segments; }
    int Points() const { return m_points; }
    QAbstractAxis *YAxis() const { return m_yAxis; }
    QString Name() const { return m_name; }

private:
    QLineSeries *NewSegment();
    void RemoveSegment(QLineSeries *segment);
    void ShowOneLegendEntry();

    QChart *m_chart;
    QColor m_colour;
    QString m_name;
    QAbstractAxis *m_xAxis;
    QAbstractAxis *m_yAxis;
    QList<QLineSeries *> m_segments;
    int m_points = 0;
    bool m_broken = true;
};

// Takes every series and axis off the chart, for a new set of lines.
void RemoveAllLines(QChart *chart);
