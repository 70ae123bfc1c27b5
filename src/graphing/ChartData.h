#pragma once

#include "GraphingMain.h"

#include <QDateTime>
#include <QList>

// The mark of a point that has no value; the chart breaks the trace's line there.
inline constexpr double kMissingPoint = 1.79e308;

// The points of a chart: per row one (x, y) pair per trace, x the moment as a day number
// (days since 30 December 1899, the time of day as the fraction).
class ChartData {
public:
    explicit ChartData(int traces = 1) : m_traces(traces) {}
    int Traces() const { return m_traces; }
    qsizetype Rows() const { return m_values.size() / (2 * m_traces); }
    double X(qsizetype row, int trace) const { return m_values.at(Index(row, trace)); }
    double Y(qsizetype row, int trace) const { return m_values.at(Index(row, trace) + 1); }
    // One row: x for every trace, and one y per trace.
    void AppendRow(double x, std::initializer_list<double> ys);
    void Reserve(qsizetype rows) { m_values.reserve(rows * 2 * m_traces); }

private:
    qsizetype Index(qsizetype row, int trace) const { return (row * m_traces + trace) * 2; }

    int m_traces;
    QList<double> m_values;
};

double DayNumber(const WallClock &moment);

// What a scan of a record file gives the graph window.
struct ScanResult {
    enum class Outcome { Done, NotEnoughData, Stopped, Failed };
    Outcome outcome = Outcome::Failed;
    QString errorText;
    ChartData data;
    // The range's highest maximum and lowest minimum, from -999 and 999.
    float maximum = -999;
    float minimum = 999;
};

// The averaged file `fileName` of the data folder from the start day to the end day: per
// hour its average, maximum and minimum. An hour without readings has no average; a
// record without a date keeps its row with no point at all.
ScanResult ScanLogFile(const QString &fileName, const QString &startDate, const QString &endDate,
                       const Progress &progress);
// The instantaneous file: one trace of the readings.
ScanResult ScanInstLogFile(const QString &fileName, const QString &startDate,
                           const QString &endDate, const Progress &searchProgress,
                           const Progress &progress);
