#pragma once

#include "SegmentedLine.h"

#include <QChartView>
#include <QList>

#include <vector>

class ChartData;
class QDateTimeAxis;
class QValueAxis;

// A trace's points as the chart takes them: x in milliseconds since the epoch, and a gap
// where y is NaN.
using TracePoints = std::vector<QPointF>;

// The runs of points a trace is drawn with across `columns` pixel columns from `xLow` to
// `xHigh`. A trace of more than two points per column keeps per column only its first,
// lowest, highest and last point, which draws the same picture; a gap ends a run.
QList<QList<QPointF>> DrawnRuns(const TracePoints &points, double xLow, double xHigh, int columns);

// The graph window's chart of a sensor's readings over date and time.
class GraphChart : public QChartView {
    Q_OBJECT

public:
    explicit GraphChart(QWidget *parent = nullptr);

    // Title, axes, colours and the traces (3 for an averaged chart, else 1), empty.
    void ConfigureChart(bool averaged, const QString &title, const QString &sensorName,
                        const QString &units);
    // Every point of the data; both axes fitted to it.
    void SetChartData(const ChartData &data);
    // The value axis held at typed bounds.
    void FixValueAxis(double low, double high);

    const QList<SegmentedLine> &Traces() const { return m_lines; }
    QValueAxis *ValueAxis() const { return m_valueAxis; }
    QDateTimeAxis *TimeAxis() const { return m_timeAxis; }

private:
    void Clear();
    void Draw();

    QList<SegmentedLine> m_lines;
    std::vector<TracePoints> m_points;
    QValueAxis *m_valueAxis = nullptr;
    QDateTimeAxis *m_timeAxis = nullptr;
    double m_xLow = 0;
    double m_xHigh = 0;
    int m_drawnColumns = -1;
};
