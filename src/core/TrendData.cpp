#include "TrendData.h"

#include <cmath>

namespace {

bool ContainsKind(const QString &units, TrendUnit unit)
{
    switch (unit) {
    case TrendUnit::Fahrenheit:
        return units.contains(QString(kDegreeSign) + u'F');
    case TrendUnit::Celsius:
        return units.contains(QString(kDegreeSign) + u'C');
    case TrendUnit::Humidity:
        return units.contains(QStringLiteral("%RH"));
    }
    return false;
}

// A series finds its axis by a looser test than the one that decides which axes exist.
std::optional<TrendUnit> AxisUnit(const QString &units)
{
    const QString lower = units.toLower();
    const bool degrees = lower.contains(kDegreeSign);
    if (degrees && lower.contains(u'f'))
        return TrendUnit::Fahrenheit;
    if (degrees && lower.contains(u'c'))
        return TrendUnit::Celsius;
    if (lower.contains(u'h'))
        return TrendUnit::Humidity;
    return std::nullopt;
}

std::optional<double> NumericReading(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString TrendAxisTitle(TrendUnit unit)
{
    switch (unit) {
    case TrendUnit::Fahrenheit:
        return QString(kDegreeSign) + u'F';
    case TrendUnit::Celsius:
        return QString(kDegreeSign) + u'C';
    case TrendUnit::Humidity:
        return QStringLiteral("%RH");
    }
    return {};
}

bool IsTrendRow(const StatusGridView &grid, int row)
{
    const QString units = grid.Cell(row, StatusColumn::Units);
    return !units.trimmed().isEmpty() && !units.toLower().contains(QStringLiteral("minutes"));
}

TrendPlan PlanTrendChart(const StatusGridView &grid)
{
    TrendPlan plan;
    QList<QString> units;
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!IsTrendRow(grid, row))
            continue;
        const int colour = kTrendColours[plan.series.size() % kTrendColours.size()];
        plan.series.append({row, colour, std::nullopt});
        units.append(grid.Cell(row, StatusColumn::Units));
    }

    for (const TrendUnit unit : {TrendUnit::Fahrenheit, TrendUnit::Celsius, TrendUnit::Humidity}) {
        for (const QString &text : units) {
            if (ContainsKind(text, unit)) {
                plan.axes.append(unit);
                break;
            }
        }
    }

    for (int k = 0; k < plan.series.size(); ++k) {
        if (const auto unit = AxisUnit(units.at(k))) {
            const int axis = plan.axes.indexOf(*unit);
            if (axis >= 0)
                plan.series[k].axis = axis;
        }
    }
    return plan;
}

std::optional<QList<double>> TrendValues(const StatusGridView &grid)
{
    QList<double> values;
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (!IsTrendRow(grid, row))
            continue;
        if (values.size() == kMaxTrendValues)
            return std::nullopt;
        // Any text that is not a number is a gap in its own line, so every later line
        // keeps its own sensor's value.
        values.append(NumericReading(grid.Cell(row, StatusColumn::Reading)).value_or(kTrendGap));
    }
    return values;
}
