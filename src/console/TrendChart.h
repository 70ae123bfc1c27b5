#pragma once

#include "SegmentedLine.h"

#include <QChartView>
#include <QList>

class QDateTimeAxis;
class QLineSeries;
class QValueAxis;
class StatusGridView;

// The main window's trend chart: one line per trend row of the status grid, one point per
// polling cycle. The chart cannot take the gap value, so a gap ends the line's current
// segment and the next value starts a new segment in the same colour on the same axis.
class TrendChart : public QChartView {
    Q_OBJECT

public:
    // Points kept per line; older ones are dropped so that a station running for months
    // keeps a bounded chart (two and a half days at a 60 s update rate). Well below what
    // the chart draws smoothly, so no thinning is needed. They are dropped a tenth at a
    // time, as each removal redraws the line.
    static constexpr int kPointsKept = 3600;
    static constexpr int kPointsDroppedAtOnce = kPointsKept / 10;

    explicit TrendChart(QWidget *parent = nullptr);

    // Lays out one line per trend row with its colour and Y axis; false, with the chart
    // cleared, when the grid has no trend row.
    bool SetupTrendChart(const StatusGridView &grid);
    // Adds the grid's current readings as the next point of every line. Does nothing
    // before a set-up, and keeps the chart as it was when the values are unusable.
    bool AddTrendChartPoints(const StatusGridView &grid);
    // Examine mode lets the operator drag a rectangle to zoom into the frozen chart;
    // going live again shows the whole kept range.
    void SetLiveMode(bool live);

    int LineCount() const { return m_lines.size(); }
    QList<QLineSeries *> Segments(int line) const { return m_lines.at(line).Segments(); }
    QList<QValueAxis *> ValueAxes() const { return m_valueAxes; }
    QDateTimeAxis *TimeAxis() const { return m_timeAxis; }

private:
    void Clear();
    QValueAxis *AddValueAxis(const QString &title);
    void FitRanges();

    QList<SegmentedLine> m_lines;
    QList<QValueAxis *> m_valueAxes;
    QDateTimeAxis *m_timeAxis = nullptr;
};
