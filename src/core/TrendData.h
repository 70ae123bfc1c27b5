#pragma once

#include "StatusGrid.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

// What the trend chart takes from the status grid: which rows are charted, their colours
// and Y axes, and the values of one cycle. The chart widget only draws what this decides.

// Stands for a missing point in a series (a sensor that is open, shorted or silent).
constexpr double kTrendGap = 1.79E+308;

// More values than this in one cycle end the update as an error.
constexpr int kMaxTrendValues = 1000;

// Series colours as Windows colour values; series k takes entry (k - 1) mod 24.
constexpr std::array<int, 24> kTrendColours = {
    0x7CFC00, 0xFF6A6A, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xB3EE3A,
    0x708090, 0x191970, 0x6495ED, 0x66CDAA, 0x556B2F, 0x2E8B57, 0xF0E68C, 0xFFD700,
    0x7FFF00, 0x8470FF, 0x1E90FF, 0x7AC5CD, 0x53868B, 0xA2B5CD, 0xB2EECD, 0x54FF9F};

// Y axis kinds, in the order their axes are laid out.
enum class TrendUnit { Fahrenheit, Celsius, Humidity };

QString TrendAxisTitle(TrendUnit unit);

// Data rows whose Units cell is not blank and does not name minutes.
bool IsTrendRow(const StatusGridView &grid, int row);

struct TrendSeriesPlan {
    int row = 0;             // grid row the series follows
    int colour = 0;          // Windows colour value
    std::optional<int> axis; // index into TrendPlan::axes; none when its unit has no axis
};

struct TrendPlan {
    QList<TrendUnit> axes;
    QList<TrendSeriesPlan> series;
};

TrendPlan PlanTrendChart(const StatusGridView &grid);

// One value per trend row in grid order: the reading, or kTrendGap when it is no number,
// so every line keeps its own sensor. Empty when there are more than kMaxTrendValues values.
std::optional<QList<double>> TrendValues(const StatusGridView &grid);
